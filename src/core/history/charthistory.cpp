#include "core/history/charthistory.h"

#include <algorithm>

namespace vorq {

ChartHistory::ChartHistory(const QList<ChartTab> &tabs) {
    // Tables by date; a date loaded twice keeps its first table.
    QList<std::pair<int, int>> byDate;  // tag, table index
    byDate.reserve(tabs.size());
    for (int i = 0; i < tabs.size(); ++i) byDate.append({tabs.at(i).tag, i});
    std::stable_sort(byDate.begin(), byDate.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[tag, index] : byDate) {
        if (!m_weekTags.isEmpty() && m_weekTags.last() == tag) continue;
        const int week = int(m_weekTags.size());
        m_weekTags.append(tag);
        for (const ChartEntry &e : tabs.at(index).rows) {
            bool ok = false;
            const int rank = e.rank.trimmed().toInt(&ok);
            if (!ok) continue;
            SongKey key{e.title, e.artist};
            auto it = m_index.find(key);
            if (it == m_index.end()) {
                it = m_index.insert(key, int(m_order.size()));
                m_order.append(key);
                m_apps.emplaceBack();
                m_byArtist[e.artist].append(key);
            }
            m_apps[*it].append({tag, rank, week});
            m_rows.append({*it, rank});
        }
        m_weekStart.append(int(m_rows.size()));
    }
}

SongFigures ChartHistory::figures(const SongKey &key, const QList<Appearance> &apps) const {
    SongFigures f;
    f.song = key;
    f.appearances = apps;
    if (apps.isEmpty()) return f;
    f.debutTag = apps.first().tag;
    f.debutRank = apps.first().rank;
    f.lastTag = apps.last().tag;
    f.lastRank = apps.last().rank;
    f.peakRank = apps.first().rank;
    for (const Appearance &a : apps) f.peakRank = std::min(f.peakRank, a.rank);
    int runStart = 0;
    int prevWeek = -2, peakWeek = -1, oneWeek = -1;
    for (int i = 0; i < apps.size(); ++i) {
        const Appearance &a = apps.at(i);
        if (a.week != prevWeek) {
            ++f.weeks;
            if (a.week != prevWeek + 1 && i > 0) {
                f.runRanges.append({runStart, i});
                runStart = i;
            }
        }
        if (a.rank == f.peakRank && a.week != peakWeek) {
            if (f.peakTag == 0) f.peakTag = a.tag;
            ++f.weeksAtPeak;
            peakWeek = a.week;
        }
        if (a.rank == 1 && a.week != oneWeek) {
            ++f.weeksAtNumber1;
            oneWeek = a.week;
        }
        prevWeek = a.week;
    }
    f.runRanges.append({runStart, int(apps.size())});
    f.runs = int(f.runRanges.size());
    return f;
}

std::optional<SongFigures> ChartHistory::song(const SongKey &key) const {
    auto it = m_index.constFind(key);
    if (it == m_index.constEnd()) return std::nullopt;
    return figures(key, m_apps.at(*it));
}

namespace {

// Best song of an artist: the higher peak, then more weeks; earlier debut
// wins what is left (songs come in debut order).
bool betterSong(const SongFigures &a, const SongFigures &b) {
    if (a.peakRank != b.peakRank) return a.peakRank < b.peakRank;
    return a.weeks > b.weeks;
}

}  // namespace

std::optional<ArtistFigures> ChartHistory::artist(const QByteArray &artist) const {
    auto it = m_byArtist.constFind(artist);
    if (it == m_byArtist.constEnd()) return std::nullopt;
    ArtistFigures a;
    a.artist = artist;
    const SongFigures *best = nullptr;
    for (const SongKey &key : *it) a.songList.append(figures(key, m_apps.at(m_index.value(key))));
    for (const SongFigures &f : a.songList) {
        ++a.songs;
        if (f.peakRank == 1) ++a.number1Songs;
        a.totalWeeks += f.weeks;
        if (a.firstTag == 0 || f.debutTag < a.firstTag) a.firstTag = f.debutTag;
        a.lastTag = std::max(a.lastTag, f.lastTag);
        if (!best || betterSong(f, *best)) best = &f;
    }
    if (best) a.bestSong = best->song;
    return a;
}

QList<TopEntry> ChartHistory::top(TopOrder order, int limit) const {
    QList<TopEntry> out;
    const bool byArtist = order == TopOrder::ArtistNumber1 || order == TopOrder::ArtistWeeks;
    if (byArtist) {
        // Artists in order of their first chart appearance, for stable ties.
        QHash<QByteArray, int> seen;
        for (qsizetype i = 0; i < m_order.size(); ++i) {
            const SongKey &key = m_order.at(i);
            const SongFigures f = figures(key, m_apps.at(i));
            auto it = seen.find(key.artist);
            if (it == seen.end()) {
                it = seen.insert(key.artist, int(out.size()));
                out.append({SongKey{{}, key.artist}, 0, 0});
            }
            TopEntry &e = out[*it];
            e.primary += order == TopOrder::ArtistNumber1 ? (f.peakRank == 1 ? 1 : 0) : f.weeks;
        }
        std::stable_sort(out.begin(), out.end(),
                         [](const TopEntry &a, const TopEntry &b) { return a.primary > b.primary; });
    } else {
        out.reserve(m_order.size());
        for (qsizetype i = 0; i < m_order.size(); ++i) {
            const SongKey &key = m_order.at(i);
            const SongFigures f = figures(key, m_apps.at(i));
            switch (order) {
                case TopOrder::Weeks: out.append({key, f.weeks, 0}); break;
                case TopOrder::Number1:
                    if (f.weeksAtNumber1 > 0) out.append({key, f.weeksAtNumber1, 0});
                    break;
                default: out.append({key, f.peakRank, f.weeks}); break;
            }
        }
        if (order == TopOrder::Peak)
            std::stable_sort(out.begin(), out.end(), [](const TopEntry &a, const TopEntry &b) {
                return a.primary != b.primary ? a.primary < b.primary : a.secondary > b.secondary;
            });
        else
            std::stable_sort(out.begin(), out.end(),
                             [](const TopEntry &a, const TopEntry &b) { return a.primary > b.primary; });
    }
    if (order == TopOrder::ArtistNumber1) out.removeIf([](const TopEntry &e) { return e.primary == 0; });
    if (limit >= 0 && out.size() > limit) out.resize(limit);
    return out;
}

}  // namespace vorq
