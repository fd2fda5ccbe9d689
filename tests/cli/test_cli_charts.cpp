#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "sjtest.h"
#include "vorqrun.h"

namespace {

class CliCharts : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data;
    void SetUp() override {
        data = dir.path();
        write("19950408.txt", sj("1\tＡＢＣ\t山田 太郎\r\n2\t曲\tJohn Smith\r\n"));
        write("19950415.txt", sj("1\tX\tY\r\n"));
        write("notfound.txt", sj("1995年04月22日\r\n"));
        write("file.idx", sj("19950408002\t/音楽/曲.mp3\t\r\n19950408001\thttp://e.example/\tprint\r\n"));
    }
    void write(const char *name, const QByteArray &bytes) const {
        vorq::sjis::saveFile(dir.filePath(QString::fromLatin1(name)), bytes);
    }
};

}  // namespace

TEST_F(CliCharts, DatesListsTheCalendarRangeLessNotFound) {
    const VorqRun r = runVorq({QStringLiteral("dates"), QStringLiteral("--data"), data,
                               QStringLiteral("--today"), QStringLiteral("1995-05-07")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out),
              u8("1995年04月08日\n1995年04月15日\n1995年04月29日\n1995年05月06日\n"));

    const VorqRun hidden =
        runVorq({QStringLiteral("dates"), QStringLiteral("--data"), data, QStringLiteral("--today"),
                 QStringLiteral("1995-05-07"), QStringLiteral("--hide-no-data"), QStringLiteral("--from"),
                 u8("1995年04月15日"), QStringLiteral("--sjis")});
    EXPECT_EQ(hidden.status, 0) << hidden.err.constData();
    EXPECT_EQ(hidden.out, sj("1995年04月15日\n"));
}

TEST_F(CliCharts, LoadPrintsEveryRowInTabOrder) {
    const VorqRun r =
        runVorq({QStringLiteral("load"), QStringLiteral("--data"), data, QStringLiteral("--today"),
                 QStringLiteral("1995-05-07"), QStringLiteral("--to"), QStringLiteral("1995-04-29")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out), u8("1995年04月15日\t1\tX\tY\t\t\n"
                                           "1995年04月08日\t1\tABC\t山田太郎\thttp://e.example/\tprint\n"
                                           "1995年04月08日\t2\t曲\tJohn Smith\t/音楽/曲.mp3\t\n"));
}

TEST_F(CliCharts, LoadResolveShowsFilesAsTheOpenCommandUsesThem) {
    // A medium (autorun.inf at its root) holding a copy of vorq and music;
    // vorq runs from another folder than the one it resolves against.
    const QString medium = QFileInfo(dir.path()).canonicalFilePath() + QStringLiteral("/medium");
    ASSERT_TRUE(QDir().mkpath(medium + QStringLiteral("/prog")));
    ASSERT_TRUE(QDir().mkpath(medium + QStringLiteral("/music")));
    vorq::sjis::saveFile(medium + QStringLiteral("/autorun.inf"), "[autorun]\r\n");
    vorq::sjis::saveFile(medium + QStringLiteral("/music/a.mp3"), "a");
    const QString vorq = medium + QStringLiteral("/prog/vorq");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), vorq));
    write("19950408.txt", sj("1\tA\tB\r\n2\tC\tD\r\n3\tE\tF\r\n4\tG\tH\r\n5\tI\tJ\r\n6\tK\tL\r\n"));
    write("file.idx", sj("19950408001\t\\music\\a.mp3\t\r\n"
                         "19950408002\t\\music\\..\\..\\etc\\passwd\t\r\n"
                         "19950408003\thttp://e.example/x.mp3\tplay\r\n"
                         "19950408004\tsub/../曲.mp3\t\r\n"
                         "19950408005\t/音楽/./曲.mp3\t\r\n"));
    const QStringList args = {
        QStringLiteral("load"),    QStringLiteral("--data"),     data,
        QStringLiteral("--today"), QStringLiteral("1995-04-10"), QStringLiteral("--resolve")};
    const VorqRun r = runVorqAt(vorq, args, medium + QStringLiteral("/music"));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out), u8("1995年04月08日\t1\tA\tB\t") + medium + u8("/music/a.mp3\t\n") +
                                            u8("1995年04月08日\t2\tC\tD\t\t\n"
                                               "1995年04月08日\t3\tE\tF\thttp://e.example/x.mp3\tplay\n"
                                               "1995年04月08日\t4\tG\tH\t") +
                                            medium + u8("/music/曲.mp3\t\n") +
                                            u8("1995年04月08日\t5\tI\tJ\t/音楽/曲.mp3\t\n"
                                               "1995年04月08日\t6\tK\tL\t\t\n"));
    // Without --resolve the stored texts stay as they are.
    const VorqRun stored = runVorqAt(vorq, args.mid(0, 5));
    EXPECT_TRUE(stored.out.contains("\t\\music\\..\\..\\etc\\passwd\t")) << stored.out.constData();
}

