#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sjtest.h"
#include "vorqrun.h"

namespace {

class CliPlaylist : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data;
    void SetUp() override {
        data = dir.path();
        write("19950408.txt", sj("1\tA\tx\r\n2\tB\ty\r\n"));
        write("19950415.txt", sj("1\tB\ty\r\n2\tC\tz\r\n3\tA\tx\r\n"));
        write("file.idx", sj("19950415001\t/b.mp3\t\r\n19950415003\t/音楽/a.mp3\tplay\r\n"
                             "19950408001\t/a0.mp3\t\r\n"));
    }
    void write(const char *name, const QByteArray &bytes) const {
        vorq::sjis::saveFile(dir.filePath(QString::fromLatin1(name)), bytes);
    }
    VorqRun playlist(QStringList args) const {
        args.prepend(QStringLiteral("playlist"));
        args << QStringLiteral("--data") << data << QStringLiteral("--today") << QStringLiteral("1995-05-07");
        return runVorq(args);
    }
};

}  // namespace

TEST_F(CliPlaylist, PrintsTheEightTextsOfEveryRowInGeneratedOrder) {
    const VorqRun r = playlist({QStringLiteral("--order"), QStringLiteral("0"),
                                QStringLiteral("--not-associated"), QStringLiteral("on")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out), u8("1995年04月15日\t1\tB\ty\t/b.mp3\t\t0\t1\n"
                                           "1995年04月15日\t2\tC\tz\t\t\t-1\t1\n"
                                           "1995年04月15日\t3\tA\tx\t/音楽/a.mp3\tplay\t-2\t1\n"));
}

TEST_F(CliPlaylist, DefaultsAreThePlaylistMakersStoredSettings) {
    const QString folder = scratchHome() + QStringLiteral("/share/Brelon/vorqview");
    ASSERT_TRUE(QDir().mkpath(folder));
    vorq::sjis::saveFile(folder + QStringLiteral("/vorqview.ini"),
                         "[Playlist]\r\nOrder=4\r\nSorted=0\r\nNotAssociateFile=1\r\n");
    const VorqRun r = playlist({});
    QFile::remove(folder + QStringLiteral("/vorqview.ini"));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    // Appearances, lowest first: C once, A and B twice.
    const QList<QByteArray> lines = r.out.split('\n');
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], "1995年04月15日\t2\tC\tz\t\t\t1\t1");
    EXPECT_TRUE(lines[1].endsWith("\t2\t2") && lines[2].endsWith("\t2\t2")) << r.out.constData();
}

TEST_F(CliPlaylist, WritesThePlaylistFileRepeatingFromTheTop) {
    const QString m3u = dir.filePath(QStringLiteral("list.m3u"));
    const VorqRun r = playlist(
        {QStringLiteral("--order"), QStringLiteral("0"), QStringLiteral("--not-associated"),
         QStringLiteral("on"), QStringLiteral("--m3u"), m3u, QStringLiteral("--count"), QStringLiteral("5")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.isEmpty());
    const QByteArray a = sj("/音楽/a.mp3");
    EXPECT_EQ(vorq::sjis::readFile(m3u), "/b.mp3\r\n" + a + "\r\n/b.mp3\r\n" + a + "\r\n/b.mp3\r\n");

    // Without associated files nothing is written.
    const QString none = dir.filePath(QStringLiteral("none.m3u"));
    const VorqRun empty =
        playlist({QStringLiteral("--associated"), QStringLiteral("off"), QStringLiteral("--not-associated"),
                  QStringLiteral("on"), QStringLiteral("--m3u"), none});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(QString::fromUtf8(empty.err).contains(u8("関連付けされたファイルがありません。")));
    EXPECT_FALSE(QFile::exists(none));
    EXPECT_EQ(playlist({QStringLiteral("--order"), QStringLiteral("6")}).status, 2);
    EXPECT_EQ(playlist({QStringLiteral("--direction"), QStringLiteral("sideways")}).status, 2);
}
