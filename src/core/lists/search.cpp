#include "core/lists/search.h"

#include <QHash>
#include <vector>

#include "core/text/sjistext.h"

namespace vorq {

bool fieldMatches(const QByteArray &value, const QByteArray &pattern, bool exact) {
    if (pattern.size() == 1 && pattern.at(0) == '*') return true;
    if (value == pattern) return true;
    return !exact && !pattern.isEmpty() && sjis::indexOfOnBoundary(value, pattern) >= 0;
}

QString foldedText(const QByteArray &sjisText) {
    return sjis::toUnicode(sjisText).normalized(QString::NormalizationForm_KC).toCaseFolded();
}

namespace {

// The forgiving comparison: the same rules as fieldMatches on folded texts.
// Titles and artists repeat across weeks: each distinct text is folded once.
class FoldedMatcher {
public:
    FoldedMatcher(const QByteArray &pattern, bool exact)
        : m_any(pattern == "*"), m_empty(pattern.isEmpty()), m_exact(exact), m_pattern(foldedText(pattern)) {}
    bool matches(const QByteArray &value) {
        if (m_any) return true;
        if (m_empty) return value.isEmpty();
        auto it = m_cache.constFind(value);
        if (it == m_cache.constEnd()) {
            const QString v = foldedText(value);
            it = m_cache.insert(value, v == m_pattern || (!m_exact && v.contains(m_pattern)));
        }
        return *it;
    }

private:
    bool m_any, m_empty, m_exact;
    QString m_pattern;
    QHash<QByteArray, bool> m_cache;
};

}  // namespace

SearchResult searchCharts(const QList<ChartTab> &tabs, const ChartEntry *origin,
                          const QByteArray &artistPattern, bool exact, const QByteArray &titlePattern,
                          bool fold) {
    SearchResult out;
    FoldedMatcher foldedTitle(titlePattern, exact), foldedArtist(artistPattern, exact);
    const auto matches = [&](const ChartEntry &e) {
        if (fold) return foldedTitle.matches(e.title) && foldedArtist.matches(e.artist);
        return fieldMatches(e.title, titlePattern, exact) && fieldMatches(e.artist, artistPattern, exact);
    };
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
            if (matches(e)) places.push_back({int(t), int(r)});
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
    out.header = searchHeader(artistPattern, exact, titlePattern, fold);
    return out;
}

QByteArray searchHeader(const QByteArray &artistPattern, bool exact, const QByteArray &titlePattern,
                        bool fold) {
    auto shown = [exact](const QByteArray &p) {
        QByteArray s = p == "*" ? sjis::lit("(指定しない)") : p;
        if (!exact) s = sjis::lit("「") + s + sjis::lit("」を含む");
        return s;
    };
    return sjis::lit("曲名:") + '"' + shown(titlePattern) + "\", \r\n" + sjis::lit("アーティスト名:") + '"' +
           shown(artistPattern) + '"' + sjis::lit("で") + "\r\n" + sjis::lit("検索した結果は次の通りです。") +
           (fold ? "\r\n" + sjis::lit("(全角/半角・大文字/小文字を区別しない)") : QByteArray());
}

QByteArray singleResultLine() { return sjis::lit("同名の項目は見つかりませんでした。"); }

}  // namespace vorq
