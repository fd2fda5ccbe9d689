#include "core/player/playqueue.h"

#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <tuple>

#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"

namespace vorq {

QString skipReasonText(SkipReason reason) {
    switch (reason) {
        case SkipReason::NoFile: return QStringLiteral("関連付けなし");
        case SkipReason::WebAddress: return QStringLiteral("Webアドレス");
        case SkipReason::LeavesMedium: return QStringLiteral("メディアの外を指している");
        case SkipReason::Missing: return QStringLiteral("ファイルがない");
        case SkipReason::Folder: return QStringLiteral("フォルダ");
        case SkipReason::NotRegularFile: return QStringLiteral("通常のファイルではない");
        case SkipReason::Unreadable: return QStringLiteral("読み取れない");
    }
    return {};
}

PlayableFile playableFile(const QByteArray &stored) {
    const StoredTarget target = resolveStoredTarget(stored);
    switch (target.kind) {
        case StoredTarget::Kind::None: return {{}, SkipReason::NoFile};
        case StoredTarget::Kind::Web: return {{}, SkipReason::WebAddress};
        default: break;
    }
    if (target.isRefused()) return {{}, SkipReason::LeavesMedium};
    if (!target.exists) return {{}, SkipReason::Missing};
    const QFileInfo info(target.localPath);
    if (info.isDir()) return {{}, SkipReason::Folder};
    if (!info.isFile()) return {{}, SkipReason::NotRegularFile};
    if (!info.isReadable()) return {{}, SkipReason::Unreadable};
    return {target.localPath, std::nullopt};
}

namespace {

int rankValue(const QByteArray &rank) {
    bool ok = false;
    const int v = rank.trimmed().toInt(&ok);
    return ok ? v : 0;
}

// Finds the chart row a listed song stands for.
class RowLocator {
public:
    explicit RowLocator(const QList<ChartTab> &tabs) : m_tabs(tabs) {
        for (qsizetype i = tabs.size() - 1; i >= 0; --i) m_byTag.insert(tabs.at(i).tag, int(i));
    }
    // The row of the week whose label is dateLabel: hint when it holds the
    // song, else the first row with its rank, title and artist.
    std::pair<int, int> find(const QByteArray &dateLabel, const QueueEntry &e, int hint) const {
        const auto date = dateFromLabel(dateLabel);
        if (!date) return {0, -1};
        const int tag = dateTag(*date);
        const int tab = m_byTag.value(tag, -1);
        if (tab < 0) return {0, -1};
        const ChartTable &rows = m_tabs.at(tab).rows;
        auto same = [&](const ChartEntry &c) {
            return c.rank == e.rank && c.title == e.title && c.artist == e.artist;
        };
        if (hint >= 0 && hint < rows.size() && same(rows.at(hint))) return {tag, hint};
        for (qsizetype r = 0; r < rows.size(); ++r)
            if (same(rows.at(r))) return {tag, int(r)};
        return {tag, -1};
    }

private:
    const QList<ChartTab> &m_tabs;
    QHash<int, int> m_byTag;
};

// Queues the song or lists it with the reason.
void take(PlayQueue &queue, QueueEntry entry) {
    const PlayableFile file = playableFile(entry.stored);
    if (file.reason) {
        queue.skipped.append({std::move(entry), *file.reason});
        return;
    }
    entry.path = file.path;
    queue.entries.append(std::move(entry));
}

QueueEntry entryOfRow(const ResultRow &r) {
    QueueEntry e;
    e.rank = r.text(ResultRow::Rank);
    e.title = r.text(ResultRow::Title);
    e.artist = r.text(ResultRow::Artist);
    e.stored = r.text(ResultRow::File);
    return e;
}

// Places 1..top of a list in the order asked for: index order is place order.
QList<int> chosenPlaces(const QList<int> &places, const CountdownOptions &options) {
    QList<int> order(places.size());
    for (qsizetype i = 0; i < order.size(); ++i) order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return places.at(a) < places.at(b); });
    if (options.top > 0)
        order.erase(std::remove_if(order.begin(), order.end(),
                                   [&](int i) { return places.at(i) < 1 || places.at(i) > options.top; }),
                    order.end());
    if (!options.fromTop) std::reverse(order.begin(), order.end());
    return order;
}

}  // namespace

PlayQueue countdownQueue(const ChartTab &tab, const CountdownOptions &options) {
    QList<int> ranks;
    ranks.reserve(tab.rows.size());
    for (const ChartEntry &e : tab.rows) ranks.append(rankValue(e.rank));
    // Countdown mirrors the top-down order, equal ranks included.
    PlayQueue queue;
    for (int r : chosenPlaces(ranks, options)) {
        const ChartEntry &c = tab.rows.at(r);
        take(queue, {c.rank, c.title, c.artist, c.file, {}, tab.tag, r});
    }
    return queue;
}

