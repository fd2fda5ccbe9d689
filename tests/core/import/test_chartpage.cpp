// The chart page parser: the behaviours a chart page relies on, and the
// indexed implementation against a literal copy-and-search-again oracle on
// generated and mutated pages.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/import/chartpage.h"
#include "sjtest.h"
#include "test_chartpage_literal.h"

using namespace vorq;

namespace {

const QByteArray kSkip("<!-- / NO1 -->");

ResultGrid parse(const QByteArray &page, const QByteArray &skip = kSkip, bool editData = true) {
    ResultGrid g;
    ParseChartPage(page, skip, editData, g);
    return g;
}

// The grid as text: rows by LF, cells by TAB, and its shape in front.
std::string dump(const ResultGrid &g) {
    QByteArray out = QByteArray::number(g.columnCount()) + 'x' + QByteArray::number(g.rowCount()) + '\n';
    for (int r = 0; r < g.rowCount(); ++r) out += g.row(r).join('\t') + '\n';
    return out.toStdString();
}

std::string dump(const literal::Grid &g) {
    QByteArray out = QByteArray::number(g.cols) + 'x' + QByteArray::number(g.rows) + '\n';
    for (int r = 0; r < g.rows; ++r) {
        QList<QByteArray> row;
        for (int c = 0; c < g.cols; ++c) row.append(g.cells[c][r]);
        out += row.join('\t') + '\n';
    }
    return out.toStdString();
}

QByteArray chartPage(int songs) {
    QByteArray p =
        "<html><head><title>VORQ</title></head><body>\r\n<table><tr><td>menu</td></tr></table>\r\n" + kSkip +
        "\r\n<p>this week</p>\r\n<table border=1>\r\n" +
        sj("<tr><th>順位</th><th></th><th>曲名</th><th>アーティスト</th></tr>\r\n"
           "<tr><td>順位</td><td>前回</td><td>曲名</td><td>アーティスト</td></tr>\r\n");
    for (int i = 1; i <= songs; ++i) {
        p += "<tr>\r\n<TD ALIGN=right>" + QByteArray::number(i) +
             ".</TD>\r\n<td><img src=\"up.gif\"></td>\r\n" + "<td><a href=\"song" + QByteArray::number(i) +
             ".html\">" + sj("曲　ＮＯ") + QByteArray::number(i) + "</a></td>\r\n<td>" + sj("歌手 ") +
             QByteArray::number(i) + "<br>" + sj("ｂａｎｄ") + "</td>\r\n</tr>\r\n";
    }
    return p + "</table>\r\n<!-- footer --></body></html>\r\n";
}

}  // namespace

TEST(Spans, ExtractSpanAndSpanEnd) {
    EXPECT_EQ(ExtractSpan("ab<TR x>cd</tR>ef</tr>", "<tr", "</tr>"), QByteArray("<TR x>cd</tR>"));
    EXPECT_EQ(SpanEnd("ab<TR x>cd</tR>ef</tr>", "<tr", "</tr>"), 15);
    EXPECT_EQ(ExtractSpan("no markers", "<tr", "</tr>"), QByteArray("no markers"));
    EXPECT_EQ(SpanEnd("no markers", "<tr", "</tr>"), 0);
    EXPECT_EQ(ExtractSpan("x<tr>abc", "<tr", "</tr>"), QByteArray("<tr>abc"));
    EXPECT_EQ(SpanEnd("x<tr>abc", "<tr", "</tr>"), 0);  // close nowhere
    // Close only in front of open: the span runs to the end.
    EXPECT_EQ(SpanEnd("</tr>x<tr>abc", "<tr", "</tr>"), 13);
    EXPECT_EQ(SpanEnd("", "<tr", "</tr>"), 0);
}

