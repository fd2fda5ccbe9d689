#include "core/library/wanted.h"

#include <QSet>
#include <algorithm>

namespace vorq {

bool ownedTarget(const QByteArray &file) { return existenceTest(file); }

QHash<SongKey, bool> songOwnership(const QList<ChartTab> &tabs) {
    QHash<SongKey, bool> owned;
    QHash<QByteArray, bool> exists;
    for (const ChartTab &tab : tabs)
        for (const ChartEntry &e : tab.rows) {
            bool &mine = owned[SongKey{e.title, e.artist}];
            if (mine || e.file.isEmpty()) continue;
            auto it = exists.constFind(e.file);
            if (it == exists.constEnd()) it = exists.insert(e.file, ownedTarget(e.file));
            mine = *it;
        }
    return owned;
}

QList<WantedSong> wantedSongs(const ChartHistory &history, const QHash<SongKey, bool> &owned,
                              const WantedFilter &filter) {
    QList<WantedSong> out;
    for (const SongKey &key : history.songOrder()) {
        if (owned.value(key)) continue;
        const std::optional<SongFigures> f = history.song(key);
        if (!f) continue;
        if (filter.year && f->debutTag / 10000 != filter.year) continue;
        if (filter.peak && f->peakRank > filter.peak) continue;
        out.push_back({key, f->peakRank, f->weeks, f->debutTag});
    }
    std::sort(out.begin(), out.end(), [](const WantedSong &a, const WantedSong &b) {
        if (a.peak != b.peak) return a.peak < b.peak;
        if (a.weeks != b.weeks) return a.weeks > b.weeks;
        if (a.firstTag != b.firstTag) return a.firstTag < b.firstTag;
        if (a.song.title != b.song.title) return a.song.title < b.song.title;
        return a.song.artist < b.song.artist;
    });
    return out;
}

QList<YearCompleteness> completenessByYear(const ChartHistory &history, const QHash<SongKey, bool> &owned) {
    QMap<int, YearCompleteness> years;
    for (int tag : history.weekTags()) years[tag / 10000].year = tag / 10000;
    for (const SongKey &key : history.songOrder()) {
        const std::optional<SongFigures> f = history.song(key);
        if (!f) continue;
        const bool mine = owned.value(key);
        int lastYear = 0, lastTag = 0;
        for (const Appearance &a : f->appearances) {
            if (a.tag == lastTag) continue;  // twice in one week counts once
            lastTag = a.tag;
            YearCompleteness &y = years[a.tag / 10000];
            if (a.tag / 10000 != lastYear) {
                lastYear = a.tag / 10000;
                ++y.songs;
                if (mine) ++y.owned;
            }
            ++y.weeks;
            if (mine) ++y.weeksOwned;
        }
    }
    return years.values();
}

QList<QByteArray> wantedLines(const QList<WantedSong> &songs) {
    QList<QByteArray> lines;
    lines.reserve(songs.size());
    for (const WantedSong &w : songs)
        lines.push_back(QByteArray::number(w.peak) + '\t' + w.song.title + '\t' + w.song.artist + '\t' +
                        QByteArray::number(w.weeks) + '\t' + dateLabelFromTag(w.firstTag));
    return lines;
}

}  // namespace vorq
