#include <gtest/gtest.h>

#include "core/history/yearend.h"
#include "sjtest.h"

using namespace vorq;

namespace {

// A week from "rank title[/artist]" rows; artist "A" unless named.
ChartTab week(int tag, std::initializer_list<std::pair<int, const char *>> rows) {
    ChartTab t;
    t.tag = tag;
    for (const auto &[rank, text] : rows) {
        const QList<QByteArray> parts = sj(text).split('/');
        t.rows.append({QByteArray::number(rank), parts.value(0), parts.value(1, sj("A")), {}, {}});
    }
    return t;
}

// "position name points peak weeks" per entry, in chart order.
using Lines = std::vector<std::string>;
Lines lines(const QList<YearEndEntry> &chart) {
    Lines out;
    for (const YearEndEntry &e : chart)
        out.push_back(std::to_string(e.position) + ' ' +
                      (e.song.title.isEmpty() ? e.song.artist : e.song.title).toStdString() + ' ' +
                      std::to_string(e.points) + ' ' + std::to_string(e.peak) + ' ' +
                      std::to_string(e.weeks));
    return out;
}

// Five songs tied on 100 points in 2005, told apart by peak, then weeks,
// then first week; F is listed twice in one week and charts outside 2005.
const ChartHistory &history2005() {
    static const ChartHistory h({week(20041225, {{1, "F"}}),
                                 week(20050108, {{1, "A/X"}, {2, "B/X"}, {50, "C"}, {60, "F"}, {10, "F"}}),
                                 week(20050115, {{120, "B/X"}, {52, "C"}, {50, "D"}, {53, "E"}}),
                                 week(20050122, {{52, "D"}, {50, "E"}}), week(20050129, {{100, "E"}}),
                                 week(20060107, {{1, "F"}})});
    return h;
}

}  // namespace

TEST(YearEnd, TiesGoToPeakThenWeeksThenFirstWeek) {
    EXPECT_EQ(
        lines(yearEndChart(history2005(), 2005, 2005)),
        (Lines{"1 A 100 1 1", "2 B 100 2 2", "3 E 100 50 3", "4 C 100 50 2", "5 D 100 50 2", "6 F 91 10 1"}));
    EXPECT_EQ(lines(yearEndChart(history2005(), 2005, 2005, YearEndBy::Song, 2)),
              (Lines{"1 A 100 1 1", "2 B 100 2 2"}));
    EXPECT_TRUE(yearEndChart(history2005(), 2007, 2007).isEmpty());
}

// Points are summed over the artist's songs, weeks counted once per week.
TEST(YearEnd, ArtistChartSumsSongs) {
    EXPECT_EQ(lines(yearEndChart(history2005(), 2005, 2005, YearEndBy::Artist)),
              (Lines{"1 A 391 10 4", "2 X 200 1 2"}));
}

TEST(YearEnd, DecadeRunsFromItsFirstYearToItsNinth) {
    const ChartHistory h({week(19991225, {{1, "S"}}), week(20000101, {{5, "S"}}), week(20000108, {{3, "T"}}),
                          week(20091226, {{5, "S"}}), week(20100102, {{1, "T"}})});
    EXPECT_EQ(lines(decadeChart(h, 2000)), (Lines{"1 S 192 5 2", "2 T 98 3 1"}));
    EXPECT_EQ(lines(decadeChart(h, 1990)), (Lines{"1 S 100 1 1"}));
    EXPECT_EQ(chartYears(h), (QList<int>{1999, 2000, 2009, 2010}));
}
