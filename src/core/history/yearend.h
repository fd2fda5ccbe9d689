#pragma once
// Year-end and decade charts: songs (or artists) ranked by the points they
// earned in the loaded weeks of a span of calendar years. A week's entry
// earns 101 - rank points, at least 1; weeks with no loaded chart earn
// nothing. Ties go to the better peak in the span, then more weeks in it,
// then the earlier first week in it, then the better rank in that week.
#include <QByteArray>
#include <QList>

#include "core/history/charthistory.h"

namespace vorq {

struct YearEndEntry {
    int position = 0;  // 1 = the span's best
    SongKey song;      // the artist alone (title empty) on an artist chart
    int points = 0;
    int peak = 0;       // best rank in the span
    int weeks = 0;      // loaded weeks in the span with the song (artist: any of its songs)
    int firstTag = 0;   // its first week in the span, yyyymmdd
    int firstRank = 0;  // its best rank in that week
};

enum class YearEndBy { Song, Artist };

// The points of one entry; a song listed twice in one week counts once,
// with its better rank.
int yearEndPoints(int rank);

// The chart over the calendar years firstYear..lastYear (inclusive); limit
// < 0 keeps every entry.
QList<YearEndEntry> yearEndChart(const ChartHistory &history, int firstYear, int lastYear,
                                 YearEndBy by = YearEndBy::Song, int limit = -1);
inline QList<YearEndEntry> decadeChart(const ChartHistory &history, int decade,
                                       YearEndBy by = YearEndBy::Song, int limit = -1) {
    return yearEndChart(history, decade, decade + 9, by, limit);
}

// The calendar years with a loaded week, ascending.
QList<int> chartYears(const ChartHistory &history);

}  // namespace vorq
