// The write lock's protocol under the races it exists for: writers paused
// between making and naming their lock, takers of one stale lock paused
// between judging and replacing it, with and without flock.
#include "core/datafolder/lockfile.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QFile>
#include <QRandomGenerator>
#include <QSysInfo>
#include <QTemporaryDir>
#include <atomic>
#include <thread>
#include <vector>

#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

// A pid that ran and ended: what a killed writer's lock names.
qint64 deadPid() {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

QString ownProgram() {
    return QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName();
}

void writeLock(const QString &path, const QByteArray &text, qint64 ageSecs = 0) {
    sjis::saveFile(path, text);
    if (ageSecs > 0) {
        const QDateTime then = QDateTime::currentDateTime().addSecs(-ageSecs);
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(then, QFileDevice::FileModificationTime));
    }
}

QByteArray holderLines(qint64 pid, const QString &program, const QString &host,
                       const QByteArray &boot = QSysInfo::bootUniqueId()) {
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' + host.toUtf8() + '\n' +
           QSysInfo::machineUniqueId() + '\n' + boot + '\n';
}

ino_t inode(const QString &path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

// Rounds of takers racing for a lock a killed writer left, each pausing at
// random between making and naming its lock and between judging the stale
// one and replacing it. Whoever holds must be alone, and the path must name
// it for as long as it holds: no taker may replace a fresh lock.
TEST(LockFileRace, TakersOfAStaleLockAreNeverTwoAndNeverReplaceAFreshLock) {
    for (const bool withoutFlock : {false, true}) {
        SCOPED_TRACE(withoutFlock ? "without flock" : "with flock");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("vorqview.lock"));
        const qint64 dead = deadPid();
        std::atomic<int> holders{0}, overlaps{0}, notOwn{0}, locked{0};
        constexpr int kRounds = 8, kTakers = 3;
        for (int round = 0; round < kRounds; ++round) {
            writeLock(path, holderLines(dead, ownProgram(), QSysInfo::machineHostName()));
            std::atomic<int> ready{0};
            std::vector<std::thread> takers;
            for (int t = 0; t < kTakers; ++t) {
                takers.emplace_back([&] {
                    LockFileOptions o;
                    o.withoutFlock = withoutFlock;
                    o.pauseBeforeNamingMs = int(QRandomGenerator::global()->bounded(40));
                    o.pauseBeforeTakeoverMs = int(QRandomGenerator::global()->bounded(40));
                    LockFile lock(path, o);
                    ++ready;
                    while (ready < kTakers) std::this_thread::yield();
                    if (lock.tryLock(20000) != LockFile::Result::Locked) return;
                    ++locked;
                    if (++holders != 1) ++overlaps;
                    // One process: the holders differ by file, not by name.
                    const ino_t mine = inode(path);
                    for (int i = 0; i < 3; ++i) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(3));
                        if (inode(path) != mine) ++notOwn;
                    }
                    --holders;
                    lock.unlock();
                });
            }
            for (std::thread &t : takers) t.join();
        }
        EXPECT_EQ(locked, kRounds * kTakers);  // the stale lock never blocked anyone
        EXPECT_EQ(overlaps, 0);
        EXPECT_EQ(notOwn, 0);
        EXPECT_FALSE(QFile::exists(path));
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList());  // no temporary left
    }
}

// Who may take a lock over, with flock and without: only what proves its
// holder gone. The busy message names the holder.
TEST(LockFileStale, OnlyAGoneHolderIsTakenOverAndTheBusyOneIsNamed) {
    const QString host = QSysInfo::machineHostName();
    const qint64 dead = deadPid();
    struct Case {
        const char *what;
        QByteArray text;
        qint64 ageSecs;
        bool taken;
    };
    const QList<Case> cases{
        {"a dead pid of this host", holderLines(dead, ownProgram(), host), 0, true},
        {"a live pid of this host, days old", holderLines(::getpid(), ownProgram(), host), 3 * 86400, false},
        {"its pid now runs another program", holderLines(::getpid(), QStringLiteral("gone-vorq"), host), 0,
         true},
        {"this host has restarted since", holderLines(::getpid(), ownProgram(), host, "another-boot"), 0,
         true},
        {"another host, two seconds old",
         holderLines(4242, QStringLiteral("vorq"), QStringLiteral("elsewhere")), 2, false},
        {"another host, eleven minutes old",
         holderLines(4242, QStringLiteral("vorq"), QStringLiteral("elsewhere")), 660, true},
        {"names nobody, two seconds old", QByteArray(), 2, false},
        {"names nobody, two minutes old", QByteArray(), 120, true},
    };
    for (const bool withoutFlock : {false, true}) {
        for (const Case &c : cases) {
            SCOPED_TRACE(std::string(c.what) + (withoutFlock ? ", without flock" : ", with flock"));
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("vorqview.lock"));
            writeLock(path, c.text, c.ageSecs);
            LockFileOptions o;
            o.withoutFlock = withoutFlock;
            LockFile lock(path, o);
            EXPECT_EQ(lock.tryLock(0), c.taken ? LockFile::Result::Locked : LockFile::Result::Busy);
            if (c.taken) {
                EXPECT_EQ(readAll(path).split('\n').value(0), QByteArray::number(qint64(::getpid())));
            } else {
                EXPECT_EQ(readAll(path), c.text);
            }
        }
    }

    // With flock, a holder's flock says it lives, whatever its file says.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("vorqview.lock"));
    writeLock(path, holderLines(dead, ownProgram(), host));
    const int held = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    LockFile lock(path);
    EXPECT_EQ(lock.tryLock(50), LockFile::Result::Busy);
    ::close(held);
    EXPECT_EQ(lock.tryLock(0), LockFile::Result::Locked);
    lock.unlock();

    // The data folder's busy message: program, pid, host and since when.
    LockFileOptions o;
    o.program = QStringLiteral("vorq-import");
    LockFile other(dir.filePath(QLatin1String(kWriteLockName)), o);
    ASSERT_EQ(other.tryLock(0), LockFile::Result::Locked);
    try {
        DataFolderLock busy(sjis::fromUnicode(dir.path()), 0);
        ADD_FAILURE() << "the held lock was taken";
    } catch (const DataFolderBusyError &e) {
        const QString expected =
            QStringLiteral("vorq-import (プロセス %1、ホスト %2、%3").arg(::getpid()).arg(host);
        EXPECT_TRUE(e.message().contains(expected.arg(QDate::currentDate().toString(Qt::ISODate))))
            << e.what();
    }
}
