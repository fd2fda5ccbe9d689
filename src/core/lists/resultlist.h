#pragma once
// The rows of the result list window: chart entries gathered from several
// dates (a search, the same song on other dates, a generated playlist), the
// column sort of that window and the playlist files written from it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <array>

#include "core/charts/chartstore.h"

namespace vorq {

// Eight texts: 0 date label, 1 rank, 2 title, 3 artist, 4 associated file
// (empty: none), 5 open method; 6 and 7 belong to whoever filled the list
// (search: tab number and 0-based row; playlist: score and appearance count).
struct ResultRow {
    enum Text { Date = 0, Rank, Title, Artist, File, Method, Extra1, Extra2, TextCount };
    std::array<QByteArray, TextCount> texts;

    const QByteArray &text(int i) const { return texts[std::size_t(i)]; }
    QByteArray &text(int i) { return texts[std::size_t(i)]; }

    // A row from a chart entry: its five texts after the date label.
    static ResultRow fromEntry(const QByteArray &dateLabel, const ChartEntry &entry,
                               const QByteArray &extra1 = {}, const QByteArray &extra2 = {});
    friend bool operator==(const ResultRow &, const ResultRow &) = default;
};

using ResultList = QList<ResultRow>;

// The window's column sort of column k (0..5) in direction +1 or -1:
// k = 0 compares the date texts; k = 1 the ranks, the shorter filled with
// "0" on the left to the longer's length, then the dates; k = 2..5 text k,
// then the dates. Texts compare as the desktop's locale-aware, case-sensitive
// comparison of the decoded texts (QCollator). Every distinct text is
// decoded and ranked once, so a full history sorts in a fraction of a second.
void sortResultRows(ResultList &rows, int column, int direction);

// The comparison itself, for one pair (the sort's reference; slow).
int compareResultRows(const ResultRow &a, const ResultRow &b, int column);

// ---- playlist files ------------------------------------------------------
// Text 4 of every row in list order, empty texts and repeats left out.
QList<QByteArray> distinctFiles(const ResultList &rows);

// Save mode: walking the rows from the first and wrapping around, one line
// (text 4) per row that has a file, until count lines are taken (none when
// count <= 0 or no row has a file).
QList<QByteArray> playlistLines(const ResultList &rows, qint64 count);

// The last path component of a stored file text ("/" or "\" on character
// boundaries, so a Shift-JIS trail byte 0x5C is not taken for "\").
QByteArray fileNamePart(const QByteArray &path);

// Copy mode: the first min(count, distinct files) files, and the playlist's
// lines: targetFolder (Shift-JIS, a trailing "/" added when missing)
// followed by each file's name.
struct PlaylistCopy {
    QList<QByteArray> sources;
    QList<QByteArray> lines;
};
PlaylistCopy playlistCopy(const QList<QByteArray> &distinct, qint64 count, const QByteArray &targetFolder);

// Drag-out and context menu: the selected rows' files in list order; web
// addresses ("http", "ftp", "mailto") and empty texts are skipped; each is
// resolved as a stored target (storedtarget.h); collection stops at the
// first file that does not exist (exists() decides for the resolved path).
template <typename Exists>
QStringList selectedLocalFiles(const ResultList &rows, const QList<int> &selected, Exists exists);

}  // namespace vorq

#include "core/lists/resultlist_impl.h"
