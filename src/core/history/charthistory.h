#pragma once
// Chart history: for every song (title and artist as stored) its
// appearances over the loaded charts in date order, the figures collectors
// ask for (debut, peak, weeks, runs) and the same per artist, plus top
// lists over the loaded range. Built once per load; answers in microseconds.
//
// Runs follow the loaded weeks only: a run ends when a loaded week passes
// without the song, while weeks with no loaded chart (not broadcast, or not
// downloaded) neither break nor extend it.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <optional>
#include <span>

#include "core/charts/chartstore.h"

namespace vorq {

struct Appearance {
    int tag = 0;   // yyyymmdd
    int rank = 0;  // as stored, parsed
    int week = 0;  // position of the date among the loaded dates (0 = oldest)
};

struct SongKey {
    QByteArray title;
    QByteArray artist;
    friend bool operator==(const SongKey &, const SongKey &) = default;
};
inline size_t qHash(const SongKey &k, size_t seed = 0) { return qHashMulti(seed, k.title, k.artist); }

struct SongFigures {
    SongKey song;
    int debutTag = 0, debutRank = 0;
    int lastTag = 0, lastRank = 0;
    int peakRank = 0, peakTag = 0, weeksAtPeak = 0;
    int weeks = 0;  // loaded weeks with the song (a week listing it twice counts once)
    int weeksAtNumber1 = 0;
    int runs = 0;
    int reentries() const { return runs > 0 ? runs - 1 : 0; }
    QList<Appearance> appearances;  // date order, then rank
    // Appearances split into runs (indexes into appearances, begin/end).
    QList<std::pair<int, int>> runRanges;
};

struct ArtistFigures {
    QByteArray artist;
    int songs = 0;
    int number1Songs = 0;
    int totalWeeks = 0;
    int firstTag = 0, lastTag = 0;
    std::optional<SongKey> bestSong;  // best peak, then most weeks, then earliest debut
    QList<SongFigures> songList;      // by debut date
};

enum class TopOrder { Weeks, Number1, Peak, ArtistNumber1, ArtistWeeks };

struct TopEntry {
    SongKey song;       // the artist alone (title empty) for the artist orders
    int primary = 0;    // weeks, weeks at #1, peak rank, #1 songs or total weeks
    int secondary = 0;  // weeks for Peak, otherwise 0
};

// One row of a loaded week: the song as its index in songOrder(), its rank.
struct WeekRow {
    int song = 0;
    int rank = 0;
};

class ChartHistory {
public:
    ChartHistory() = default;
    // Indexes every table of the store; tables are taken by date (tag), not
    // by page order. A date loaded twice counts once (its first table).
    explicit ChartHistory(const QList<ChartTab> &tabs);

    bool isEmpty() const { return m_order.isEmpty(); }
    int loadedWeeks() const { return int(m_weekTags.size()); }
    const QList<int> &weekTags() const { return m_weekTags; }

    std::optional<SongFigures> song(const SongKey &key) const;
    std::optional<ArtistFigures> artist(const QByteArray &artist) const;
    QList<TopEntry> top(TopOrder order, int limit) const;
    QList<SongKey> songsOf(const QByteArray &artist) const { return m_byArtist.value(artist); }
    // Songs in debut order, and each loaded week's ranked rows in table
    // order: what charts over a span of weeks walk instead of every song.
    const QList<SongKey> &songOrder() const { return m_order; }
    std::span<const WeekRow> weekRows(int week) const {
        return {m_rows.constData() + m_weekStart.at(week), m_rows.constData() + m_weekStart.at(week + 1)};
    }

private:
    SongFigures figures(const SongKey &key, const QList<Appearance> &apps) const;

    QList<int> m_weekTags;                         // loaded dates, ascending
    QHash<SongKey, int> m_index;                   // song -> its place in m_order and m_apps
    QList<QList<Appearance>> m_apps;               // appearances in date order, by song index
    QHash<QByteArray, QList<SongKey>> m_byArtist;  // songs in debut order
    QList<SongKey> m_order;                        // songs in debut order
    QList<WeekRow> m_rows;                         // every week's rows, oldest week first
    QList<int> m_weekStart{0};                     // week w's rows: [m_weekStart[w], m_weekStart[w + 1])
};

}  // namespace vorq
