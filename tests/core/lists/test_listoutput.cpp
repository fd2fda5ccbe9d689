// Song list output: the column set, the save lines and the print layout.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>

#include "core/base/errors.h"
#include "core/lists/listoutput.h"
#include "core/playlist/playlistwriter.h"
#include "sjtest.h"

using namespace vorq;

namespace {

ChartTable chart() {
    return {{"1", sj("長い長い曲名です"), "A", "/m/a.mp3", ""},
            {"2", "T2", sj("歌手"), "", "play"},
            {"10", "T3", "C", "", ""}};
}

QByteArray saved(const QList<QByteArray> &captions, const ListRows &rows, const OutputChoice &c, qint64 n) {
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    if (!writeList(&b, captions, rows, c, n)) return "<nothing>";
    return b.data();
}

OutputChoice only(const char *names) {
    OutputChoice c;
    EXPECT_TRUE(parseOutputColumns(QString::fromLatin1(names), &c));
    return c;
}

TEST(ListOutput, ColumnSetFollowsTheChoicesAndTheDateColumn) {
    OutputChoice defaults;
    defaults.date = true;
    // A chart has no date column: "date" has no effect there.
    auto headers = [](const QList<OutputColumn> &cols) {
        QList<QByteArray> h;
        for (const auto &c : cols) h << QByteArray::number(c.field) + ':' + c.header;
        return h;
    };
    EXPECT_EQ(headers(columnSet(chartCaptions(), defaults)),
              QList<QByteArray>({"0:" + sj("順位"), "1:" + sj("曲名"), "2:" + sj("アーティスト名"),
                                 "3:" + sj("起動ファイル名")}));
    defaults.method = true;
    EXPECT_EQ(
        headers(columnSet(resultCaptions(), defaults)),
        QList<QByteArray>({"0:" + sj("日付"), "1:" + sj("順位"), "2:" + sj("曲名"),
                           "3:" + sj("アーティスト名"), "4:" + sj("起動ファイル名"), "5:" + sj("コマンド")}));
    EXPECT_TRUE(columnSet(resultCaptions(), only("")).isEmpty());
    OutputChoice bad;
    EXPECT_FALSE(parseOutputColumns(QStringLiteral("title,rank"), &bad));
}

TEST(ListOutput, SaveWritesHeaderAndCountRowsWithWrapAroundAndCrLf) {
    const ChartTable t = chart();
    const ChartRows rows(t);
    // The default choices: number, title, artist, file; unassociated rows end with a tab.
    EXPECT_EQ(saved(chartCaptions(), rows, OutputChoice{}, 3),
              sj("順位\t曲名\tアーティスト名\t起動ファイル名\r\n") + "1\t" + sj("長い長い曲名です") +
                  "\tA\t/m/a.mp3\r\n2\tT2\t" + sj("歌手") + "\t\r\n10\tT3\tC\t\r\n");
    // Only the title; a count of twice the rows repeats them in order.
    EXPECT_EQ(saved(chartCaptions(), rows, only("title"), 6),
              sj("曲名\r\n") + sj("長い長い曲名です") + "\r\nT2\r\nT3\r\n" + sj("長い長い曲名です") +
                  "\r\nT2\r\nT3\r\n");
    EXPECT_EQ(saved(chartCaptions(), rows, only("title"), 1),
              sj("曲名\r\n") + sj("長い長い曲名です") + "\r\n");
    EXPECT_EQ(saved(chartCaptions(), rows, only("title"), 0), sj("曲名\r\n"));
    EXPECT_EQ(saved(chartCaptions(), rows, only("title"), -4), sj("曲名\r\n"));
    EXPECT_EQ(saved(chartCaptions(), rows, only(""), 3), "<nothing>");
    const ChartTable empty;
    EXPECT_EQ(saved(chartCaptions(), ChartRows(empty), OutputChoice{}, 3), "<nothing>");
    // A tab inside a field is written as it is, not quoted.
    const ChartTable tabbed{{"1", "a\tb", "x", "", ""}};
    EXPECT_EQ(saved(chartCaptions(), ChartRows(tabbed), only("title,artist"), 1),
              sj("曲名\tアーティスト名\r\n") + "a\tb\tx\r\n");
}

TEST(ListOutput, SaveFileIsAtomicAndNothingIsCreatedForNothing) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("list.txt"));
    const ChartTable t = chart();
    EXPECT_FALSE(saveList(path, chartCaptions(), ChartRows(t), only(""), 3));
    EXPECT_FALSE(QFile::exists(path));
    ASSERT_TRUE(saveList(path, chartCaptions(), ChartRows(t), only("number"), 1));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), sj("順位\r\n1\r\n"));
    // A folder that does not exist: the system's message, nothing written.
    EXPECT_THROW(saveList(dir.filePath(QStringLiteral("no/such/list.txt")), chartCaptions(), ChartRows(t),
                          only("number"), 1),
                 FileError);
}

