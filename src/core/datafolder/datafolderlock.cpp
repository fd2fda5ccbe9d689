#include "core/datafolder/datafolderlock.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "core/text/sjistext.h"

namespace vorq {

namespace {

// A write takes well under a second; an automatic update of a full history
// may take a minute. Only a lock of another host (whose process cannot be
// asked) is judged by its age, so this is generous.
constexpr qint64 kStaleAfterMs = 10 * 60 * 1000;

QSet<QByteArray> &heldFolders() {
    static QSet<QByteArray> held;
    return held;
}

QByteArray canonicalKey(const QByteArray &folder) {
    const QString path = QFileInfo(sjis::path(folder)).canonicalFilePath();
    return path.toUtf8();
}

LockFileOptions staleAfter(qint64 foreignStaleMs) {
    LockFileOptions o;
    o.foreignStaleMs = foreignStaleMs;
    return o;
}

bool folderExists(const QByteArray &folder) {
    return !folder.isEmpty() && QFileInfo(sjis::path(folder)).isDir();
}

QString lockPath(const QByteArray &folder, const char *name) {
    QString dir = sjis::path(folder);
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    return dir + QLatin1String(name);
}

QString holderText(const LockHolder &h) {
    const QString since =
        h.since.isValid() ? h.since.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QString();
    if (h.pid <= 0) return QStringLiteral("使用中のプログラム: 不明 (%1 から)").arg(since);
    return QStringLiteral("使用中のプログラム: %1 (プロセス %2、ホスト %3、%4 から)")
        .arg(h.program.isEmpty() ? QStringLiteral("?") : h.program)
        .arg(h.pid)
        .arg(h.host, since);
}

}  // namespace

DataFolderBusyError::DataFolderBusyError(const QByteArray &dataFolder, const LockHolder &holder)
    : Error(QStringLiteral("データフォルダは他のプログラムが使用中です。\n%1\n%2")
                .arg(QDir::toNativeSeparators(sjis::path(dataFolder)), holderText(holder))) {}

int defaultLockWaitMs() {
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VORQ_LOCK_WAIT_MS", &ok);
    return ok && ms >= 0 ? ms : 3000;
}

DataFolderLock::DataFolderLock(const QByteArray &dataFolder, int waitMs) {
    if (!folderExists(dataFolder)) return;
    const QByteArray key = canonicalKey(dataFolder);
    if (heldFolders().contains(key)) return;
    auto lock = std::make_unique<LockFile>(lockPath(dataFolder, kWriteLockName), staleAfter(kStaleAfterMs));
    switch (lock->tryLock(waitMs < 0 ? defaultLockWaitMs() : waitMs)) {
        case LockFile::Result::Locked: break;
        case LockFile::Result::Busy: throw DataFolderBusyError(dataFolder, lock->holder());
        // A folder where no lock file can be made (read-only medium, a
        // staged disc) is read unlocked; a write there says why itself.
        case LockFile::Result::Failed: return;
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
    // Held for a window's lifetime: only a gone holder makes it stale, never
    // its age.
    auto lock = std::make_unique<LockFile>(lockPath(dataFolder, kPresenceLockName), staleAfter(0));
    switch (lock->tryLock(0)) {
        case LockFile::Result::Locked: m_lock = std::move(lock); break;
        case LockFile::Result::Busy: m_alone = false; break;
        case LockFile::Result::Failed: break;
    }
}

}  // namespace vorq