TEST(ChartPage, ParsesAChartPageIntoRankTitleArtist) {
    const ResultGrid g = parse(chartPage(100));
    ASSERT_EQ(g.columnCount(), 3);
    ASSERT_EQ(g.rowCount(), 101);
    EXPECT_EQ(g.row(0), QList<QByteArray>({sj("順位"), sj("曲名"), sj("アーティスト")}));
    EXPECT_EQ(g.row(1), QList<QByteArray>({"1", sj("曲 NO1"), sj("歌手1band")}));
    EXPECT_EQ(g.row(100), QList<QByteArray>({"100", sj("曲 NO100"), sj("歌手100band")}));
    const ResultGrid raw = parse(chartPage(2), kSkip, false);
    EXPECT_EQ(raw.row(2), QList<QByteArray>({"2", sj("曲　ＮＯ2"), sj("歌手 2ｂａｎｄ")}));
}

TEST(ChartPage, SkipStringIsCutTwice) {
    const QByteArray table = "<table><tr><td>1.</td><td>x</td><td>T</td><td>A</td></tr></table>";
    const QByteArray first = "<table><tr><td>9.</td><td>x</td><td>W</td><td>W</td></tr></table>";
    // Skip string present once: its table is parsed after 13 more characters.
    EXPECT_EQ(parse(first + kSkip + "0123456789abc" + table).cell(1, 0), QByteArray("T"));
    // Fewer than 13 characters behind it: the table's marker is cut.
    EXPECT_EQ(parse(first + kSkip + table).cell(1, 0), QByteArray());
    // Twice: parsing starts behind the second occurrence.
    EXPECT_EQ(parse(kSkip + first + kSkip + table).cell(1, 0), QByteArray("T"));
    // Absent: the first 13 characters of the page go.
    EXPECT_EQ(parse("0123456789abc" + first).cell(1, 0), QByteArray("W"));
    // An empty skip string cuts nothing.
    EXPECT_EQ(parse(first, QByteArray()).cell(1, 0), QByteArray("W"));
}

TEST(ChartPage, CellsLoseOnlyTheFixedPieces) {
    auto row = [](const QByteArray &tr) {
        return parse(kSkip + "0123456789abc<table>" + tr + "</table>").row(0);
    };
    EXPECT_EQ(row("<tr><td>1.</td><td><img src=x.gif></td><td><a href=y>Song</a></td><td>Artist  </td></tr>"),
              QList<QByteArray>({"1", "Song", "Artist"}));
    EXPECT_EQ(row(sj("<tr><td>1</td><td></td><td>Ａ<br>Ｂ</td><td>x</td></tr>")).at(1), QByteArray("AB"));
    EXPECT_EQ(row("<tr><TD ALIGN=right>12.</TD><td>x</td></tr>").at(0), QByteArray("12"));
    EXPECT_EQ(row("<tr><td>1</td><td></td><td>Tom &amp; Jerry</td></tr>").at(1),
              QByteArray("Tom &amp; Jerry"));
    EXPECT_EQ(row("<tr><td>1</td><td></td><td>a<br/>b<BR>c\r\nd\te\rf</td></tr>").at(1),
              QByteArray("a<br/>bcde\rf"));
    // Text in front of an image goes with it; a link not at the very end
    // loses its last four characters anyway.
    EXPECT_EQ(row("<tr><td>1</td><td></td><td>new <img src=n.gif> Song</td></tr>").at(1), QByteArray("Song"));
    EXPECT_EQ(row("<tr><td>1</td><td></td><td><a href=y>Song</a> (live)</td></tr>").at(1),
              QByteArray("Song</a> (l"));
    EXPECT_EQ(row("<tr><td>1</td><td></td><td><b>Song</b></td></tr>").at(1), QByteArray("<b>Song</b>"));
}

TEST(ChartPage, RowsWithoutTextLeaveNoTrace) {
    const QByteArray page = kSkip + "0123456789abc<table>" +
                            "<tr><th>Rank</th><th>Title</th></tr>"  // header cells only
                            "<tr><td>Rank</td><td>-</td><td>Title</td><td>Artist</td></tr>"  // becomes row 0
                            "<tr><td> </td><td></td><td></td><td><img src=s.gif></td><td></td></tr>"  // empty
                            "<tr><td>1.</td><td>-</td><td>S</td><td>A</td></tr></table>";
    const ResultGrid g = parse(page);
    EXPECT_EQ(dump(g), "4x2\nRank\tTitle\tArtist\t\n1\tS\tA\t\n");  // widened by the empty row
}

