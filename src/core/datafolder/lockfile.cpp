#include "core/datafolder/lockfile.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QThread>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

namespace vorq {

namespace {

// A file at the lock's path that names nobody is left only by an older
// writer (create, then name) killed between the two, or made on a file
// system without hard links; a live writer names it within microseconds.
// Long past that, and unlocked, it is taken over.
constexpr qint64 kUnnamedStaleMs = 60 * 1000;
// A taker holds its guard for a few system calls; one of another host that
// is still there after this died in them.
constexpr qint64 kForeignGuardStaleMs = 10 * 60 * 1000;

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool flockUnsupported(int err) {
    return err == ENOLCK || err == EOPNOTSUPP || err == ENOSYS || err == EINVAL || err == EBADF;
}

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

qint64 ageMs(const struct stat &st) {
    const qint64 made = qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    return QDateTime::currentMSecsSinceEpoch() - made;  // negative for a clock ahead: not stale
}

// The executable a pid runs, as a peer sees it; empty when it cannot be read.
QString programOfPid(qint64 pid) {
    QString target = QFileInfo(QStringLiteral("/proc/%1/exe").arg(pid)).symLinkTarget();
    // A program replaced on disk while it runs (an upgrade) is still itself.
    if (target.endsWith(QLatin1String(" (deleted)"))) target.chop(10);
    return QFileInfo(target).fileName();
}

bool processRuns(qint64 pid, const QString &program) {
    if (pid <= 0 || pid > INT_MAX) return false;
    if (::kill(pid_t(pid), 0) != 0 && errno == ESRCH) return false;
    // The pid may since have gone to another program.
    const QString running = programOfPid(pid);
    return running.isEmpty() || program.isEmpty() || running == program;
}

struct HolderFile {
    LockHolder holder;
    QByteArray machineId, bootId;
};

// pid, program, host, machine id, boot id: one a line, as QLockFile writes
// and reads them, so an older program on the folder understands it.
QByteArray holderText(const QString &program) {
    return QByteArray::number(qint64(::getpid())) + '\n' + program.toUtf8() + '\n' +
           QSysInfo::machineHostName().toUtf8() + '\n' + QSysInfo::machineUniqueId() + '\n' +
           QSysInfo::bootUniqueId() + '\n';
}

HolderFile readHolder(int fd, const struct stat &st) {
    HolderFile f;
    char buf[4096];
    const ssize_t n = ::pread(fd, buf, sizeof buf, 0);
    const QList<QByteArray> lines = QByteArray(buf, n > 0 ? qsizetype(n) : 0).split('\n');
    bool ok = false;
    const qint64 pid = lines.value(0).toLongLong(&ok);
    if (lines.size() >= 3 && ok && pid > 0) {
        f.holder.pid = pid;
        f.holder.program = QString::fromUtf8(lines.at(1));
        f.holder.host = QString::fromUtf8(lines.at(2));
        f.machineId = lines.value(3);
        f.bootId = lines.value(4);
    }
    f.holder.since =
        QDateTime::fromMSecsSinceEpoch(qint64(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000);
    return f;
}

bool holderIsGone(const HolderFile &f, qint64 age, qint64 foreignStaleMs) {
    if (f.holder.pid <= 0) return age > kUnnamedStaleMs;
    const bool thisHost = f.holder.host == QSysInfo::machineHostName() &&
                          (f.machineId.isEmpty() || f.machineId == QSysInfo::machineUniqueId());
    if (!thisHost) return foreignStaleMs > 0 && age > foreignStaleMs;
    if (!f.bootId.isEmpty() && f.bootId != QSysInfo::bootUniqueId()) return true;  // restarted since
    return !processRuns(f.holder.pid, f.holder.program);
}

void pause(int ms) {
    if (ms > 0) QThread::msleep(ulong(ms));
}

struct FdCloser {
    int fd;
    ~FdCloser() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

LockFile::LockFile(QString path, LockFileOptions options)
    : m_path(std::move(path)), m_options(std::move(options)) {
    if (m_options.program.isEmpty()) m_options.program = programOfPid(::getpid());
}

LockFile::~LockFile() {
    unlock();
    dropNamedFile();
}

LockFile::Result LockFile::tryLock(int waitMs) {
    if (isLocked()) return Result::Locked;
    const QDeadlineTimer deadline(std::max(waitMs, 0));
    int sleepMs = 10;
    for (;;) {
        const Result r = attempt();
        if (r != Result::Busy || deadline.hasExpired()) return r;
        QThread::msleep(ulong(std::clamp<qint64>(deadline.remainingTime(), 1, sleepMs)));
        sleepMs = std::min(sleepMs * 2, 100);
    }
}

void LockFile::unlock() {
    if (m_fd < 0) return;
    // Remove the path only while it names our file; then let the flock go.
    struct stat st;
    const QByteArray path = QFile::encodeName(m_path);
    if (::stat(path.constData(), &st) == 0 && st.st_dev == m_dev && st.st_ino == m_ino)
        ::unlink(path.constData());
    ::close(m_fd);
    m_fd = -1;
}

LockFile::Result LockFile::attempt() {
    if (!makeNamedFile()) return Result::Failed;
    pause(m_options.pauseBeforeNamingMs);
    const QByteArray path = QFile::encodeName(m_path);
    // The path may change under us (a holder leaving, another taker): look
    // again a few times before calling it busy.
    for (int round = 0; round < 4; ++round) {
        const int fd = placeAt(path);
        if (fd >= 0) {
            adopt(fd);
            return Result::Locked;
        }
        if (errno != EEXIST) {
            m_error = errnoText(errno);
            dropNamedFile();
            return Result::Failed;
        }
        switch (takeOverIfStale()) {
            case Takeover::Taken: adopt(m_tmpFd); return Result::Locked;
            case Takeover::Held: dropNamedFile(); return Result::Busy;
            case Takeover::Changed: break;
        }
    }
    dropNamedFile();
    return Result::Busy;
}

bool LockFile::makeNamedFile() {
    dropNamedFile();
    const QByteArray base = QFile::encodeName(m_path) + '.';
    for (int i = 0; i < 16; ++i) {
        const QByteArray name = base + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST) continue;
            m_error = errnoText(errno);
            return false;
        }
        m_tmpFd = fd;
        m_tmp = name;
        m_flocks = !m_options.withoutFlock;
        if (m_flocks && ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const int err = errno;
            if (!flockUnsupported(err)) {
                m_error = errnoText(err);
                dropNamedFile();
                return false;
            }
            m_flocks = false;
        }
        const QByteArray text = holderText(m_options.program);
        if (::write(fd, text.constData(), size_t(text.size())) != text.size()) {
            m_error = errnoText(errno);
            dropNamedFile();
            return false;
        }
        return true;
    }
    m_error = QStringLiteral("no temporary file name is free beside %1").arg(m_path);
    return false;
}

void LockFile::dropNamedFile() {
    if (!m_tmp.isEmpty()) ::unlink(m_tmp.constData());
    if (m_tmpFd >= 0 && m_tmpFd != m_fd) ::close(m_tmpFd);
    m_tmp.clear();
    m_tmpFd = -1;
}

// Puts the named file at target without replacing anything there: the
// file's descriptor, or -1 with errno (EEXIST: something is there).
int LockFile::placeAt(const QByteArray &target) {
    if (::link(m_tmp.constData(), target.constData()) == 0) return m_tmpFd;
    const int err = errno;
    struct stat st;
    // NFS may report a link it made as failed: the link count tells.
    if (err != EEXIST && ::fstat(m_tmpFd, &st) == 0 && st.st_nlink == 2) return m_tmpFd;
    if (err != EPERM && err != EOPNOTSUPP && err != ENOSYS) {
        errno = err;
        return -1;
    }
    // No hard links here (FAT): create it exclusively and name the holder
    // at once, as the older writers do.
    const int fd = ::open(target.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return -1;
    if (m_flocks) ::flock(fd, LOCK_EX | LOCK_NB);
    const QByteArray text = holderText(m_options.program);
    if (::write(fd, text.constData(), size_t(text.size())) != text.size()) {
        const int writeErr = errno;
        ::unlink(target.constData());
        ::close(fd);
        errno = writeErr;
        return -1;
    }
    return fd;
}

void LockFile::adopt(int fd) {
    m_fd = fd;
    struct stat st;
    if (::fstat(fd, &st) == 0) {
        m_dev = st.st_dev;
        m_ino = st.st_ino;
    }
    dropNamedFile();  // the lock keeps its own name; our descriptor stays open
}

LockFile::Takeover LockFile::takeOverIfStale() {
    const QByteArray path = QFile::encodeName(m_path);
    const FdCloser found{::open(path.constData(), O_RDONLY | O_CLOEXEC)};
    if (found.fd < 0) return errno == ENOENT ? Takeover::Changed : Takeover::Held;
    struct stat seen;
    if (::fstat(found.fd, &seen) != 0) return Takeover::Held;
    const HolderFile held = readHolder(found.fd, seen);
    m_holder = held.holder;
    if (!holderIsGone(held, ageMs(seen), m_options.foreignStaleMs)) return Takeover::Held;
    pause(m_options.pauseBeforeTakeoverMs);

    // Only one taker may judge and replace this file: the one holding its
    // flock (a live holder keeps it, so it also proves the holder gone), or
    // where there is no flock, the one holding the guard.
    bool guarded = false;
    dev_t guardDev = 0;
    ino_t guardIno = 0;
    if (m_flocks) {
        if (::flock(found.fd, LOCK_EX | LOCK_NB) != 0) return Takeover::Held;
    } else {
        if (!takeGuard(&guardDev, &guardIno)) return Takeover::Held;
        guarded = true;
    }
    // Another taker may have replaced it since we read it: then it is a
    // fresh lock and must stay.
    Takeover result = Takeover::Changed;
    struct stat now;
    if (::stat(path.constData(), &now) == 0 && sameFile(now, seen)) {
        pause(m_options.pauseBeforeTakeoverMs);
        if (::rename(m_tmp.constData(), path.constData()) == 0) {
            m_tmp.clear();  // it is the lock now
            result = Takeover::Taken;
        } else {
            result = Takeover::Held;
        }
    }
    if (guarded) {
        const QByteArray guard = path + ".takeover";
        struct stat g;
        if (::stat(guard.constData(), &g) == 0 && g.st_dev == guardDev && g.st_ino == guardIno)
            ::unlink(guard.constData());
    }
    return result;
}

bool LockFile::takeGuard(dev_t *dev, ino_t *ino) {
    const QByteArray guard = QFile::encodeName(m_path) + ".takeover";
    const int fd = placeAt(guard);
    if (fd >= 0) {
        struct stat st;
        const bool ok = ::fstat(fd, &st) == 0;
        if (ok) {
            *dev = st.st_dev;
            *ino = st.st_ino;
        }
        if (fd != m_tmpFd) ::close(fd);
        return ok;
    }
    if (errno != EEXIST) return false;
    // A guard whose taker died in its few system calls is removed; the next
    // round may take it.
    const FdCloser found{::open(guard.constData(), O_RDONLY | O_CLOEXEC)};
    struct stat st;
    if (found.fd >= 0 && ::fstat(found.fd, &st) == 0 &&
        holderIsGone(readHolder(found.fd, st), ageMs(st), kForeignGuardStaleMs))
        ::unlink(guard.constData());
    return false;
}

}  // namespace vorq
