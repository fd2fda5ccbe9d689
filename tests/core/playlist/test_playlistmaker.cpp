#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <charconv>
#include <cmath>
#include <random>

#include "core/base/errors.h"
#include "core/playlist/playlistmaker.h"
#include "historygen.h"
#include "sjtest.h"
#include "test_playlistmaker_literal.h"

using namespace vorq;

namespace {

ChartEntry entry(const char *title, const char *artist, const char *file = "") {
    return {{}, sj(title), sj(artist), QByteArray(file), {}};
}

// Tabs newest first; ranks are the row positions + 1.
ChartTab tab(int tag, QList<ChartEntry> rows) {
    for (qsizetype r = 0; r < rows.size(); ++r) rows[r].rank = QByteArray::number(r + 1);
    return {tag, dateLabelFromTag(tag), rows};
}

QList<QByteArray> column(const ResultList &rows, int text) {
    QList<QByteArray> out;
    for (const ResultRow &r : rows) out.append(r.text(text));
    return out;
}

PlaylistSettings settings(int order, bool descending = true, int rate = 100, bool assoc = true,
                          bool notAssoc = true) {
    return {order, descending, rate, assoc, notAssoc};
}

// Rows are equal as lists, except that rows of equal score may come in any
// order.
void expectSameList(ResultList got, ResultList want, const std::string &what) {
    ASSERT_EQ(column(got, ScoreText), column(want, ScoreText)) << what;
    const auto key = [](const ResultRow &r) -> QByteArray {
        return r.text(6) + '\t' + r.text(2) + '\t' + r.text(3) + '\t' + r.text(0);
    };
    const auto byKey = [&key](const ResultRow &a, const ResultRow &b) { return key(a) < key(b); };
    std::sort(got.begin(), got.end(), byKey);
    std::sort(want.begin(), want.end(), byKey);
    EXPECT_EQ(got, want) << what;
}

}  // namespace

TEST(PlaylistMaker, IndexedGenerationMatchesTheLiteralOneOnGeneratedCharts) {
    QTemporaryDir dir;
    bench::generateHistory(dir.path(), {.today = QDate(1996, 6, 1), .seed = 7, .rowsPerWeek = 30});
    ChartStore store;
    store.dataFolder = sjis::fromUnicode(dir.path() + QLatin1Char('/'));
    store.fullLoad(dateLabel(firstBroadcastDate()), dateLabel(QDate(1996, 6, 1)));
    ASSERT_GT(store.tabs.size(), 50);

    // One generator each for the whole run: successive generations continue
    // the sequence on both sides.
    PlaylistRandom random;
    literal::Random oracle;
    for (int order = 0; order <= 5; ++order)
        for (bool descending : {true, false})
            for (int rate : {0, 37, 100})
                for (auto [assoc, notAssoc] : {std::pair{true, false}, {false, true}, {true, true}}) {
                    const PlaylistSettings s = settings(order, descending, rate, assoc, notAssoc);
                    const PlaylistResult got = generatePlaylist(store.tabs, s, random);
                    EXPECT_FALSE(got.logScores);
                    expectSameList(got.rows, literal::generate(store.tabs, s, oracle),
                                   "order " + std::to_string(order) + " rate " + std::to_string(rate) +
                                       (descending ? " down" : " up") + (assoc ? " assoc" : "") +
                                       (notAssoc ? " not-assoc" : ""));
                    ASSERT_EQ(random.state(), oracle.state);
                }
}

