#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QTemporaryDir>

#include "core/datafolder/datafolderlock.h"
#include "core/datafolder/folderwatch.h"
#include "core/text/sjistext.h"

using namespace vorq;

TEST(DataFolderLock, AWriterWaitsThenSaysWhoIsInTheWay) {
    QTemporaryDir dir;
    const QByteArray folder = sjis::fromUnicode(dir.path() + QLatin1Char('/'));
    // Another program's lock (this process is alive, so it is not stale).
    QLockFile other(dir.path() + QLatin1Char('/') + QLatin1String(kWriteLockName));
    ASSERT_TRUE(other.tryLock(0));
    try {
        DataFolderLock lock(folder, 50);
        FAIL() << "locked a held folder";
    } catch (const DataFolderBusyError &e) {
        EXPECT_TRUE(
            e.message().startsWith(QString::fromUtf8("データフォルダは他のプログラムが使用中です。")));
        EXPECT_TRUE(e.message().contains(dir.path()));
    }
    other.unlock();
    {
        DataFolderLock lock(folder, 0);
        EXPECT_TRUE(lock.holds());
        DataFolderLock nested(folder, 0);  // the same process: no wait for itself
        EXPECT_FALSE(nested.holds());
    }
    EXPECT_FALSE(QFile::exists(other.fileName()));
    // A folder that is not there is neither locked nor created.
    EXPECT_FALSE(DataFolderLock(folder + "missing/", 0).holds());
    EXPECT_FALSE(QDir(dir.path() + QStringLiteral("/missing")).exists());
}

TEST(FolderWatch, SnapshotsTellNewAndReplacedChartsAndTheTwoListFiles) {
    QTemporaryDir dir;
    auto write = [&](const char *name, const QByteArray &text) {
        QFile f(dir.path() + QLatin1Char('/') + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    write("20010303.txt", "1\ta\tb\r\n");
    write("file.idx", "");
    const FolderSnapshot before = FolderSnapshot::take(dir.path());
    write("20010303.txt", "1\ta\tb\r\n2\tc\td\r\n");
    write("20010310.TXT", "1\ta\tb\r\n");
    write("notfound.txt", "x\r\n");
    write("other.txt", "ignored");
    write("vorqview.lock", "1");
    const FolderChanges c = diffSnapshots(before, FolderSnapshot::take(dir.path()));
    EXPECT_EQ(c.newCharts, QList<int>{20010310});
    EXPECT_EQ(c.replacedCharts, QList<int>{20010303});
    EXPECT_TRUE(c.notFound);
    EXPECT_FALSE(c.index);
}

TEST(FolderWatch, ReloadsAreGatheredAtMostOnceASecondAndWaitForABusyWindow) {
    ReloadPacer p;
    EXPECT_EQ(p.delayMs(0, false), -1);
    p.changed(1000);
    p.changed(1100);                       // gathered with the first
    EXPECT_EQ(p.delayMs(1100, true), -1);  // busy: asked again after
    EXPECT_EQ(p.delayMs(1100, false), 100);
    p.ran(1200);
    p.changed(1300);
    EXPECT_EQ(p.delayMs(1300, false), 900);  // a second after the last reload
    EXPECT_EQ(p.delayMs(5000, false), 0);    // long overdue after a busy spell
}
