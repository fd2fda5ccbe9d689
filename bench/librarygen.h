#pragma once
// A music library the way collectors keep one, with the charts it is
// matched against and the truth about every file: which charted song it is
// a right copy of, which are other versions, covers, sequels, album tracks,
// and which the scan must leave out. Deterministic for a seed.
//
// The mess it holds: tags spelt as the chart writes them, and in the other
// width, case, spacing; Shift-JIS ID3v1 tags cut at 30 bytes; untagged
// files named "NN - artist - title", "artist - title", "title - artist" or
// "Artist/Album/NN title"; collaborations with every joiner and in either
// order; "The" dropped; subtitles as "～…～", "-…-", "(…)" or left out;
// neutral markers ("Single Version", "Remaster"); compilations tagged
// "V.A." with the artist in the title; live, karaoke, TV-size, remix
// versions (in the title, or only in a "LIVE TOUR" folder); the same title
// by another artist; sequels ("Part 2", "II", "2"); empty files, text named
// .mp3, links to nowhere and out of the folder; names Shift-JIS cannot hold.
#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include "core/history/charthistory.h"

namespace vorq::test {

struct GeneratedSong {
    QString title, artist;      // as the chart writes them
    SongKey key;                // as the store holds them after the load
    QString titleId, artistId;  // what the song is, whatever the spelling
    bool collaboration = false;
    QStringList plainFiles;     // right copies: music with names Shift-JIS holds
    QStringList exactTagFiles;  // of those, tagged exactly as the chart writes the song
    QStringList variantFiles;   // other versions of it
    QStringList leftOutFiles;   // copies the scan must leave out
};

struct GeneratedFile {
    QString path;
    QString titleId, artistId;  // the song it holds
    bool variant = false;
    QString leftOut;  // the reason key ("empty", "unnamable", ...) the scan must give, or empty
};

struct GeneratedLibrary {
    QString data, music;  // the data folder and the music folder
    QDate first, last;    // the charted weeks
    QList<GeneratedSong> songs;
    QList<GeneratedFile> files;  // every music file, also those the scan leaves out
};

struct LibraryGenOptions {
    int songs = 900;
    quint32 seed = 29;
};

// Writes dir/data (chart files) and dir/music (the library), and a link
// target outside the library in dir/outside.
GeneratedLibrary generateLibrary(const QString &dir, const LibraryGenOptions &options = {});

}  // namespace vorq::test