TEST_F(CliCharts, ControlCharactersOfStoredTextsDoNotReachTheTerminal) {
    write("19950408.txt", "1\tA\x1b]0;owned\x07\tB\x1b[2J\r\n");
    const QStringList args = {QStringLiteral("load"), QStringLiteral("--data"), data,
                              QStringLiteral("--today"), QStringLiteral("1995-04-10")};
    const VorqRun r = runVorq(args);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out),
              u8("1995年04月08日\t1\tA\uFFFD]0;owned\uFFFD\tB\uFFFD[2J\thttp://e.example/\tprint\n"));
    const VorqRun raw = runVorq(args + QStringList{QStringLiteral("--sjis")});
    EXPECT_TRUE(raw.out.contains("A\x1b]0;owned\x07\tB\x1b[2J\t"));
}

TEST_F(CliCharts, BadLinePrintsWhatLoadedBeforeAndFails) {
    write("19950408.txt", "1\tA\tB\r\nnot a rank\tT\tA\r\n");
    const VorqRun r = runVorq({QStringLiteral("load"), QStringLiteral("--data"), data,
                               QStringLiteral("--today"), QStringLiteral("1995-05-07")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(QString::fromUtf8(r.out), u8("1995年04月15日\t1\tX\tY\t\t\n"));
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(u8("'not a rank' は有効な整数ではありません。")))
        << r.err.constData();
}

TEST_F(CliCharts, DefaultsComeFromTheViewerSettings) {
    // The locator file is the first settings layer vorqview reads.
    const QString folder = scratchHome() + QStringLiteral("/share/Brelon/vorqview");
    ASSERT_TRUE(QDir().mkpath(folder));
    vorq::sjis::saveFile(folder + QStringLiteral("/vorqview.ini"),
                         sj("[ImportData]\r\nDataFolder=") + QFile::encodeName(data) +
                             sj("\r\n[Display]\r\nDateStart=1995年04月15日\r\nDateEndIsRecent=1\r\n"));
    const VorqRun r =
        runVorq({QStringLiteral("dates"), QStringLiteral("--today"), QStringLiteral("1995-05-07")});
    QFile::remove(folder + QStringLiteral("/vorqview.ini"));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out), u8("1995年04月15日\n1995年04月29日\n1995年05月06日\n"));
}

