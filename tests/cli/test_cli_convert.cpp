// vorq detect / convert / parse through the built binary: the exact output
// formats scripts depend on.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "sjtest.h"

namespace {

struct Result {
    int status = -1;
    QByteArray out, err;
};

Result runVorq(const QStringList &args, const QByteArray &input = {}) {
    QProcess p;
    p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), args);
    EXPECT_TRUE(p.waitForStarted());
    p.write(input);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitCode(), p.readAllStandardOutput(), p.readAllStandardError()};
}

const QByteArray kPage =
    "<html>\n<!-- / NO1 -->\n0123456789abc\n<table>\n"
    "<tr><td>Rank</td><td>\xb0\xf5</td><td>Title</td><td>Artist</td></tr>\n"
    "<tr><td>1.</td><td>-</td><td>\xb6\xca\xcc\xbe \xa3\xc1</td><td>X \xa4\xa2</td></tr>\n"
    "</table>";  // EUC-JP (decided by the kanji), no final line end

}  // namespace

TEST(CliConvert, DetectPrintsTheCodeKind) {
    EXPECT_EQ(runVorq({QStringLiteral("detect")}, "ascii").out, QByteArray("0\n"));
    EXPECT_EQ(runVorq({QStringLiteral("detect")}, "a\x82\xa0 ").out, QByteArray("5\n"));
    EXPECT_EQ(runVorq({QStringLiteral("detect")}, "a\x1b$B0!").out, QByteArray("2\n"));
    QTemporaryDir dir;
    QFile f(dir.filePath(QStringLiteral("e.txt")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("abc\xb0\xf5 ");
    f.close();
    EXPECT_EQ(runVorq({QStringLiteral("detect"), f.fileName()}).out, QByteArray("4\n"));
    EXPECT_EQ(runVorq({QStringLiteral("detect"), dir.filePath(QStringLiteral("missing"))}).status, 1);
}

TEST(CliConvert, ConvertWritesRawBytes) {
    EXPECT_EQ(runVorq({QStringLiteral("convert")}, "\x1b$B0!\x1b(B").out, QByteArray("\x88\x9f"));
    EXPECT_EQ(
        runVorq({QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("euc")}, "\x1b$B0!").out,
        QByteArray("\xb0\xa1"));
    EXPECT_EQ(runVorq({QStringLiteral("convert"), QStringLiteral("--to=jis")}, "\x82\xa0\xb6\xde").out,
              QByteArray("\x1b$B$\"%,"));
    const QByteArray binary("a\0b\x82\xa0", 5);
    EXPECT_EQ(runVorq({QStringLiteral("convert")}, binary).out, binary);
    EXPECT_EQ(
        runVorq({QStringLiteral("convert"), QStringLiteral("--to"), QStringLiteral("utf8")}, "x").status, 2);
}

TEST(CliConvert, ParsePrintsEveryRowTabSeparated) {
    const Result r = runVorq({QStringLiteral("parse")}, kPage);
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(r.out), u8("Rank\tTitle\tArtist\n1\t曲名 A\tXあ\n"));
    EXPECT_EQ(runVorq({QStringLiteral("parse"), QStringLiteral("--no-edit")}, kPage).out,
              QString(u8("Rank\tTitle\tArtist\n1\t曲名 Ａ\tX あ\n")).toUtf8());
    EXPECT_EQ(runVorq({QStringLiteral("parse"), QStringLiteral("--sjis")}, kPage).out,
              QByteArray("Rank\tTitle\tArtist\n1\t") + sj("曲名 A\tXあ\n"));
    // An empty skip string is allowed: the first table of the page is read.
    const QByteArray two = "<table><tr><td>9.</td><td>-</td><td>T</td><td>A</td></tr></table>" + kPage;
    EXPECT_EQ(runVorq({QStringLiteral("parse"), QStringLiteral("--skip"), QString()}, two).out,
              QByteArray("9\tT\tA\n"));
    EXPECT_EQ(runVorq({QStringLiteral("parse")}, QByteArray()).out, QByteArray("\n"));
}
