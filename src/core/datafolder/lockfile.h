#pragma once
// A lock file that is never half made and never taken from a live holder.
//
// Taking it: the holder's name (pid, program, host, machine and boot ids,
// in the layout QLockFile reads) is written to a temporary file beside the
// lock, which is flocked and then linked into place with link(2); so the
// lock's path never shows a file that names nobody, and a holder paused
// between the two steps has nothing there to lose.
//
// Taking over: only a lock whose holder is gone (its process dead on this
// host, its machine restarted, or a lock of another host past the foreign
// stale time), and only while holding that very file's flock (where the
// file system has no flock: a guard file made the same way), and only if
// the path still names that file. The named temporary file then replaces it
// with one rename, so there is no moment without a lock.
#include <sys/types.h>
#include <QDateTime>
#include <QString>

namespace vorq {

// Who holds a lock, as its file names it.
struct LockHolder {
    qint64 pid = 0;  // 0: the file names nobody
    QString program;
    QString host;
    QDateTime since;  // when the file was made
};

struct LockFileOptions {
    // A lock of another host, whose process cannot be asked, is stale when
    // this old (and not flocked); 0: never.
    qint64 foreignStaleMs = 10 * 60 * 1000;
    // Pauses where a slow or descheduled writer could be overtaken: after the
    // named file is made and before it is put in place; after a lock is
    // judged stale, and again after it is found still in place, before it is
    // replaced. Zero but for race tests.
    int pauseBeforeNamingMs = 0;
    int pauseBeforeTakeoverMs = 0;
    // Behave as on a file system without flock (NFS without lockd).
    bool withoutFlock = false;
    // The program named in the file; empty: the running executable's name,
    // which is what a peer compares with the name of the holder's pid.
    QString program;
};

class LockFile {
public:
    enum class Result { Locked, Busy, Failed };

    explicit LockFile(QString path, LockFileOptions options = {});
    ~LockFile();
    LockFile(const LockFile &) = delete;
    LockFile &operator=(const LockFile &) = delete;

    // Takes the lock, trying until waitMs has passed. Busy: another holder
    // (see holder()); Failed: no lock file can be made here (errorString()).
    Result tryLock(int waitMs = 0);
    void unlock();
    bool isLocked() const { return m_fd >= 0; }

    // The holder found by the last attempt that did not get the lock.
    const LockHolder &holder() const { return m_holder; }
    QString errorString() const { return m_error; }

private:
    enum class Takeover { Taken, Held, Changed };
    Result attempt();
    bool makeNamedFile();
    void dropNamedFile();
    int placeAt(const QByteArray &target);
    void adopt(int fd);
    Takeover takeOverIfStale();
    bool takeGuard(dev_t *dev, ino_t *ino);

    QString m_path;
    LockFileOptions m_options;
    int m_fd = -1;  // the held lock's file
    dev_t m_dev = 0;
    ino_t m_ino = 0;
    bool m_flocks = true;  // whether this file system has flock
    int m_tmpFd = -1;      // an attempt's named file, before it is in place
    QByteArray m_tmp;
    LockHolder m_holder;
    QString m_error;
};

}  // namespace vorq
