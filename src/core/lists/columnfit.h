#pragma once
// How a table's columns share the room it has: the result window's columns
// (date, rank, title, artist, file, method) show whole what fits, and the
// file column takes the room that is left instead of a path cut short
// beside an empty strip.
#include <QList>

namespace vorq {

// Widths for the columns in `room` pixels. Each column gets at least its
// designed width and at most what its longest text needs, but no more than
// twice the designed width (one long title must not take the table). The
// fill column (a path) then takes all the room that is left, at least its
// designed width. When the others do not fit at those widths they fall back
// to their designed widths; when even those do not fit, the table scrolls.
QList<int> fitColumnWidths(const QList<int> &designed, const QList<int> &needed, int room, int fill);

// The room the rule above needs to show every column whole (the fill
// column at what its longest text needs).
int wantedTableWidth(const QList<int> &designed, const QList<int> &needed, int fill);

}  // namespace vorq
