#pragma once
// Every playlist file the program writes: the designed path lists (one
// Shift-JIS path per line, CR LF) and the files today's players read,
// extended M3U in UTF-8 (.m3u8) and XSPF (.xspf), plus the result list's
// playlist in either kind. Paths of the extended formats are file-system
// paths (already decoded), so names that Shift-JIS cannot hold, such as
// accented Latin ones, are written too.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>
#include <optional>

#include "core/lists/resultlist.h"

class QIODevice;

namespace vorq {

// ---- the designed path lists ------------------------------------------------
// The playlist of save mode (playlistLines), streamed, CR LF after each line.
bool writePathList(QIODevice *device, const ResultList &rows, qint64 count);
// Through QSaveFile; the file is made even when no row has a file. Throws
// FileError with the system's message.
void savePathList(const QString &fileName, const ResultList &rows, qint64 count);

// ---- extended formats -------------------------------------------------------
struct PlaylistEntry {
    QString path;  // absolute file path, or a web address written as it is
    QString title;
    QString artist;
    int seconds = -1;  // length when known; -1 unknown

    // An entry from the system's Shift-JIS texts (a result list row).
    static PlaylistEntry fromSjis(const QByteArray &path, const QByteArray &title, const QByteArray &artist);
};

enum class PlaylistFormat { M3u8, Xspf };

struct PlaylistOptions {
    // Write paths relative to baseFolder (the playlist's folder) where the
    // file is on the same medium; others stay absolute.
    bool relativePaths = false;
    QString baseFolder;
    // Line end of M3U8 files; LF is what players on this platform expect.
    QByteArray lineEnd = QByteArrayLiteral("\n");
};

// The format an extended playlist file name asks for by its extension
// (".m3u8", ".xspf", any case); nullopt for the designed ".m3u"/".txt" and
// anything else.
std::optional<PlaylistFormat> playlistFormatForFileName(const QString &fileName);
// The format of a --format value: "m3u8" or "xspf"; nullopt otherwise.
std::optional<PlaylistFormat> playlistFormatByName(const QString &name);
// The file extension (without dot) and the save dialog filter (Qt's syntax)
// of a format.
QString playlistFormatExtension(PlaylistFormat format);
QString playlistFormatFilter(PlaylistFormat format);

// Whether a path names a web resource (written as it is, never made relative).
bool isWebAddress(const QString &path);

// The path as it appears in the playlist under the options: relative to the
// base folder when asked and both are on the same medium.
QString playlistPath(const QString &path, const PlaylistOptions &options);

// Entries produced one at a time, so a playlist of millions of lines never
// exists in memory as a whole: count entries, entryAt(0..count-1) in order.
struct PlaylistSource {
    qint64 count = 0;
    std::function<PlaylistEntry(qint64 index)> entryAt;
    static PlaylistSource of(const QList<PlaylistEntry> &entries);
};

// Format entries into a device; false on a device error. Throws FileError
// for an entry that the format cannot hold (a line break in an M3U8 path).
bool writeM3u8(QIODevice *device, const QList<PlaylistEntry> &entries, const PlaylistOptions &options);
bool writeXspf(QIODevice *device, const QList<PlaylistEntry> &entries, const PlaylistOptions &options);
bool writeExtendedPlaylist(QIODevice *device, PlaylistFormat format, const QList<PlaylistEntry> &entries,
                           const PlaylistOptions &options);
bool writeExtendedPlaylistFrom(QIODevice *device, PlaylistFormat format, const PlaylistSource &source,
                               const PlaylistOptions &options);

// Writes the file atomically (QSaveFile). When options.baseFolder is empty,
// relative paths are taken against the file's own folder. Throws FileError
// with the system's message; the old file is then untouched.
void saveExtendedPlaylist(const QString &fileName, PlaylistFormat format, const QList<PlaylistEntry> &entries,
                          PlaylistOptions options);
void saveExtendedPlaylistFrom(const QString &fileName, PlaylistFormat format, const PlaylistSource &source,
                              PlaylistOptions options);

// ---- the result list's playlist --------------------------------------------
// The same songs in the same order as the designed path lists, with their
// titles and artists.
// Save mode: the rows of playlistLines(rows, count), as entries.
QList<PlaylistEntry> playlistEntries(const ResultList &rows, qint64 count);
// The same, streamed: what the file writers take for any count.
PlaylistSource playlistEntrySource(const ResultList &rows, qint64 count);

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
