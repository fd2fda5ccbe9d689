// The result list's column sort against a literal pairwise version, and the
// search: field matching, the header text, the order and the origin row.
#include <gtest/gtest.h>

#include <QRandomGenerator>

#include "core/lists/resultlist.h"
#include "core/lists/search.h"
#include "sjtest.h"

using namespace vorq;

namespace {

// Random rows over a small alphabet, so equal texts and equal ranks of
// different lengths ("01" and "1") occur often.
ResultList randomRows(int n, quint32 seed) {
    QRandomGenerator g(seed);
    const QList<QByteArray> words{"a", "B", "b", "Ab", sj("あ"), sj("ア"), sj("漢字"), "", "10", "9"};
    const QList<QByteArray> ranks{"1", "2", "10", "01", "100", "9", "002"};
    ResultList rows;
    for (int i = 0; i < n; ++i) {
        ResultRow r;
        r.texts = {sj("2001年01月") + QByteArray::number(10 + g.bounded(5)) + sj("日"),
                   ranks.at(g.bounded(ranks.size())),
                   words.at(g.bounded(words.size())),
                   words.at(g.bounded(words.size())),
                   words.at(g.bounded(words.size())),
                   words.at(g.bounded(words.size())),
                   QByteArray::number(i),
                   {}};
        rows.append(r);
    }
    return rows;
}

TEST(ResultSort, AgreesWithThePairwiseComparisonOnEveryColumnAndDirection) {
    for (quint32 seed : {1u, 2u, 3u}) {
        const ResultList original = randomRows(300, seed);
        for (int column = 0; column < 6; ++column) {
            for (int direction : {-1, 1}) {
                ResultList rows = original;
                sortResultRows(rows, column, direction);
                ASSERT_EQ(rows.size(), original.size());
                // Every neighbour pair is in order under the literal
                // comparison (ties may fall either way: the sort is not stable).
                for (qsizetype i = 1; i < rows.size(); ++i)
                    ASSERT_LE(direction * compareResultRows(rows.at(i - 1), rows.at(i), column), 0)
                        << "column " << column << " direction " << direction << " at " << i;
                // Nothing lost or duplicated.
                QList<QByteArray> ids, want;
                for (const auto &r : rows) ids << r.text(6);
                for (const auto &r : original) want << r.text(6);
                std::sort(ids.begin(), ids.end());
                std::sort(want.begin(), want.end());
                ASSERT_EQ(ids, want);
            }
        }
    }
}

TEST(FieldMatch, RulesInOrder) {
    EXPECT_TRUE(fieldMatches("anything", "*", true));
    EXPECT_TRUE(fieldMatches("", "*", true));
    EXPECT_TRUE(fieldMatches("Love Song", "Love Song", true));
    EXPECT_FALSE(fieldMatches("Love Song", "Love", true));
    EXPECT_TRUE(fieldMatches("Love Song", "Love", false));
    EXPECT_FALSE(fieldMatches("Love Song", "love", false));  // case-sensitive
    EXPECT_FALSE(fieldMatches("Love Song", "Lo*", false));   // no wildcard
    EXPECT_TRUE(fieldMatches("Lo* Song", "Lo*", false));     // literal asterisk
    EXPECT_TRUE(fieldMatches("", "", false));                // empty only matches empty
    EXPECT_FALSE(fieldMatches("x", "", false));
    EXPECT_FALSE(fieldMatches(sj("ソ"), "\\", false));  // 0x83 0x5C holds no "\"
    EXPECT_FALSE(fieldMatches(sj("ア"), "A", false));   // 0x83 0x41 holds no "A"
    EXPECT_TRUE(fieldMatches(sj("愛のソング"), sj("ソング"), false));
}

TEST(Search, RowsInTabOrderWithTheirPlaceHeaderAndOrigin) {
    QList<ChartTab> tabs(2);
    tabs[0].caption = sj("2001年01月13日");
    tabs[0].rows = {
        {"1", "Love", "A", "/f", "play"}, {"2", "Love Song", "B", "", ""}, {"3", "Other", "A", "", ""}};
    tabs[1].caption = sj("2001年01月06日");
    tabs[1].rows = {{"1", "X", "A", "", ""}, {"2", "Love", "A", "", ""}};
    const ChartEntry *origin = &tabs[1].rows[1];

    SearchResult all = searchCharts(tabs, nullptr, "*", false, "*");
    EXPECT_EQ(all.rows.size(), 5);
    EXPECT_EQ(all.originRow, -1);
    EXPECT_EQ(all.header,
              sj("曲名:\"「(指定しない)」を含む\", \r\nアーティスト名:\"「(指定しない)」を含む\"で\r\n"
                 "検索した結果は次の通りです。"));

    SearchResult sub = searchCharts(tabs, origin, "A", false, "Love");
    ASSERT_EQ(sub.rows.size(), 2);
    EXPECT_EQ(sub.rows.at(0).texts,
              (std::array<QByteArray, 8>{sj("2001年01月13日"), "1", "Love", "A", "/f", "play", "1", "0"}));
    EXPECT_EQ(sub.rows.at(1).text(6), "2");
    EXPECT_EQ(sub.rows.at(1).text(7), "1");
    EXPECT_EQ(sub.originRow, 1);

    SearchResult exact = searchCharts(tabs, origin, "A", true, "Love");
    EXPECT_EQ(exact.rows.size(), 2);
    EXPECT_EQ(exact.header, sj("曲名:\"Love\", \r\nアーティスト名:\"A\"で\r\n検索した結果は次の通りです。"));
    EXPECT_EQ(
        searchCharts(tabs, nullptr, "*", true, "*").header,
        sj("曲名:\"(指定しない)\", \r\nアーティスト名:\"(指定しない)\"で\r\n検索した結果は次の通りです。"));
    EXPECT_EQ(searchCharts(tabs, nullptr, "B", true, "Love").rows.size(), 0);
}

}  // namespace

// The forgiving search folds width and case on both sides; off, the same
// patterns find only what the bytes match.
TEST(Search, FoldingFindsOtherWidthsAndCases) {
    QList<ChartTab> tabs(1);
    tabs[0].caption = sj("2001年01月13日");
    tabs[0].rows = {{"1", "abc love", sj("カタカナ"), "", ""},
                    {"2", sj("ＡＢＣ"), sj("ｶﾀｶﾅ"), "", ""},
                    {"3", "Other", "", "", ""}};
    const auto titles = [&](const char *artist, bool exact, const char *title, bool fold) {
        QList<QByteArray> out;
        for (const ResultRow &r : searchCharts(tabs, nullptr, sj(artist), exact, sj(title), fold).rows)
            out << r.text(1);
        return out;
    };
    EXPECT_EQ(titles("*", false, "ＡＢＣ", false), (QList<QByteArray>{"2"}));
    EXPECT_EQ(titles("*", false, "ＡＢＣ", true), (QList<QByteArray>{"1", "2"}));
    EXPECT_EQ(titles("ｶﾀｶﾅ", true, "*", true), (QList<QByteArray>{"1", "2"}));
    EXPECT_EQ(titles("カタカナ", true, "ABC LOVE", true), (QList<QByteArray>{"1"}));
    EXPECT_EQ(titles("", false, "*", true), (QList<QByteArray>{"3"}));  // empty finds only empty
    EXPECT_TRUE(
        searchCharts(tabs, nullptr, "*", false, "*", true)
            .header.endsWith(QByteArray(QByteArray("\r\n") + sj("(全角/半角・大文字/小文字を区別しない)"))));
}
