#include "core/datafolder/datafolderlock.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "core/text/sjistext.h"

namespace vorq {

namespace {

// A write takes well under a second; an automatic update of a full history
// may take a minute. Only a lock of another host (whose process cannot be
// asked) is judged by its age, so this is generous.
constexpr int kStaleAfterMs = 10 * 60 * 1000;

QSet<QByteArray> &heldFolders() {
    static QSet<QByteArray> held;
    return held;
}

QByteArray canonicalKey(const QByteArray &folder) {
    const QString path = QFileInfo(sjis::path(folder)).canonicalFilePath();
    return path.toUtf8();
}

bool folderExists(const QByteArray &folder) {
    return !folder.isEmpty() && QFileInfo(sjis::path(folder)).isDir();
}

QString lockPath(const QByteArray &folder, const char *name) {
    QString dir = sjis::path(folder);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QLatin1String(name);
}

// A writer killed between creating its lock file and writing its owner into
// it leaves a file that names nobody, which QLockFile would honour until
// the file is as old as the stale time (for the window's lock: for ever).
// A live holder names itself at once, so such a file a little old is taken
// over.
constexpr int kUnnamedStaleMs = 2000;

bool takeOverUnnamedLock(QLockFile &lock, const QString &path) {
    qint64 pid = 0;
    QString host, app;
    if (lock.getLockInfo(&pid, &host, &app)) return false;
    const QFileInfo info(path);
    if (!info.exists() || info.lastModified().msecsTo(QDateTime::currentDateTime()) < kUnnamedStaleMs)
        return false;
    return lock.removeStaleLockFile() && lock.tryLock(0);
}

}  // namespace

DataFolderBusyError::DataFolderBusyError(const QByteArray &dataFolder)
    : Error(QStringLiteral("データフォルダは他のプログラムが使用中です。\n%1")
                .arg(QDir::toNativeSeparators(sjis::path(dataFolder)))) {}

int defaultLockWaitMs() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VORQ_LOCK_WAIT_MS", &ok);
    return ok && ms >= 0 ? ms : 3000;
}

DataFolderLock::DataFolderLock(const QByteArray &dataFolder, int waitMs) {
    if (!folderExists(dataFolder)) return;
    const QByteArray key = canonicalKey(dataFolder);
    if (heldFolders().contains(key)) return;
    const QString path = lockPath(dataFolder, kWriteLockName);
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(kStaleAfterMs);
    if (!lock->tryLock(waitMs < 0 ? defaultLockWaitMs() : waitMs)) {
        // Only a lock held by another program is "busy". A folder where no
        // lock file can be made (read-only medium, a staged disc) is read
        // unlocked; a write there says why itself.
        if (lock->error() != QLockFile::LockFailedError) return;
        if (!takeOverUnnamedLock(*lock, path)) throw DataFolderBusyError(dataFolder);
    }
    m_lock = std::move(lock);
    m_key = key;
    heldFolders().insert(m_key);
}

DataFolderLock::~DataFolderLock() {
    if (!m_lock) return;
    heldFolders().remove(m_key);
    m_lock->unlock();
}

PresenceLock::PresenceLock(const QByteArray &dataFolder) {
    if (!folderExists(dataFolder)) return;
    const QString path = lockPath(dataFolder, kPresenceLockName);
    auto lock = std::make_unique<QLockFile>(path);
    // Held for a window's lifetime: only a dead holder makes it stale.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0) ||
        (lock->error() == QLockFile::LockFailedError && takeOverUnnamedLock(*lock, path))) {
        m_lock = std::move(lock);
    } else if (lock->error() == QLockFile::LockFailedError) {
        m_alone = false;
    }
}

}  // namespace vorq
