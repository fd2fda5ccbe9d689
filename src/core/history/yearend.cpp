#include "core/history/yearend.h"

#include <QHash>
#include <algorithm>
#include <vector>

namespace vorq {

int yearEndPoints(int rank) { return std::clamp(101 - rank, 1, 100); }

namespace {

struct Tally {
    YearEndEntry entry;
    int lastWeek = -1;
    int lastPoints = 0;  // what the last week's best entry earned
};

// Counts one entry of week w; a second entry of the same week only counts
// when its rank is better, in place of the first. Returns the change in
// points, for the artist the song adds up to.
int tally(Tally &t, int week, int tag, int rank) {
    YearEndEntry &e = t.entry;
    const int points = yearEndPoints(rank);
    int delta = 0;
    if (t.lastWeek != week) {
        ++e.weeks;
        if (e.firstTag == 0) {
            e.firstTag = tag;
            e.firstRank = rank;
        }
        t.lastWeek = week;
        t.lastPoints = points;
        delta = points;
    } else if (points > t.lastPoints) {
        delta = points - t.lastPoints;
        t.lastPoints = points;
        if (e.firstTag == tag) e.firstRank = std::min(e.firstRank, rank);
    }
    e.points += delta;
    if (e.peak == 0 || rank < e.peak) e.peak = rank;
    return delta;
}

bool ahead(const YearEndEntry &a, const YearEndEntry &b) {
    if (a.points != b.points) return a.points > b.points;
    if (a.peak != b.peak) return a.peak < b.peak;
    if (a.weeks != b.weeks) return a.weeks > b.weeks;
    if (a.firstTag != b.firstTag) return a.firstTag < b.firstTag;
    return a.firstRank < b.firstRank;
}

}  // namespace

QList<YearEndEntry> yearEndChart(const ChartHistory &history, int firstYear, int lastYear, YearEndBy by,
                                 int limit) {
    const QList<int> &tags = history.weekTags();
    const int begin = int(std::lower_bound(tags.begin(), tags.end(), firstYear * 10000) - tags.begin());
    const int end = int(std::lower_bound(tags.begin(), tags.end(), (lastYear + 1) * 10000) - tags.begin());
    const QList<SongKey> &songs = history.songOrder();

    // Tallies in order of first appearance in the span, so what no rule
    // separates keeps that order.
    std::vector<int> songSlot(songs.size(), -1);
    std::vector<Tally> songTallies;
    QHash<QByteArray, int> artistSlot;
    std::vector<int> artistOfSong;  // by song slot
    std::vector<Tally> artistTallies;
    const bool byArtist = by == YearEndBy::Artist;
    for (int w = begin; w < end; ++w) {
        const int tag = tags.at(w);
        for (const WeekRow &row : history.weekRows(w)) {
            int &slot = songSlot[row.song];
            if (slot < 0) {
                slot = int(songTallies.size());
                songTallies.push_back({});
                songTallies.back().entry.song = songs.at(row.song);
                if (byArtist) {
                    const QByteArray &artist = songs.at(row.song).artist;
                    auto it = artistSlot.constFind(artist);
                    if (it == artistSlot.constEnd()) {
                        it = artistSlot.insert(artist, int(artistTallies.size()));
                        artistTallies.push_back({});
                        artistTallies.back().entry.song.artist = artist;
                    }
                    artistOfSong.push_back(*it);
                }
            }
            const int delta = tally(songTallies[slot], w, tag, row.rank);
            if (!byArtist) continue;
            // The artist's week counts once, whatever number of its songs
            // charted; its points are the sum of its songs'.
            Tally &a = artistTallies[artistOfSong[slot]];
            YearEndEntry &e = a.entry;
            if (a.lastWeek != w) {
                ++e.weeks;
                a.lastWeek = w;
                if (e.firstTag == 0) {
                    e.firstTag = tag;
                    e.firstRank = row.rank;
                }
            }
            if (e.firstTag == tag) e.firstRank = std::min(e.firstRank, row.rank);
            e.points += delta;
            if (e.peak == 0 || row.rank < e.peak) e.peak = row.rank;
        }
    }

    const std::vector<Tally> &tallies = byArtist ? artistTallies : songTallies;
    QList<YearEndEntry> out;
    out.reserve(qsizetype(tallies.size()));
    for (const Tally &t : tallies) out.append(t.entry);
    std::stable_sort(out.begin(), out.end(), ahead);
    if (limit >= 0 && out.size() > limit) out.resize(limit);
    for (qsizetype i = 0; i < out.size(); ++i) out[i].position = int(i + 1);
    return out;
}

QList<int> chartYears(const ChartHistory &history) {
    QList<int> years;
    for (int tag : history.weekTags())
        if (years.isEmpty() || years.last() != tag / 10000) years.append(tag / 10000);
    return years;
}

}  // namespace vorq