TEST_F(CliCharts, UsageAndFolderErrors) {
    EXPECT_EQ(runVorq({QStringLiteral("load"), QStringLiteral("--data")}).status, 2);
    // A stray word (a folder without --data, say) is not silently ignored.
    EXPECT_EQ(runVorq({QStringLiteral("dates"), data}).status, 2);
    EXPECT_EQ(
        runVorq({QStringLiteral("load"), QStringLiteral("--today"), QStringLiteral("07/05/1995")}).status, 2);
    EXPECT_EQ(runVorq({QStringLiteral("dates"), QStringLiteral("--data"), data, QStringLiteral("--from"),
                       QStringLiteral("yesterday")})
                  .status,
              2);
    const VorqRun missing =
        runVorq({QStringLiteral("load"), QStringLiteral("--data"), data + QStringLiteral("/nope")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(missing.err.isEmpty());
}

TEST_F(CliCharts, HistoryAndTopPrintTheirFormats) {
    write("19950429.txt", sj("3\tX\tY\r\n1\t曲\tJohn Smith\r\n"));
    const QStringList common{QStringLiteral("--data"), data, QStringLiteral("--today"),
                             QStringLiteral("1995-05-07")};
    const VorqRun song =
        runVorq(QStringList{QStringLiteral("history"), QStringLiteral("--title"), QStringLiteral("X"),
                            QStringLiteral("--artist"), QStringLiteral("Y")} +
                common);
    EXPECT_EQ(song.status, 0) << song.err.constData();
    // 04-22 is not broadcast: 04-15 and 04-29 are one run.
    EXPECT_EQ(QString::fromUtf8(song.out),
              u8("title: X\nartist: Y\ndebut: 1995年04月15日\ndebut rank: 1\nlast week: 1995年04月29日\n"
                 "last rank: 3\npeak rank: 1\npeak reached: 1995年04月15日\nweeks at peak: 1\n"
                 "weeks on chart: 2\nweeks at #1: 1\nruns: 1\nre-entries: 0\n"
                 "1995年04月15日\t1\n1995年04月29日\t3\n"));

    // Typed as the chart page shows it: full-width letters, a spaced name.
    const VorqRun typed = runVorq(QStringList{QStringLiteral("history"), QStringLiteral("--title"),
                                              u8("ＡＢＣ"), QStringLiteral("--artist"), u8("山田 太郎")} +
                                  common);
    EXPECT_EQ(typed.status, 0) << typed.err.constData();

    const VorqRun artist = runVorq(QStringList{QStringLiteral("history"), QStringLiteral("--artist"),
                                               QStringLiteral("John Smith"), QStringLiteral("--json")} +
                                   common);
    const QJsonObject o = QJsonDocument::fromJson(artist.out).object();
    EXPECT_EQ(o.value(QStringLiteral("songs")).toInt(), 1);
    EXPECT_EQ(o.value(QStringLiteral("total_weeks")).toInt(), 2);
    // A week without the song (04-15) ends the run.
    EXPECT_EQ(
        o.value(QStringLiteral("song_list")).toArray().at(0).toObject().value(QStringLiteral("runs")).toInt(),
        2);

    const VorqRun top =
        runVorq(QStringList{QStringLiteral("top"), QStringLiteral("--by"), QStringLiteral("peak"),
                            QStringLiteral("--limit"), QStringLiteral("2")} +
                common);
    // A tie: the earlier debut first.
    EXPECT_EQ(QString::fromUtf8(top.out), u8("1\t1\t2\t曲\tJohn Smith\n2\t1\t2\tX\tY\n"));
    const VorqRun unknown =
        runVorq(QStringList{QStringLiteral("history"), QStringLiteral("--artist"), QStringLiteral("nobody")} +
                common);
    EXPECT_EQ(unknown.status, 1);
}

TEST(CliFolders, AUserFolderShiftJisCannotNameStopsWithAClearMessage) {
    QTemporaryDir base;
    const QString home = base.filePath(QStringLiteral("françois"));
    ASSERT_TRUE(QDir().mkpath(home));
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.remove(QStringLiteral("XDG_DATA_HOME"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), base.filePath(QStringLiteral("config")));
    p.setProcessEnvironment(env);
    p.start(vorqCopy(), {QStringLiteral("dates"), QStringLiteral("--today"), QStringLiteral("1995-05-07")});
    ASSERT_TRUE(p.waitForFinished(60000));
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_TRUE(p.readAllStandardOutput().isEmpty());  // no dates from "/" or the current folder
    const QString err = QString::fromUtf8(p.readAllStandardError());
    EXPECT_TRUE(err.contains(home + QStringLiteral("/.local/share/"))) << err.toStdString();
    EXPECT_TRUE(err.contains(QStringLiteral("XDG_DATA_HOME"))) << err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/Brelon")));
}
