#include "core/history/toplistrows.h"

#include <QHash>

namespace vorq {

ResultList topListRows(const QList<TopListItem> &items, const QByteArray &period,
                       const QList<ChartTab> &tabs) {
    // The newest associated row of each listed song, in one pass over the
    // store: tables are in page order, which need not be by date.
    struct Found {
        int tag = 0;
        const ChartEntry *entry = nullptr;
    };
    QHash<SongKey, Found> files;
    for (const TopListItem &i : items)
        if (!i.song.title.isEmpty()) files.insert(i.song, {});
    if (!files.isEmpty())
        for (const ChartTab &t : tabs)
            for (const ChartEntry &e : t.rows) {
                if (e.file.isEmpty()) continue;
                auto it = files.find(SongKey{e.title, e.artist});
                if (it != files.end() && (!it->entry || t.tag > it->tag)) *it = {t.tag, &e};
            }
    ResultList rows;
    rows.reserve(items.size());
    for (qsizetype n = 0; n < items.size(); ++n) {
        const TopListItem &i = items.at(n);
        ResultRow r;
        r.text(ResultRow::Date) = period;
        r.text(ResultRow::Rank) = QByteArray::number(n + 1);
        r.text(ResultRow::Title) = i.song.title;
        r.text(ResultRow::Artist) = i.song.artist;
        r.text(ResultRow::Extra1) = i.value;
        if (const ChartEntry *e = files.value(i.song).entry) {
            r.text(ResultRow::File) = e->file;
            r.text(ResultRow::Method) = e->method;
        }
        rows.append(std::move(r));
    }
    return rows;
}

}  // namespace vorq
