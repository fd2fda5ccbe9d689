#include "search.h"

#include <vector>

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
    // Matching is cheap next to building rows: find the places first, so
    // the result list is allocated once at its final size.
    struct Place {
        int tab, row;
    };
    std::vector<Place> places;
    for (qsizetype t = 0; t < tabs.size(); ++t) {
        const ChartTable &rows = tabs.at(t).rows;
        for (qsizetype r = 0; r < rows.size(); ++r) {
            const ChartEntry &e = rows.at(r);
            if (fieldMatches(e.title, titlePattern, exact) && fieldMatches(e.artist, artistPattern, exact))
                places.push_back({int(t), int(r)});
        }
    }
    // The numbers of texts 6 and 7 are formed once and shared.
    QList<QByteArray> numbers;
    auto number = [&numbers](int n) -> const QByteArray & {
        while (numbers.size() <= n) numbers.append(QByteArray::number(numbers.size()));
        return numbers.at(n);
    };
    out.rows.reserve(qsizetype(places.size()));
    for (const Place &p : places) {
        const ChartTab &tab = tabs.at(p.tab);
        const ChartEntry &e = tab.rows.at(p.row);
        if (&e == origin) out.originRow = int(out.rows.size());
        ResultRow &row = out.rows.emplace_back();
        row.texts = {tab.caption, e.rank,   e.title,           e.artist,
                     e.file,      e.method, number(p.tab + 1), number(p.row)};
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
