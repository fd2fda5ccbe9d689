// vorq search --playlist and vorq playlist --m3u in the extended forms: by extension, by --format,
// relative paths, and the designed list left as it was.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "sjtest.h"

namespace {

class CliPlaylistFormat : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data, music;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        data = dir.filePath(QStringLiteral("data"));
        music = dir.filePath(QStringLiteral("music"));
        ASSERT_TRUE(QDir().mkpath(data) && QDir().mkpath(music));
        vorq::sjis::saveLines(data + QStringLiteral("/19950408.txt"),
                              {sj("1\t夜空\t歌手"), sj("2\t海\t誰か")});
        vorq::sjis::saveLines(data + QStringLiteral("/file.idx"),
                              {"19950408001\t" + sj(qPrintable(music + u8("/夜空.mp3"))) + '\t'});
    }

    int run(const QString &command, const QStringList &extra) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("share")));
        p.setProcessEnvironment(env);
        p.start(
            QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"),
            QStringList{command, QStringLiteral("--data"), data, QStringLiteral("--from"),
                        QStringLiteral("1995-04-08"), QStringLiteral("--to"), QStringLiteral("1995-04-08"),
                        QStringLiteral("--today"), QStringLiteral("1995-04-10")} +
                extra);
        if (!p.waitForFinished(60000)) return -1;
        return p.exitCode();
    }
    int search(const QStringList &extra) { return run(QStringLiteral("search"), extra); }
    QByteArray read(const QString &name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

}  // namespace

TEST_F(CliPlaylistFormat, ExtensionOrFormatChoosesTheFormAndTheDesignedListStays) {
    ASSERT_EQ(search({QStringLiteral("--playlist"), dir.filePath(QStringLiteral("a.m3u8")),
                      QStringLiteral("--count"), QStringLiteral("2")}),
              0);
    EXPECT_EQ(read(QStringLiteral("a.m3u8")),
              "#EXTM3U\n#EXTINF:-1,歌手 - 夜空\n" + (music + u8("/夜空.mp3")).toUtf8() +
                  "\n#EXTINF:-1,歌手 - 夜空\n" + (music + u8("/夜空.mp3")).toUtf8() + "\n");
    ASSERT_EQ(search({QStringLiteral("--playlist"), dir.filePath(QStringLiteral("b.m3u8")),
                      QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--relative")}),
              0);
    EXPECT_EQ(read(QStringLiteral("b.m3u8")),
              QByteArray("#EXTM3U\n#EXTINF:-1,歌手 - 夜空\nmusic/夜空.mp3\n"));
    ASSERT_EQ(search({QStringLiteral("--playlist"), dir.filePath(QStringLiteral("c.txt")),
                      QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--format=xspf")}),
              0);
    EXPECT_TRUE(read(QStringLiteral("c.txt")).contains("<creator>歌手</creator>"));
    ASSERT_EQ(search({QStringLiteral("--playlist"), dir.filePath(QStringLiteral("d.m3u8")),
                      QStringLiteral("--count"), QStringLiteral("1"), QStringLiteral("--format"),
                      QStringLiteral("m3u")}),
              0);
    EXPECT_EQ(read(QStringLiteral("d.m3u8")), sj(qPrintable(music + u8("/夜空.mp3"))) + "\r\n");

    EXPECT_EQ(search({QStringLiteral("--playlist"), dir.filePath(QStringLiteral("e.m3u")),
                      QStringLiteral("--format"), QStringLiteral("ogg")}),
              2);
    EXPECT_EQ(search({QStringLiteral("--format"), QStringLiteral("m3u8")}), 2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("e.m3u"))));
}

TEST_F(CliPlaylistFormat, PlaylistMakerWritesTheSameFormsAsSearch) {
    const QByteArray entry = "#EXTINF:-1,歌手 - 夜空\n";
    ASSERT_EQ(
        run(QStringLiteral("playlist"), {QStringLiteral("--m3u"), dir.filePath(QStringLiteral("p.m3u8")),
                                         QStringLiteral("--count"), QStringLiteral("2")}),
        0);
    EXPECT_EQ(read(QStringLiteral("p.m3u8")), "#EXTM3U\n" + entry + (music + u8("/夜空.mp3")).toUtf8() +
                                                  "\n" + entry + (music + u8("/夜空.mp3")).toUtf8() + "\n");
    ASSERT_EQ(
        run(QStringLiteral("playlist"),
            {QStringLiteral("--m3u"), dir.filePath(QStringLiteral("p.xspf")), QStringLiteral("--relative")}),
        0);
    const QByteArray xspf = read(QStringLiteral("p.xspf"));
    EXPECT_TRUE(xspf.contains("<location>music/%E5%A4%9C%E7%A9%BA.mp3</location>")) << xspf.constData();
    ASSERT_EQ(run(QStringLiteral("playlist"), {QStringLiteral("--m3u"), dir.filePath(QStringLiteral("p.m3u")),
                                               QStringLiteral("--count"), QStringLiteral("1")}),
              0);
    EXPECT_EQ(read(QStringLiteral("p.m3u")), sj(qPrintable(music + u8("/夜空.mp3"))) + "\r\n");
    ASSERT_EQ(run(QStringLiteral("playlist"), {QStringLiteral("--m3u"), dir.filePath(QStringLiteral("q.m3u")),
                                               QStringLiteral("--format"), QStringLiteral("m3u8")}),
              0);
    EXPECT_TRUE(read(QStringLiteral("q.m3u")).startsWith("#EXTM3U\n"));

    EXPECT_EQ(run(QStringLiteral("playlist"), {QStringLiteral("--relative")}), 2);
    EXPECT_EQ(run(QStringLiteral("playlist"), {QStringLiteral("--m3u"), dir.filePath(QStringLiteral("r.m3u")),
                                               QStringLiteral("--format=pls")}),
              2);
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("r.m3u"))));
}
