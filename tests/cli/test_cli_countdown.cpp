// vorq countdown: a week as the player counts it down, written through the
// playlist writers, the songs that cannot play on stderr.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sjtest.h"
#include "vorqrun.h"

namespace {

class CliCountdown : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data, music;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        data = dir.filePath(QStringLiteral("data"));
        music = dir.filePath(QStringLiteral("music"));
        ASSERT_TRUE(QDir().mkpath(data) && QDir().mkpath(music));
        for (const char *name : {"一.wav", "3.wav", "5.wav"}) {
            QFile f(music + u'/' + u8(name));
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        // Rank 4's title carries an escape sequence, as a hostile page could.
        vorq::sjis::saveLines(
            data + QStringLiteral("/19950408.txt"),
            {sj("1\t夜空\t歌手"), "2\tNone\tX", "3\tThree\tY", "4\tBad\x1b[2J\tZ", "5\tFive\tW"});
        vorq::sjis::saveLines(data + QStringLiteral("/19950415.txt"), {"1\tOnly\tV"});
        vorq::sjis::saveLines(
            data + QStringLiteral("/file.idx"),
            {"19950408001\t" + path("一.wav") + '\t', "19950408003\t" + path("3.wav") + '\t',
             "19950408004\t" + path("gone.wav") + '\t', "19950408005\t" + path("5.wav") + '\t',
             "19950415001\thttp://www.vorq.example/only.mp3\t"});
    }
    QByteArray path(const char *name) const { return sj(qPrintable(music + u'/' + u8(name))); }
    QByteArray utf8(const char *name) const { return (music + u'/' + u8(name)).toUtf8(); }
    VorqRun run(const QStringList &extra) {
        return runVorq(QStringList{QStringLiteral("countdown"), QStringLiteral("--data"), data,
                                   QStringLiteral("--today"), QStringLiteral("1995-05-01")} +
                       extra);
    }
    QByteArray read(const QString &name) {
        QFile f(dir.filePath(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
};

TEST_F(CliCountdown, WritesTheCountdownAndListsWhatCannotPlay) {
    const QByteArray skip4 =
        "再生できない曲\t4\tBad\xef\xbf\xbd[2J\tZ\tファイルがない\t" + utf8("gone.wav") + '\n';
    const QByteArray skip2 = "再生できない曲\t2\tNone\tX\t関連付けなし\t\n";
    struct Case {
        std::vector<const char *> args;  // "@name": that file in the test's folder
        int status;
        QByteArray out;
        QByteArray err;
        const char *file = nullptr;  // and what it holds
        QByteArray content = {};
    } cases[] = {
        // M3U8 on stdout, the lowest rank first.
        {{"--date", "1995-04-08"},
         0,
         "#EXTM3U\n#EXTINF:-1,W - Five\n" + utf8("5.wav") + "\n#EXTINF:-1,Y - Three\n" + utf8("3.wav") +
             "\n#EXTINF:-1,歌手 - 夜空\n" + utf8("一.wav") + '\n',
         skip4 + skip2},
        // The top 3 from #1 as the classic Shift-JIS path list.
        {{"--date", "1995-04-08", "--top", "3", "--from-top", "--format", "m3u"},
         0,
         path("一.wav") + "\r\n" + path("3.wav") + "\r\n",
         skip2},
        // Into a file by its extension, paths relative to it.
        {{"--date", "1995-04-08", "--top", "3", "--output", "@w.m3u8", "--relative"},
         0,
         {},
         skip2,
         "w.m3u8",
         "#EXTM3U\n#EXTINF:-1,Y - Three\nmusic/3.wav\n#EXTINF:-1,歌手 - 夜空\nmusic/一.wav\n"},
        // Nothing plays: said so, nothing written, a failure.
        {{"--date", "1995-04-15", "--output", "@none.m3u8"},
         1,
         {},
         "再生できない曲\t1\tOnly\tV\tWebアドレス\thttp://www.vorq.example/only.mp3\n"
         "vorq: 1995年04月15日 には再生できる曲がありません。\n",
         "none.m3u8",
         "<missing>"},
        {{"--date", "1995-04-22"}, 1, {}, "vorq: 1995年04月22日 のチャートがありません。\n"},
        {{"--date", "1995-04-08", "--top", "0"}, 2, {}, {}},
        {{"--date", "1995-04-08", "--relative"}, 2, {}, {}},
    };
    for (const Case &c : cases) {
        QStringList args;
        for (const char *a : c.args)
            args << (a[0] == '@' ? dir.filePath(QString::fromUtf8(a + 1)) : QString::fromUtf8(a));
        const VorqRun r = run(args);
        const std::string name = args.join(u' ').toStdString();
        EXPECT_EQ(r.status, c.status) << name << '\n' << r.err.constData();
        EXPECT_EQ(r.out, c.out) << name;
        if (c.status != 2) {
            EXPECT_EQ(r.err, c.err) << name;
        }
        if (c.file) {
            EXPECT_EQ(read(QString::fromLatin1(c.file)), c.content) << name;
        }
    }
}

}  // namespace
