#include "search.h"

#include "sjistext.h"

namespace vorq {

bool fieldMatches(const QByteArray &value, const QByteArray &pattern, bool exact) {
    if (pattern.size() == 1 && pattern.at(0) == '*') return true;
    if (value == pattern) return true;
    return !exact && !pattern.isEmpty() && sjis::indexOfOnBoundary(value, pattern) >= 0;
}

SearchResult searchCharts(const QList<ChartTab> &tabs, const ChartEntry *origin,
                          const QByteArray &artistPattern, bool exact, const QByteArray &titlePattern) {
    SearchResult out;
    // The numbers of texts 6 and 7 are formed once per tab and row.
    QList<QByteArray> rowNumbers;
    for (qsizetype t = 0; t < tabs.size(); ++t) {
        const ChartTab &tab = tabs.at(t);
        const QByteArray tabNumber = QByteArray::number(t + 1);
        for (qsizetype r = 0; r < tab.rows.size(); ++r) {
            const ChartEntry &e = tab.rows.at(r);
            if (!fieldMatches(e.title, titlePattern, exact) || !fieldMatches(e.artist, artistPattern, exact))
                continue;
            while (rowNumbers.size() <= r) rowNumbers.append(QByteArray::number(rowNumbers.size()));
            if (&e == origin) out.originRow = int(out.rows.size());
            out.rows.append(ResultRow::fromEntry(tab.caption, e, tabNumber, rowNumbers.at(r)));
        }
    }
    out.header = searchHeader(artistPattern, exact, titlePattern);
    return out;
}

QByteArray searchHeader(const QByteArray &artistPattern, bool exact, const QByteArray &titlePattern) {
    auto shown = [exact](const QByteArray &p) {
        QByteArray s = p == "*" ? sjis::lit("(指定しない)") : p;
        if (!exact) s = sjis::lit("「") + s + sjis::lit("」を含む");
        return s;
    };
    return sjis::lit("曲名:") + '"' + shown(titlePattern) + "\", \r\n" + sjis::lit("アーティスト名:") + '"' +
           shown(artistPattern) + '"' + sjis::lit("で") + "\r\n" + sjis::lit("検索した結果は次の通りです。");
}

QByteArray singleResultLine() { return sjis::lit("同名の項目は見つかりませんでした。"); }

}  // namespace vorq