TEST(ListOutput, PrintLayoutWidthsInBytesOverAllRowsAndRedByFile) {
    ResultList rows{
        ResultRow::fromEntry(sj("2001年01月06日"), {"1", sj("長い長い曲名です"), "A", "/m/a", ""}),
        ResultRow::fromEntry(sj("2001年01月13日"), {"2", "T2", sj("歌手"), "", ""}),
        ResultRow::fromEntry(sj("2001年01月20日"), {"10", "T3", "C", "x", ""})};
    const ResultRows rr(rows);
    // The file column is off, yet the associated rows print red.
    const PrintLayout l(resultCaptions(), rr, only("date,number,title,artist"), 2);
    // Date 14 bytes, rank "順位" 4, title 16 (the long title), artist 14 ("アーティスト名"), each + 1.
    EXPECT_EQ(l.widths(), QList<qsizetype>({15, 5, 17, 15}));
    EXPECT_EQ(l.header(), sj("日付") + QByteArray(11, ' ') + sj("順位") + ' ' + sj("曲名") +
                              QByteArray(13, ' ') + sj("アーティスト名"));
    EXPECT_EQ(l.line(rr, 1), sj("2001年01月13日") + " 2    T2" + QByteArray(15, ' ') + sj("歌手"));
    EXPECT_EQ(l.rowCount(), 2);  // n below the rows; the widths still count the third row
    EXPECT_TRUE(l.isRed(rr, 0));
    EXPECT_FALSE(l.isRed(rr, 1));
    EXPECT_EQ(PrintLayout(resultCaptions(), rr, only("title"), 0).rowCount(), 3);
    EXPECT_EQ(PrintLayout(resultCaptions(), rr, only("title"), 7).rowCount(), 3);
    EXPECT_EQ(PrintLayout(resultCaptions(), rr, only("title"), -1).rowCount(), 0);
    EXPECT_TRUE(PrintLayout(resultCaptions(), rr, only(""), 3).isEmpty());
}

TEST(Playlist, SaveModeWrapsCopyModeTakesDistinctFiles) {
    auto r = [](const char *file) { return ResultRow::fromEntry("d", {"1", "t", "a", file, ""}); };
    const ResultList rows{r("/m/a.mp3"), r(""), r("http://x/b"), r("/m/a.mp3"), r("/n/c.mp3")};
    EXPECT_EQ(playlistLines(rows, 6), QList<QByteArray>({"/m/a.mp3", "http://x/b", "/m/a.mp3", "/n/c.mp3",
                                                         "/m/a.mp3", "http://x/b"}));
    EXPECT_EQ(playlistLines(rows, 2), QList<QByteArray>({"/m/a.mp3", "http://x/b"}));
    EXPECT_TRUE(playlistLines(rows, 0).isEmpty());
    EXPECT_TRUE(playlistLines(rows, -3).isEmpty());
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    ASSERT_TRUE(writePathList(&b, rows, 3));
    EXPECT_EQ(b.data(), "/m/a.mp3\r\nhttp://x/b\r\n/m/a.mp3\r\n");

    const QList<QByteArray> distinct = distinctFiles(rows);
    EXPECT_EQ(distinct, QList<QByteArray>({"/m/a.mp3", "http://x/b", "/n/c.mp3"}));
    const PlaylistCopy c = playlistCopy(distinct, 10, "/target");
    EXPECT_EQ(c.sources, distinct);
    EXPECT_EQ(c.lines, QList<QByteArray>({"/target/a.mp3", "/target/b", "/target/c.mp3"}));
    EXPECT_EQ(playlistCopy(distinct, 2, "/t/").lines, QList<QByteArray>({"/t/a.mp3", "/t/b"}));
    EXPECT_TRUE(playlistCopy(distinct, 0, "/t/").sources.isEmpty());
    // A trailing byte 0x5C of a double-byte character is no separator.
    EXPECT_EQ(fileNamePart("C:\\music\\" + sj("ソ.mp3")), sj("ソ.mp3"));
    EXPECT_EQ(fileNamePart(sj("ソ表")), sj("ソ表"));
}

}  // namespace
