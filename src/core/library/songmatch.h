#pragma once
// Matching chart songs to library files by their texts. Both sides are
// normalised once (NFKC, case folding, spaces and punctuation folded;
// bracketed parts and "feat." parts set aside and scored on their own). An
// exact normalised match is "sure"; otherwise a weighted string distance
// over the candidates an index of character bigrams finds.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <vector>

#include "core/charts/associationupdate.h"
#include "core/charts/chartstore.h"
#include "core/history/charthistory.h"
#include "core/library/libraryscan.h"

namespace vorq {

struct MatchText {
    QString core;   // the text without its set-aside parts, folded
    QString extra;  // the set-aside parts, folded, sorted, space-separated
    friend bool operator==(const MatchText &, const MatchText &) = default;
};

// isArtist: "with ..." is set aside too (in a title it is usually part of it).
MatchText normalizeForMatch(const QString &text, bool isArtist);

// 1 - edit distance / longer length, over UTF-16 units; 1 for two empties.
double textSimilarity(const QString &a, const QString &b);

struct MatchProposal {
    SongKey song;   // as stored in the charts
    int file = -1;  // index into the files matched against
    double score = 0;
    bool sure = false;
};

// The score of a song against a file, 0..1: title 0.6, artist 0.3, the
// set-aside parts 0.1. Exactly 1 only for a sure match.
double matchScore(const MatchText &songTitle, const MatchText &songArtist, const MatchText &fileTitle,
                  const MatchText &fileArtist, bool *sure = nullptr);

class LibraryMatcher {
public:
    explicit LibraryMatcher(const QList<LibraryFile> &files);
    // The best files of one song (several when their scores tie) scoring at
    // least minScore.
    QList<MatchProposal> match(const SongKey &song, double minScore) const;
    // Every song's best, by score (highest first), then title and artist.
    QList<MatchProposal> matchAll(const QList<SongKey> &songs, double minScore) const;

private:
    struct Indexed {
        MatchText title, artist;
        qsizetype bigrams = 0;
        QList<quint32> artistGrams;  // sorted
    };
    QHash<QString, QList<qint32>> m_exact;  // the sure matches by all four texts
    QList<Indexed> m_files;
    // Character bigrams of the folded title (a one-character title is its
    // own token) -> files: an exact title shares all of them.
    QHash<quint32, QList<qint32>> m_byBigram;
    std::vector<qint32> m_gramCounts;      // bigrams per file, apart from m_files for the cache's sake
    mutable std::vector<qint32> m_counts;  // scratch per query: shared title bigrams by file
    mutable std::vector<qint32> m_touched;
};

// The songs of the loaded tables (title and artist as stored, first
// appearance order) that own no file, by ownedTarget (wanted.h).
QList<SongKey> songsWithoutFile(const QList<ChartTab> &tabs);

// Sets each accepted proposal's file on every loaded row of its song (the
// same-song rule); a song proposed twice takes the first. Open methods stay.
// Proposals whose file path Shift-JIS cannot hold are skipped.
QList<AssociationChange> applyProposals(QList<ChartTab> &tabs, const QList<MatchProposal> &accepted,
                                        const QList<LibraryFile> &files);

}  // namespace vorq
