#pragma once
// The texts of a song as the matcher compares them. Chart rows and music
// files go through the same rules: first the load's title and artist
// normalisation (so a tag reads as the chart file would store it), then
// NFKC, case folding and punctuation folding. What a title carries besides
// its name is taken apart: subtitles ("～…～", "-…-", brackets), version
// markers ("Live ver.", "(Instrumental)"), neutral markers ("Single
// Version", "Remaster"), featured artists and the numbers that tell a
// sequel from its first part. An artist is a set of names, whatever joins
// them ("feat.", "with", "×", "&", "、"...) and in whatever order.
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <utility>

namespace vorq {

// The load's rules (sjis::normalizeTitle / normalizeArtist) on decoded
// text: full-width digits and Latin letters to ASCII, the ideographic space
// to a space; for an artist holding a double-byte character and a space,
// every space removed.
QString loadTitleRule(const QString &text);
QString loadArtistRule(const QString &text);

// Letters, digits and marks only.
QString foldForMatch(QStringView text);

// The version marker of one bracketed or set-off part of a title.
struct VersionMarker {
    enum Kind { None, Neutral, Variant } kind = None;
    QString key;  // for a variant: "live", "remix", "instrumental", "karaoke", "tvsize", ...
};
VersionMarker versionMarkerOf(QStringView part);

// Version markers of a folder name or an album title ("LIVE TOUR 2004"):
// the narrower set that names a kind of recording. Keys as above, sorted.
QStringList folderVersionMarkers(QStringView text);

// Whether an artist text names no one ("V.A.", "Various Artists", "オムニバス").
bool isCompilationArtist(const QString &artist);

// The song name inside a compilation's title: "artist「title」",
// "title / artist", "artist - title" (both readings). Pairs of title, artist.
QList<std::pair<QString, QString>> compilationReadings(const QString &title);

struct SongText {
    QString core;                // the title proper, folded
    QStringList subtitles;       // folded, sorted
    QStringList variants;        // version marker keys, sorted (for a file: its folders' and album's too)
    QString variantText;         // the markers as written, for the screen
    bool neutral = false;        // a neutral marker (single version, remaster, radio edit)
    QList<int> numbers;          // numbers, roman numerals and "Part N" of the title, sorted
    QStringList names;           // the artist's and the featured names, folded, sorted, unique
    QString mainName;            // the name the artist begins with: whose song it is
    bool unknownArtist = false;  // a compilation artist or none at all
    bool mayBeCut = false;       // a tag title that ID3v1's 30 bytes may have cut

    // Equal keys are a sure match.
    QString exactKey() const;
};

SongText songText(const QString &title, const QString &artist);

}  // namespace vorq