TEST(ChartPage, PagesThatAreNoChart) {
    EXPECT_EQ(dump(parse("")), "1x1\n\n");
    EXPECT_EQ(dump(parse(kSkip + "0123456789abc<table><tr><td>a</td></table>")), "1x1\n\n");
    // No table: the whole remaining text is scanned for rows.
    EXPECT_EQ(dump(parse("0123456789abc<tr><td>1.</td><td>x</td><td>T</td></tr>")), "2x1\n1\tT\n");
    // One column only: it is cleared.
    EXPECT_EQ(dump(parse("0123456789abc<tr><td>1.</td></tr>")), "1x1\n\n");
    ResultGrid g;
    g.setCell(5, 7, "stale");
    ParseChartPage("", kSkip, true, g);
    EXPECT_EQ(dump(g), "1x1\n\n");
}

TEST(ResultGrid, KeepsItsShapeRules) {
    ResultGrid g;
    EXPECT_EQ(dump(g), "1x2\n\n\n");
    g.setCell(2, 3, "x");
    EXPECT_EQ(g.columnCount(), 3);
    EXPECT_EQ(g.rowCount(), 4);
    EXPECT_FALSE(g.rowIsEmpty(3));
    g.setCell(2, 3, "");
    EXPECT_TRUE(g.rowIsEmpty(3));
    g.setCell(0, 0, "a");
    g.setCell(1, 0, "b");
    g.setCell(2, 0, "c");
    g.removeColumn(1);
    EXPECT_EQ(g.row(0), QList<QByteArray>({"a", "c"}));
    g.removeColumn(0);
    g.removeColumn(0);
    EXPECT_EQ(g.columnCount(), 1);
    EXPECT_TRUE(g.rowIsEmpty(0));
    g.resize(1, 1);
    g.removeRow(0);
    EXPECT_EQ(dump(g), "1x1\n\n");
    EXPECT_EQ(g.cell(9, 9), QByteArray());
}

// --------------------------------------------------------- differential

namespace {

const QList<QByteArray> &vocabulary() {
    static const QList<QByteArray> v = {"<table>",
                                        "</table>",
                                        "<TABLE border=1>",
                                        "<tr>",
                                        "</tr>",
                                        "<TR>",
                                        "</TR >",
                                        "<td>",
                                        "</td>",
                                        "<TD ALIGN=right>",
                                        "<th>",
                                        "</th>",
                                        "<img src=x.gif>",
                                        "<IMG",
                                        "<a href=y>",
                                        "<A HREF=z>",
                                        "</a>",
                                        "<a ",
                                        "<br>",
                                        "<BR>",
                                        "<br/>",
                                        "\r\n",
                                        "\r",
                                        "\n",
                                        "\t",
                                        " ",
                                        "  ",
                                        "1.",
                                        "12.",
                                        ".",
                                        "Song",
                                        "x",
                                        ">",
                                        "<",
                                        "<td",
                                        "</td",
                                        "<tr",
                                        "<t",
                                        "</",
                                        "&amp;",
                                        kSkip,
                                        "<!--",
                                        sj("Ａｂ１"),
                                        sj("　"),
                                        sj("曲名"),
                                        sj("ｱｰﾃｨｽﾄ"),
                                        QByteArray("\x82", 1),
                                        QByteArray("\0", 1),
                                        "\x01",
                                        "\xff"};
    return v;
}

QByteArray randomPage(QRandomGenerator &rng, int maxTokens) {
    QByteArray p;
    const int n = int(rng.bounded(maxTokens + 1));
    for (int i = 0; i < n; ++i) p += vocabulary().at(rng.bounded(int(vocabulary().size())));
    return p;
}

QByteArray mutate(QByteArray p, QRandomGenerator &rng) {
    const int edits = 1 + int(rng.bounded(6));
    for (int i = 0; i < edits && !p.isEmpty(); ++i) {
        const qsizetype at = rng.bounded(int(p.size()));
        switch (rng.bounded(5)) {
            case 0: p.remove(at, rng.bounded(60)); break;
            case 1: p.insert(at, vocabulary().at(rng.bounded(int(vocabulary().size())))); break;
            case 2: p[at] = char(rng.bounded(256)); break;
            case 3: p.insert(at, p.mid(rng.bounded(int(p.size())), rng.bounded(200))); break;
            default: p.truncate(at); break;
        }
    }
    return p;
}

void expectSameAsLiteral(const QByteArray &page, const QByteArray &skip, bool edit) {
    const ResultGrid fast = parse(page, skip, edit);
    const literal::Grid slow = literal::parse(page, skip, edit);
    ASSERT_EQ(dump(fast), dump(slow))
        << "page: " << page.toPercentEncoding().toStdString() << "\nskip: " << skip.toStdString();
}

}  // namespace

