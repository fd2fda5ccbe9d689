// The write lock's protocol under the races it exists for, with and
// without flock.
#include "core/datafolder/lockfile.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QRandomGenerator>
#include <QSysInfo>
#include <atomic>
#include <thread>

#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

qint64 deadPid() {  // what a killed writer's lock names
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ::waitpid(child, nullptr, 0);
    return child;
}

QByteArray holder(qint64 pid, const char *host = nullptr, const QByteArray &boot = QSysInfo::bootUniqueId()) {
    const QString program = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).fileName();
    return QByteArray::number(pid) + '\n' + program.toUtf8() + '\n' +
           (host ? QByteArray(host) : QSysInfo::machineHostName().toUtf8()) + '\n' +
           QSysInfo::machineUniqueId() + '\n' + boot + '\n';
}

void writeLock(const QString &path, const QByteArray &text, qint64 ageSecs = 0) {
    sjis::saveFile(path, text);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    ASSERT_TRUE(
        f.setFileTime(QDateTime::currentDateTime().addSecs(-ageSecs), QFileDevice::FileModificationTime));
}

ino_t inode(const QString &path) {
    struct stat st;
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

}  // namespace

// Rounds of takers racing for the lock a killed writer left, each pausing
// at random between making and naming its lock and between judging the
// stale one and replacing it: one holder at a time, and a holder's lock is
// never replaced under it.
TEST(LockFileRace, TakersOfAStaleLockAreNeverTwoAndNeverReplaceAFreshLock) {
    for (const bool withoutFlock : {false, true}) {
        SCOPED_TRACE(withoutFlock ? "without flock" : "with flock");
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("vorqview.lock"));
        std::atomic<int> holders{0}, overlaps{0}, replaced{0}, locked{0};
        constexpr int kRounds = 8, kTakers = 3;
        for (int round = 0; round < kRounds; ++round) {
            writeLock(path, holder(deadPid()));
            std::atomic<int> ready{0};
            std::vector<std::thread> takers;
            for (int t = 0; t < kTakers; ++t)
                takers.emplace_back([&] {
                    LockFileOptions o;
                    o.withoutFlock = withoutFlock;
                    o.pauseBeforeNamingMs = int(QRandomGenerator::global()->bounded(40));
                    o.pauseBeforeTakeoverMs = int(QRandomGenerator::global()->bounded(40));
                    LockFile lock(path, o);
                    for (++ready; ready < kTakers;) std::this_thread::yield();
                    if (lock.tryLock(20000) != LockFile::Result::Locked) return;
                    ++locked;
                    if (++holders != 1) ++overlaps;
                    // Held while a taker paused at either seam could strike;
                    // one process: holders differ by file.
                    const ino_t mine = inode(path);
                    for (int i = 0; i < 3; ++i) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                        if (inode(path) != mine) ++replaced;
                    }
                    --holders;
                });
            for (std::thread &t : takers) t.join();
        }
        EXPECT_EQ(locked, kRounds * kTakers);
        EXPECT_EQ(overlaps, 0);
        EXPECT_EQ(replaced, 0);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
                  QStringList());  // nothing left behind
    }
}

// Only a lock whose holder is gone is taken over, with flock and without;
// the busy message names the holder.
TEST(LockFileStale, OnlyAGoneHolderIsTakenOverAndTheBusyOneIsNamed) {
    const struct {
        QByteArray text;
        qint64 ageSecs;
        bool taken;
    } cases[] = {
        {holder(deadPid()), 0, true},                        // killed on this host
        {holder(::getpid()), 3 * 86400, false},              // alive, however old
        {holder(::getpid(), nullptr, "rebooted"), 0, true},  // this host restarted since
        {holder(4242, "elsewhere"), 2, false},               // another host: asked by age only
        {holder(4242, "elsewhere"), 660, true},
        {QByteArray(), 2, false},  // names nobody: an older writer between creating and naming
        {QByteArray(), 120, true},
    };
    for (const bool withoutFlock : {false, true}) {
        for (const auto &c : cases) {
            SCOPED_TRACE(c.text.toStdString() + (withoutFlock ? " without flock" : ""));
            QTemporaryDir dir;
            const QString path = dir.filePath(QStringLiteral("vorqview.lock"));
            writeLock(path, c.text, c.ageSecs);
            LockFileOptions o;
            o.withoutFlock = withoutFlock;
            LockFile lock(path, o);
            EXPECT_EQ(lock.tryLock(0), c.taken ? LockFile::Result::Locked : LockFile::Result::Busy);
            EXPECT_EQ(sjis::readFile(path) == c.text, !c.taken);
        }
    }
    // A holder's flock says it lives, whatever its file says.
    QTemporaryDir dir;
    const QString path = dir.filePath(QLatin1String(kWriteLockName));
    const QByteArray named = holder(deadPid());
    writeLock(path, named);
    const int held = ::open(QFile::encodeName(path).constData(), O_RDONLY);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    try {
        DataFolderLock busy(sjis::fromUnicode(dir.path()), 50);
        ADD_FAILURE() << "a flocked lock was taken";
    } catch (const DataFolderBusyError &e) {  // program, pid, host, since when
        const QStringList h = QString::fromUtf8(named).split(QLatin1Char('\n'));
        EXPECT_TRUE(
            e.message().contains(QStringLiteral("%1 (プロセス %2、ホスト %3、%4 ")
                                     .arg(h[1], h[0], h[2], QDate::currentDate().toString(Qt::ISODate))))
            << e.what();
    }
    ::close(held);
    EXPECT_TRUE(DataFolderLock(sjis::fromUnicode(dir.path()), 0).holds());
}
