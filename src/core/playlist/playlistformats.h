#pragma once
// Playlist files that today's players read, written beside the designed
// Shift-JIS path lists: extended M3U in UTF-8 (.m3u8) and XSPF (.xspf).
// Paths here are file-system paths (already decoded), so names that
// Shift-JIS cannot hold, such as accented Latin ones, are written too.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

class QIODevice;

namespace vorq {

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

// Format entries into a device; false on a device error. Throws FileError
// for an entry that the format cannot hold (a line break in an M3U8 path).
bool writeM3u8(QIODevice *device, const QList<PlaylistEntry> &entries, const PlaylistOptions &options);
bool writeXspf(QIODevice *device, const QList<PlaylistEntry> &entries, const PlaylistOptions &options);
bool writePlaylist(QIODevice *device, PlaylistFormat format, const QList<PlaylistEntry> &entries,
                   const PlaylistOptions &options);

// Writes the file atomically (QSaveFile). When options.baseFolder is empty,
// relative paths are taken against the file's own folder. Throws FileError
// with the system's message; the old file is then untouched.
void savePlaylist(const QString &fileName, PlaylistFormat format, const QList<PlaylistEntry> &entries,
                  PlaylistOptions options);

}  // namespace vorq
