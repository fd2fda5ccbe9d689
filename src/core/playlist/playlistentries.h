#pragma once
// The result list's playlist as entries of the extended formats: the same
// songs in the same order as the designed path lists, with their titles and
// artists.
#include <QList>
#include <QString>

#include "core/lists/resultlist.h"
#include "core/playlist/playlistformats.h"

namespace vorq {

// Save mode: the rows of playlistLines(rows, count), as entries.
QList<PlaylistEntry> playlistEntries(const ResultList &rows, qint64 count);

// Copy mode: one entry per copied file, its path the copy's line; title and
// artist from the first row that lists the source.
QList<PlaylistEntry> playlistCopyEntries(const ResultList &rows, const PlaylistCopy &copy);

// The playlist save dialog's filter: the designed one followed by the
// extended formats.
QString extendedPlaylistFilter(const QString &designedFilter);

// The names --format takes: "m3u" (the designed path list), "m3u8", "xspf".
bool isPlaylistFormatName(const QString &name);

// The result list's playlist (save mode) into fileName: in the named form,
// or, without a name, by the file's extension (.m3u8, .xspf; the designed
// path list for anything else). relative applies to the extended forms.
// Throws FileError.
void saveResultPlaylist(const QString &fileName, const ResultList &rows, qint64 count,
                        const QString &formatName = {}, bool relative = false);

}  // namespace vorq
