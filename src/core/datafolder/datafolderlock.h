#pragma once
// The data folder's locks. Every writer of the folder (a window's save, each
// chart an import stores, vorq import, vorq associate, vorq cdr's read) holds
// the write lock for the length of its read-modify-write, so two programs
// never interleave their writes to the same files. A window also holds the
// presence lock for its lifetime, so a second window on the folder can say
// that it is not alone.
#include <QByteArray>
#include <memory>

#include "core/base/errors.h"
#include "core/datafolder/lockfile.h"

namespace vorq {

// Another program holds the data folder's write lock past the wait. The
// message names the folder and the holder: program, pid, host, since when.
class DataFolderBusyError : public Error {
public:
    DataFolderBusyError(const QByteArray &dataFolder, const LockHolder &holder);
};

// File names in the data folder (neither is a chart file name).
inline constexpr char kWriteLockName[] = "vorqview.lock";
inline constexpr char kPresenceLockName[] = "vorqview-window.lock";

// How long a writer waits for the lock by default (milliseconds); the
// environment variable VORQ_LOCK_WAIT_MS overrides it (tests, slow mounts).
int defaultLockWaitMs();

// The write lock, held from construction to destruction. A lock left by a
// process that died is taken over at once (lockfile.h says how, and why it
// is never taken from a live holder). A folder that does not exist is
// not locked: there is nothing in it to protect, and creating it would be a
// side effect of a mere read. Within one process the lock nests: a writer
// inside a command that locked already (an import's store) does not wait
// for itself.
class DataFolderLock {
public:
    // Throws DataFolderBusyError after waitMs (-1: defaultLockWaitMs()).
    explicit DataFolderLock(const QByteArray &dataFolder, int waitMs = -1);
    ~DataFolderLock();
    DataFolderLock(const DataFolderLock &) = delete;
    DataFolderLock &operator=(const DataFolderLock &) = delete;

    bool holds() const { return m_lock != nullptr; }

private:
    std::unique_ptr<LockFile> m_lock;
    QByteArray m_key;
};

// The presence lock of a window, held until destruction when it was free.
class PresenceLock {
public:
    explicit PresenceLock(const QByteArray &dataFolder);
    // False when another live program holds the folder's presence lock.
    bool alone() const { return m_alone; }

private:
    std::unique_ptr<LockFile> m_lock;
    bool m_alone = true;
};

}  // namespace vorq