TEST(PlaylistMaker, ScoreTextsAreGeneralFormatWith15Digits) {
    const auto library = [](double v) { return literal::text(v); };
    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> unit(0, 1);
    QList<double> values = {0.5, 1, 2.718281828459045, 1e15, 999999999999999.5, 1e-5, 1.5e-5, 1e100, 1e300,
                            1.7976931348623157e308, 123456789012345678.0,
                            // halfway cases at the sixteenth digit, rounded to even
                            1000000000000005.0, 1000000000000015.0, 0.1 + 0.2};
    for (int i = 0; i < 20000; ++i) values.append(std::exp(unit(rng) * 200 - 30) * (i % 2 ? 1 : -1));
    for (int i = 0; i < 2000; ++i) values.append(unit(rng));
    for (double v : values) {
        ASSERT_EQ(formatScore(v), library(v)) << v;
        double back = 0;
        if (literal::number(library(v), &back)) {
            ASSERT_EQ(parseNumber(formatScore(v)), back) << v;
        }
    }
    for (const char *bad : {"", "abc", "1x", " 1", "inf", "nan", "1e400", "--1"})
        EXPECT_FALSE(parseNumber(bad).has_value()) << bad;
}

TEST(PlaylistMaker, NewestOnlyListsTheNewestChartInOrderAndKeepsRepeats) {
    const QList<ChartTab> tabs = {tab(19950415, {entry("A", "x"), entry("B", "y", "/b"), entry("A", "x")}),
                                  tab(19950408, {entry("C", "z")})};
    PlaylistRandom random;
    const PlaylistResult down = generatePlaylist(tabs, settings(NewestOnly), random);
    EXPECT_EQ(column(down.rows, 2), (QList<QByteArray>{"A", "B", "A"}));
    EXPECT_EQ(column(down.rows, ScoreText), (QList<QByteArray>{"0", "-1", "-2"}));
    EXPECT_EQ(column(down.rows, ResultRow::Date), QList<QByteArray>(3, dateLabelFromTag(19950415)));
    const PlaylistResult up = generatePlaylist(tabs, settings(NewestOnly, false), random);
    EXPECT_EQ(column(up.rows, 1), (QList<QByteArray>{"3", "2", "1"}));
    EXPECT_EQ(random.state(), 0u);  // no random draw at sort rate 100
    // An imported week appended after the loaded ones is still the newest.
    const QList<ChartTab> appended = {tabs[1], tabs[0]};
    for (int order : {NewestOnly, NewWeighted}) {
        PlaylistRandom a, b;
        EXPECT_EQ(generatePlaylist(appended, settings(order), a).rows,
                  generatePlaylist(tabs, settings(order), b).rows)
            << order;
    }

    // The other settings merge the repeated song.
    for (int order = 1; order <= 5; ++order) {
        const PlaylistResult r = generatePlaylist(tabs, settings(order), random);
        EXPECT_EQ(r.rows.size(), 3) << order;
        QList<QByteArray> titles = column(r.rows, 2);
        std::sort(titles.begin(), titles.end());
        EXPECT_EQ(titles, (QList<QByteArray>{"A", "B", "C"})) << order;
    }
}

TEST(PlaylistMaker, AssociatedOnlyCountsAssociatedAppearancesFromTheNewest) {
    // Song S: not associated in the newest tab, associated in the two older.
    const QList<ChartTab> tabs = {tab(19950422, {entry("S", "a"), entry("T", "b", "/t")}),
                                  tab(19950415, {entry("T", "b"), entry("S", "a", "/s1")}),
                                  tab(19950408, {entry("S", "a", "/s2")})};
    PlaylistRandom random;
    const PlaylistResult count =
        generatePlaylist(tabs, settings(Appearances, true, 100, true, false), random);
    ASSERT_EQ(count.rows.size(), 2);
    const ResultRow &s = count.rows[0];
    EXPECT_EQ(s.text(ResultRow::Date), dateLabelFromTag(19950415));
    EXPECT_EQ(s.text(ResultRow::File), "/s1");
    EXPECT_EQ(s.text(1), "2");
    EXPECT_EQ(s.text(ScoreText), "2");
    EXPECT_EQ(s.text(CountText), "2");
    EXPECT_EQ(count.rows[1].text(ScoreText), "1");

    // Setting 1 is the mean weight: e^(N-r) * e^(P-i) over the taken ones.
    const PlaylistResult mean = generatePlaylist(tabs, settings(NewWeighted, true, 100, true, false), random);
    const double sum = std::exp(1.0) * std::exp(2.0) + std::exp(1.0) * std::exp(1.0);
    EXPECT_EQ(column(mean.rows, 2), (QList<QByteArray>{"T", "S"}));
    EXPECT_NEAR(*parseNumber(mean.rows[1].text(ScoreText)), sum / 2, 1e-12);
    EXPECT_EQ(mean.rows[0].text(ScoreText), formatScore(std::exp(1.0) * std::exp(3.0)));
}

