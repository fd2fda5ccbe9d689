#pragma once
// Matching chart songs to library files by their texts (matchtext.h says
// how both sides are read). Equal texts are a sure match; otherwise a
// weighted string similarity over the candidates an index of character
// bigrams finds, held below the default threshold whenever the file is
// another version, another artist or another numbered song.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

#include "core/charts/associationupdate.h"
#include "core/charts/chartstore.h"
#include "core/history/charthistory.h"
#include "core/library/libraryscan.h"
#include "core/library/matchtext.h"

namespace vorq {

// The one default of the review window and `vorq scan`: proposals at or
// above it are ticked, and are what --apply stores.
inline constexpr double kDefaultMatchThreshold = 0.8;

// 1 - edit distance / longer length, over UTF-16 units; 1 for two empties.
double textSimilarity(const QString &a, const QString &b);

// Why a proposal scores below the threshold however alike its texts are.
enum class MatchNote {
    None,
    Variant,        // another version (live, karaoke, remix...) than the chart's
    PartialArtist,  // the artists share a name, but differ in another
    TitleDiffers,   // the titles are not close enough
    UnknownArtist,  // a compilation or no artist at all
    OtherArtist,    // another artist's song
    OtherNumber,    // a title that differs by a number: another song
    SureForOther,   // the file is another charted song's sure match
};

struct MatchVerdict {
    double score = 0;  // 0..1, exactly 1 only when sure
    bool sure = false;
    MatchNote note = MatchNote::None;
};

MatchVerdict judgeMatch(const SongText &song, const SongText &file);
// The same with the similarity of the two titles proper already measured.
MatchVerdict judgeMatch(const SongText &song, const SongText &file, double titleSimilarity);

// The ways the matcher reads a file: its tags (or name), a compilation's
// title split into artist and title, the other readings of its name and
// folders; each with the version markers of its folders and album.
QList<SongText> fileReadings(const LibraryFile &file);

struct MatchProposal {
    SongKey song;   // as stored in the charts
    int file = -1;  // index into the files matched against
    double score = 0;
    bool sure = false;
    MatchNote note = MatchNote::None;
    QString marker;  // the file's version marker as written (a variant's), or its folder or album
};

// For the screen and for vorq: what a proposal's note means.
QString matchNoteText(MatchNote note);  // Japanese
QString matchNoteKey(MatchNote note);   // "variant", "other_artist", ...

class LibraryMatcher {
public:
    explicit LibraryMatcher(const QList<LibraryFile> &files);
    // The best files of one song (several when their scores tie) scoring at
    // least minScore.
    QList<MatchProposal> match(const SongKey &song, double minScore) const;
    // Every song's best, by score (highest first), then title and artist. A
    // file that reads exactly as one of the songs is held below the
    // threshold for the others ("X" and "X～subtitle～" both charted).
    QList<MatchProposal> matchAll(const QList<SongKey> &songs, double minScore) const;

private:
    QList<MatchProposal> matchText(const SongKey &key, const SongText &song, double minScore) const;
    struct Reading {
        qint32 file = -1;
        SongText text;
        QString key;
    };
    QList<Reading> m_readings;
    QList<qint32> m_fileReadings;           // per file, its first reading; one more at the end
    QHash<QString, QList<qint32>> m_exact;  // readings by exact key
    // Character bigrams of the folded title (a one-character title is its
    // own token) -> readings: an exact title shares all of them.
    QHash<quint32, QList<qint32>> m_byBigram;
    std::vector<qint32> m_gramCounts;  // bigrams per reading
    // Per reading, what the bounds need before its text is touched: the
    // length of its title proper, and whether ID3v1 may have cut it.
    std::vector<qint32> m_coreLength;
    std::vector<bool> m_mayBeCut;
    // The artist's bigrams of every reading, sorted, one after the other:
    // reading r has m_artistGrams[m_artistGramStart[r] .. m_artistGramStart[r + 1]).
    std::vector<quint32> m_artistGrams;
    std::vector<qint32> m_artistGramStart;
    mutable std::vector<qint32> m_counts;  // scratch per query: shared title bigrams by reading
    mutable std::vector<qint32> m_touched;
};

// The proposals an apply stores: the first (best) of each song at or above
// threshold, in the given order. The window ticks exactly these.
QList<MatchProposal> proposalsToApply(const QList<MatchProposal> &proposals,
                                      double threshold = kDefaultMatchThreshold);

// The songs of the loaded tables (title and artist as stored, first
// appearance order) that own no file, by ownedTarget (wanted.h).
QList<SongKey> songsWithoutFile(const QList<ChartTab> &tabs);

// Sets each accepted proposal's file on every loaded row of its song (the
// same-song rule); a song proposed twice takes the first. Open methods stay.
// Proposals whose file path Shift-JIS cannot hold are skipped.
QList<AssociationChange> applyProposals(QList<ChartTab> &tabs, const QList<MatchProposal> &accepted,
                                        const QList<LibraryFile> &files);

// Of the songs, those with no proposal at the threshold whose best
// candidate is a file the scan left out: song -> index into scan.leftOut.
QHash<SongKey, int> songsOnlyLeftOut(const QList<SongKey> &songs, const ScanResult &scan,
                                     double threshold = kDefaultMatchThreshold);

}  // namespace vorq
