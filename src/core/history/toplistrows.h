#pragma once
// A top list or year-end chart as result rows, so the result window's list
// and playlist writers save it: one row per song in the list's order, the
// period in the date column, the place as the rank, the points (if any) in
// the first extra text, and the file of the song's newest row that has one.
#include <QByteArray>
#include <QList>

#include "core/charts/chartstore.h"
#include "core/history/charthistory.h"
#include "core/lists/resultlist.h"

namespace vorq {

struct TopListItem {
    SongKey song;  // title empty: an artist, which gets no file
    QByteArray value;
};

ResultList topListRows(const QList<TopListItem> &items, const QByteArray &period,
                       const QList<ChartTab> &tabs);

}  // namespace vorq