TEST(PlaylistMaker, SortRateSwapsScoreTexts) {
    ResultList two = {ResultRow{{"d", "1", "A", "x", "", "", "5", "1"}},
                      ResultRow{{"d", "2", "B", "y", "", "", "3", "1"}}};
    PlaylistRandom random;
    disturbPlaylist(two, 0, random);  // K = 1: exactly one swap
    EXPECT_EQ(column(two, ScoreText), (QList<QByteArray>{"3", "5"}));
    PlaylistRandom fresh;
    disturbPlaylist(two, 100, fresh);
    ResultList one = {two[0]};
    disturbPlaylist(one, 0, fresh);
    EXPECT_EQ(fresh.state(), 0u);  // neither rate 100 nor a single row draws
}

TEST(PlaylistMaker, RandomSequenceStartsAtZeroAndContinues) {
    PlaylistRandom random;
    EXPECT_EQ(random.next(), 1 / 4294967296.0);  // state 1
    EXPECT_EQ(random.state(), 1u);
    EXPECT_EQ(random.index(1000), int((134775814ull * 1000) >> 32));

    // Setting 5 right after a start gives the same list every time; the next
    // generation of the same run continues the sequence.
    const QList<ChartTab> tabs = {tab(19950415, {entry("A", "x"), entry("B", "y"), entry("C", "z")}),
                                  tab(19950408, {entry("D", "w"), entry("A", "x")})};
    PlaylistRandom first, second;
    const PlaylistResult a = generatePlaylist(tabs, settings(AllEqual), first);
    const PlaylistResult b = generatePlaylist(tabs, settings(AllEqual), second);
    EXPECT_EQ(a.rows, b.rows);
    EXPECT_NE(generatePlaylist(tabs, settings(AllEqual), first).rows, a.rows);
}

TEST(PlaylistMaker, NewWeightedOnALongHistoryScoresInTheLogDomain) {
    // 900 weeks of 10 rows: e^(P-i) leaves the range of double. Song k
    // enters at rank 10 and climbs one place a week for ten weeks.
    QList<ChartTab> tabs;
    const int weeks = 900;
    for (int i = 0; i < weeks; ++i) {
        QList<ChartEntry> rows;
        for (int r = 0; r < 10; ++r) {
            const QByteArray song = QByteArray::number(weeks - i + r);
            rows.append({{}, song, "x", "/f", {}});
        }
        tabs.append(tab(20000000 + weeks - i, rows));  // newest first
    }
    PlaylistRandom random;
    const PlaylistResult r = generatePlaylist(tabs, settings(NewWeighted), random);
    ASSERT_TRUE(r.logScores);
    // ln of the mean weight, from a direct sum in long double.
    QHash<QByteArray, std::pair<long double, int>> want;
    for (int i = 0; i < weeks; ++i)
        for (int row = 0; row < 10; ++row) {
            auto &[sum, n] = want[tabs[i].rows[row].title];
            sum += std::exp(static_cast<long double>(10 - row + weeks - i) - 11000.0L);
            ++n;
        }
    ASSERT_EQ(r.rows.size(), want.size());
    double last = INFINITY;
    for (const ResultRow &row : r.rows) {
        const auto [sum, n] = want.value(row.text(2));
        const double score = *parseNumber(row.text(ScoreText));
        EXPECT_NEAR(score, double(std::log(sum / n) + 11000.0L), 1e-9) << row.text(2).constData();
        EXPECT_LE(score, last);
        last = score;
    }
    EXPECT_EQ(r.rows.first().text(2), QByteArray::number(weeks));  // the newest number one
}