TEST(ChartPageDifferential, SpansAgreeWithTheLiteralDefinition) {
    QRandomGenerator rng(7);
    const QList<QByteArray> markers = {"<tr", "</tr>", "<td", "</td>", ">", "<a ", "<img", "<table", "x"};
    for (int i = 0; i < 5000; ++i) {
        const QByteArray text = randomPage(rng, 12);
        const QByteArray &open = markers.at(rng.bounded(int(markers.size())));
        const QByteArray &close = markers.at(rng.bounded(int(markers.size())));
        ASSERT_EQ(ExtractSpan(text, open, close), literal::extractSpan(text, open, close))
            << text.toStdString();
        ASSERT_EQ(SpanEnd(text, open, close), literal::spanEnd(text, open, close)) << text.toStdString();
    }
}

TEST(ChartPageDifferential, GeneratedPagesMatchTheLiteralParser) {
    QRandomGenerator rng(42);
    const QList<QByteArray> skips = {kSkip, QByteArray(), "<tr>", "x", "NO1"};
    for (int i = 0; i < 4000; ++i) {
        const QByteArray page = randomPage(rng, 80);
        expectSameAsLiteral(page, skips.at(rng.bounded(int(skips.size()))), rng.bounded(2) == 0);
    }
}

TEST(ChartPageDifferential, MutatedChartPagesMatchTheLiteralParser) {
    QRandomGenerator rng(1234);
    const QByteArray base = chartPage(30);
    expectSameAsLiteral(base, kSkip, true);
    for (int i = 0; i < 1500; ++i) expectSameAsLiteral(mutate(base, rng), kSkip, rng.bounded(2) == 0);
}

TEST(ChartPageDifferential, HostileShapesMatchTheLiteralParser) {
    // Open markers without their close, close markers in front, markers
    // split at the very end.
    expectSameAsLiteral(QByteArray("0123456789abc") + QByteArray("<tr><td>a").repeated(300) + "</td></tr",
                        kSkip, true);
    expectSameAsLiteral(QByteArray("</tr>0123456789abc") + QByteArray("<tr><td>a").repeated(300), kSkip,
                        true);
    expectSameAsLiteral("0123456789abc<tr>" + QByteArray("<td>").repeated(500) + "</td></tr>", kSkip, true);
    expectSameAsLiteral("0123456789abc" + QByteArray("<tr><td>x</td><td></td></tr>").repeated(200) +
                            QByteArray("<tr>") + QByteArray("<td></td>").repeated(300) + "</tr>",
                        kSkip, false);
}

TEST(ChartPage, HtmlFileTextIsReadThroughLines) {
    // Every line end becomes CR LF, one follows the last line; then the text
    // goes to Shift-JIS (here from EUC-JP, decided by 印).
    EXPECT_EQ(HtmlFilePageText("a\nb\rc\r\nd"), QByteArray("a\r\nb\r\nc\r\nd\r\n"));
    EXPECT_EQ(HtmlFilePageText("\xb0\xf5\n"), QByteArray("\x88\xf3\r\n"));
    EXPECT_EQ(HtmlFilePageText(""), QByteArray());
}
