#pragma once
// --format and --relative of the commands that write playlists.
#include <QStringList>

namespace vorq::cli {

struct PlaylistFormatOption {
    QString format;  // "" by the file's extension, "m3u", "m3u8" or "xspf"
    bool relative = false;
    bool given = false;  // either option was there
};

// Takes --format NAME (or --format=NAME) and --relative out of args, so the
// command's own parsing never sees them. Throws UsageError for another name.
PlaylistFormatOption takePlaylistFormatOption(QStringList &args);

}  // namespace vorq::cli
