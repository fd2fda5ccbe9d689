#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
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
