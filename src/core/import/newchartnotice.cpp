#include "core/import/newchartnotice.h"

#include <QHash>
#include <QSet>
#include <algorithm>

#include "core/history/charthistory.h"
#include "core/library/wanted.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

const ChartTab *tabOf(const QList<ChartTab> &tabs, int tag) {
    const auto it = std::find_if(tabs.begin(), tabs.end(), [tag](const ChartTab &t) { return t.tag == tag; });
    return it == tabs.end() ? nullptr : &*it;
}

// The loaded week before tag: a week without a chart (not broadcast, not
// imported) is passed over, as the chart history does.
const ChartTab *previousTab(const QList<ChartTab> &tabs, int tag) {
    const ChartTab *best = nullptr;
    for (const ChartTab &t : tabs)
        if (t.tag < tag && (!best || t.tag > best->tag)) best = &t;
    return best;
}

}  // namespace

NewChartNotice newChartNotice(const QList<int> &importedTags, const QList<ChartTab> &tabs) {
    NewChartNotice n;
    if (importedTags.isEmpty()) return n;
    const int newestTag = *std::max_element(importedTags.begin(), importedTags.end());
    n.newest = QDate(newestTag / 10000, newestTag / 100 % 100, newestTag % 100);
    n.weeks = int(QSet<int>(importedTags.begin(), importedTags.end()).size());
    const ChartTab *newest = tabOf(tabs, newestTag);
    if (!newest || newest->rows.isEmpty()) return n;
    n.loaded = true;

    const auto top = std::find_if(newest->rows.begin(), newest->rows.end(),
                                  [](const ChartEntry &e) { return e.rank.trimmed().toInt() == 1; });
    const ChartEntry &first = top != newest->rows.end() ? *top : newest->rows.first();
    n.topTitle = first.title;
    n.topArtist = first.artist;

    QSet<SongKey> before;
    if (const ChartTab *prev = previousTab(tabs, newestTag))
        for (const ChartEntry &e : prev->rows) before.insert({e.title, e.artist});
    QSet<SongKey> entered;
    for (const ChartEntry &e : newest->rows) {
        const SongKey key{e.title, e.artist};
        if (!before.contains(key)) entered.insert(key);
    }
    n.newEntries = int(entered.size());

    // Owned: some loaded row of the song has a file that exists. Only the
    // new entries' rows are tested, each distinct file once.
    QSet<SongKey> owned;
    QHash<QByteArray, bool> exists;
    for (const ChartTab &t : tabs)
        for (const ChartEntry &e : t.rows) {
            if (e.file.isEmpty()) continue;
            const SongKey key{e.title, e.artist};
            if (!entered.contains(key) || owned.contains(key)) continue;
            auto it = exists.constFind(e.file);
            if (it == exists.constEnd()) it = exists.insert(e.file, ownedTarget(e.file));
            if (*it) owned.insert(key);
        }
    n.wanted = n.newEntries - int(owned.size());
    return n;
}

QString noticeSummary(const NewChartNotice &n) {
    if (!n.newest.isValid()) return {};
    QString s = QStringLiteral("新しいチャート: ") + sjis::toUnicode(dateLabel(n.newest));
    if (n.weeks > 1) s += QStringLiteral(" ほか %1 週").arg(n.weeks - 1);
    return s;
}

QString noticeBody(const NewChartNotice &n, bool markup) {
    if (!n.loaded) return {};
    const auto text = [markup](const QString &s) { return markup ? s.toHtmlEscaped() : s; };
    QStringList lines;
    lines << text(QStringLiteral("1位: ") + sjis::toUnicode(n.topTitle) + QStringLiteral(" / ") +
                  sjis::toUnicode(n.topArtist));
    lines << QStringLiteral("新しく入った曲 %1 曲 (うち未所有 %2 曲)").arg(n.newEntries).arg(n.wanted);
    return lines.join(QLatin1Char('\n'));
}

}  // namespace vorq
