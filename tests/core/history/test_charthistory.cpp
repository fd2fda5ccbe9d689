#include <gtest/gtest.h>

#include "core/history/charthistory.h"
#include "sjtest.h"

using namespace vorq;

namespace {

// A week's chart from "rank title" pairs; every song by artist "A" unless
// the title names another after a slash.
ChartTab week(int tag, std::initializer_list<std::pair<int, const char *>> rows) {
    ChartTab t;
    t.tag = tag;
    t.caption = dateLabelFromTag(tag);
    for (const auto &[rank, text] : rows) {
        const QList<QByteArray> parts = sj(text).split('/');
        t.rows.append(
            {QByteArray::number(rank), parts.value(0), parts.size() > 1 ? parts.at(1) : sj("A"), {}, {}});
    }
    return t;
}

SongFigures songOf(const ChartHistory &h, const char *title, const char *artist = "A") {
    const auto f = h.song({sj(title), sj(artist)});
    EXPECT_TRUE(f.has_value()) << title;
    return f.value_or(SongFigures{});
}

}  // namespace

// Weeks are taken by date, whatever the page order; a week with no loaded
// chart (never imported, or not broadcast) neither breaks nor extends a run,
// while a loaded week without the song ends it.
TEST(ChartHistory, RunsFollowLoadedWeeksInDateOrder) {
    // Page order newest first, as the full load makes it; 0422 is not loaded.
    const ChartHistory h({week(19950513, {{4, "S"}}), week(19950506, {{1, "T"}}), week(19950429, {{3, "S"}}),
                          week(19950415, {{5, "S"}, {1, "T"}}), week(19950408, {{9, "S"}})});
    EXPECT_EQ(h.loadedWeeks(), 5);
    const SongFigures s = songOf(h, "S");
    EXPECT_EQ(s.debutTag, 19950408);
    EXPECT_EQ(s.debutRank, 9);
    EXPECT_EQ(s.lastTag, 19950513);
    EXPECT_EQ(s.weeks, 4);
    // 0408, 0415, (0422 not loaded), 0429 is one run; 0506 passes without it.
    EXPECT_EQ(s.runs, 2);
    EXPECT_EQ(s.reentries(), 1);
    ASSERT_EQ(s.runRanges.size(), 2);
    EXPECT_EQ(s.runRanges.at(0), std::make_pair(0, 3));
    EXPECT_EQ(s.peakRank, 3);
    EXPECT_EQ(s.peakTag, 19950429);
    QList<int> tags;
    for (const Appearance &a : s.appearances) tags << a.tag;
    EXPECT_EQ(tags, (QList<int>{19950408, 19950415, 19950429, 19950513}));

    // #1 on the debut week, a re-entry at #1 later: weeks at peak count both.
    const SongFigures t = songOf(h, "T");
    EXPECT_EQ(t.debutRank, 1);
    EXPECT_EQ(t.peakTag, 19950415);
    EXPECT_EQ(t.weeksAtPeak, 2);
    EXPECT_EQ(t.weeksAtNumber1, 2);
    EXPECT_EQ(t.runs, 2);
}

// A range that cuts a run only sees its part; a date loaded twice counts once.
TEST(ChartHistory, RangeCutsAndDuplicateDates) {
    const ChartHistory cut(
        {week(19950415, {{2, "S"}}), week(19950415, {{7, "S"}}), week(19950422, {{2, "S"}})});
    const SongFigures s = songOf(cut, "S");
    EXPECT_EQ(cut.loadedWeeks(), 2);
    EXPECT_EQ(s.weeks, 2);
    EXPECT_EQ(s.weeksAtPeak, 2);  // tie at peak on both weeks
    EXPECT_EQ(s.peakTag, 19950415);
    EXPECT_EQ(s.runs, 1);
    EXPECT_FALSE(cut.song({sj("S"), sj("B")}).has_value());  // same title, other artist
}

TEST(ChartHistory, ArtistFiguresAndTopLists) {
    const ChartHistory h({week(19950408, {{1, "X"}, {2, "Y"}, {3, "Z/B"}}),
                          week(19950415, {{1, "Y"}, {2, "X"}, {3, "Z/B"}}),
                          week(19950422, {{1, "Y"}, {5, "W"}, {3, "Z/B"}})});
    const auto a = h.artist(sj("A"));
    ASSERT_TRUE(a.has_value());
    EXPECT_EQ(a->songs, 3);
    EXPECT_EQ(a->number1Songs, 2);
    EXPECT_EQ(a->totalWeeks, 2 + 3 + 1);
    EXPECT_EQ(a->firstTag, 19950408);
    EXPECT_EQ(a->lastTag, 19950422);
    EXPECT_EQ(a->bestSong->title, sj("Y"));  // peak 1 both, Y has more weeks

    auto titles = [](const QList<TopEntry> &l) {
        QList<QByteArray> out;
        for (const TopEntry &e : l) out << (e.song.title.isEmpty() ? e.song.artist : e.song.title);
        return out;
    };
    EXPECT_EQ(titles(h.top(TopOrder::Weeks, 2)), (QList<QByteArray>{sj("Y"), sj("Z")}));
    EXPECT_EQ(titles(h.top(TopOrder::Number1, -1)), (QList<QByteArray>{sj("Y"), sj("X")}));
    EXPECT_EQ(titles(h.top(TopOrder::Peak, -1)), (QList<QByteArray>{sj("Y"), sj("X"), sj("Z"), sj("W")}));
    EXPECT_EQ(titles(h.top(TopOrder::ArtistNumber1, -1)), (QList<QByteArray>{sj("A")}));
    EXPECT_EQ(titles(h.top(TopOrder::ArtistWeeks, -1)), (QList<QByteArray>{sj("A"), sj("B")}));
}