PlayQueue resultListQueue(const ResultList &rows, const QList<ChartTab> &tabs) {
    const RowLocator locator(tabs);
    PlayQueue queue;
    for (const ResultRow &r : rows) {
        QueueEntry e = entryOfRow(r);
        bool isRow = false;
        const int hint = r.text(ResultRow::Extra2).toInt(&isRow);
        std::tie(e.tag, e.row) = locator.find(r.text(ResultRow::Date), e, isRow ? hint : -1);
        take(queue, std::move(e));
    }
    return queue;
}

PlayQueue playlistQueue(const ResultList &rows, qint64 count, const QList<ChartTab> &tabs) {
    const RowLocator locator(tabs);
    PlayQueue queue;
    if (count <= 0) return queue;
    // The first round: every row until count lines (rows with a file) are
    // taken; each line is resolved once, however often it repeats.
    QList<std::optional<QueueEntry>> lines;
    for (const ResultRow &r : rows) {
        if (lines.size() == count) break;
        QueueEntry e = entryOfRow(r);
        std::tie(e.tag, e.row) = locator.find(r.text(ResultRow::Date), e, -1);
        const bool isLine = !e.stored.isEmpty();
        const qsizetype before = queue.entries.size();
        take(queue, std::move(e));
        if (isLine)
            lines.append(queue.entries.size() > before ? std::optional(queue.entries.constLast())
                                                       : std::nullopt);
    }
    QList<qsizetype> playable;
    for (qsizetype i = 0; i < lines.size(); ++i)
        if (lines.at(i)) playable.append(i);
    // Later rounds repeat the lines from the top while lines are due; a
    // round costs only its playable lines.
    const qint64 round = lines.size();
    for (qint64 k = round; k < count && !playable.isEmpty() && queue.entries.size() < kQueueLimit; k += round)
        for (qsizetype i : playable) {
            if (k + i >= count || queue.entries.size() >= kQueueLimit) break;
            queue.entries.append(*lines.at(i));
        }
    queue.entries.resize(std::min(queue.entries.size(), kQueueLimit));
    return queue;
}

PlayQueue topListQueue(const QList<TopListItem> &items, const QList<ChartTab> &tabs,
                       const CountdownOptions &options) {
    // Each song's newest row with a file, as the list's saved playlist
    // takes it (the first in page order among rows of the same week).
    struct Newest {
        int tag = 0;
        int row = -1;
        const ChartEntry *entry = nullptr;
    };
    QHash<SongKey, Newest> newest;
    for (const TopListItem &i : items)
        if (!i.song.title.isEmpty()) newest.insert(i.song, {});
    if (!newest.isEmpty())
        for (const ChartTab &t : tabs)
            for (qsizetype r = 0; r < t.rows.size(); ++r) {
                const ChartEntry &e = t.rows.at(r);
                if (e.file.isEmpty()) continue;
                const auto it = newest.find(SongKey{e.title, e.artist});
                if (it != newest.end() && (!it->entry || t.tag > it->tag)) *it = {t.tag, int(r), &e};
            }
    QList<int> places;
    places.reserve(items.size());
    for (qsizetype i = 0; i < items.size(); ++i) places.append(int(i + 1));
    PlayQueue queue;
    for (int i : chosenPlaces(places, options)) {
        const TopListItem &item = items.at(i);
        const Newest found = newest.value(item.song);
        QueueEntry e{
            QByteArray::number(i + 1), item.song.title, item.song.artist, {}, {}, found.tag, found.row};
        if (found.entry) e.stored = found.entry->file;
        take(queue, std::move(e));
    }
    return queue;
}

// ---- cursor -------------------------------------------------------------------

void QueueCursor::reset(qsizetype count) {
    m_failed = QList<bool>(count, false);
    m_current = -1;
}

void QueueCursor::setCurrent(int index) { m_current = index >= 0 && index < count() ? index : -1; }

void QueueCursor::markFailed(int index) {
    if (index >= 0 && index < count()) m_failed[index] = true;
}

bool QueueCursor::hasFailed(int index) const { return index >= 0 && index < count() && m_failed.at(index); }

int QueueCursor::next() const {
    for (int i = m_current + 1; i < count(); ++i)
        if (!m_failed.at(i)) return i;
    return -1;
}

int QueueCursor::previous() const {
    for (int i = m_current - 1; i >= 0; --i)
        if (!m_failed.at(i)) return i;
    return -1;
}

// ---- texts --------------------------------------------------------------------

QString nowPlayingText(const QueueEntry &entry) {
    return sjis::toUnicode(entry.rank) + QStringLiteral("位 ") + sjis::toUnicode(entry.title) +
           QStringLiteral(" / ") + sjis::toUnicode(entry.artist);
}

QString playTimeText(qint64 ms) {
    const qint64 s = std::max<qint64>(ms, 0) / 1000;
    const auto two = [](qint64 v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); };
    if (s < 3600) return QString::number(s / 60) + u':' + two(s % 60);
    return QString::number(s / 3600) + u':' + two(s / 60 % 60) + u':' + two(s % 60);
}

}  // namespace vorq
