#pragma once
// The other direction: charted songs the collector does not have yet, and
// how complete the collection is per year.
#include <QByteArray>
#include <QHash>
#include <QList>

#include "core/charts/chartstore.h"
#include "core/history/charthistory.h"

class QIODevice;

namespace vorq {

// "Owned" means an associated file that exists. The one place that decides
// it, so the stored-target resolver can take over here.
bool ownedTarget(const QByteArray &file);

// Each song of the tables -> whether any of its rows owns its file (one
// existence test per distinct file).
QHash<SongKey, bool> songOwnership(const QList<ChartTab> &tabs);

struct WantedSong {
    SongKey song;
    int peak = 0;
    int weeks = 0;
    int firstTag = 0;  // debut, yyyymmdd
};

struct WantedFilter {
    int year = 0;  // debut year; 0 any
    int peak = 0;  // peak at or above this rank (10: "top 10 only"); 0 any
};

// The songs without an owned file, by peak, then weeks on chart (most
// first), then debut date, then title and artist.
QList<WantedSong> wantedSongs(const ChartHistory &history, const QHash<SongKey, bool> &owned,
                              const WantedFilter &filter = {});

struct YearCompleteness {
    int year = 0;
    int songs = 0, owned = 0;       // distinct songs charted in the year; those owned
    int weeks = 0, weeksOwned = 0;  // song-weeks in the year; those of owned songs
};

// One row per year with a loaded chart, ascending. A song charted in two
// years counts in both.
QList<YearCompleteness> completenessByYear(const ChartHistory &history, const QHash<SongKey, bool> &owned);

// The wanted list as the chart files hold songs: peak TAB title TAB artist
// TAB weeks TAB debut date label, Shift-JIS, CR LF (sjis::saveLines).
QList<QByteArray> wantedLines(const QList<WantedSong> &songs);

}  // namespace vorq
