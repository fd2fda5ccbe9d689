#include "core/lists/resultlist.h"

#include "core/text/sjistext.h"

#include <QCollator>
#include <QHash>
#include <QLocale>
#include <algorithm>
#include <vector>

namespace vorq {

ResultRow ResultRow::fromEntry(const QByteArray &dateLabel, const ChartEntry &entry, const QByteArray &extra1,
                               const QByteArray &extra2) {
    ResultRow r;
    r.texts = {dateLabel, entry.rank, entry.title, entry.artist, entry.file, entry.method, extra1, extra2};
    return r;
}

namespace {

QCollator makeCollator() {
    QCollator c{QLocale()};
    c.setCaseSensitivity(Qt::CaseSensitive);
    c.setNumericMode(false);
    return c;
}

QByteArray zeroFilled(const QByteArray &s, qsizetype width) {
    if (s.size() >= width) return s;
    return QByteArray(width - s.size(), '0') + s;
}

// Ordinals of texts under the collator: equal ordinals for texts that
// compare equal, increasing with the order. Each distinct text is decoded once.
class Ordinals {
public:
    explicit Ordinals(const QCollator &collator) : m_collator(collator) {}
    int add(const QByteArray &text) {
        const auto it = m_index.constFind(text);
        if (it != m_index.constEnd()) return it.value();
        const int id = int(m_texts.size());
        m_index.insert(text, id);
        m_texts.push_back(sjis::toUnicode(text));
        return id;
    }
    // Replaces each id by its rank; call once after every add.
    std::vector<int> ranks() const {
        std::vector<int> order(m_texts.size());
        for (std::size_t i = 0; i < order.size(); ++i) order[i] = int(i);
        std::sort(order.begin(), order.end(), [&](int a, int b) {
            return m_collator.compare(m_texts[std::size_t(a)], m_texts[std::size_t(b)]) < 0;
        });
        std::vector<int> rank(order.size());
        int r = 0;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i > 0 &&
                m_collator.compare(m_texts[std::size_t(order[i - 1])], m_texts[std::size_t(order[i])]) != 0)
                ++r;
            rank[std::size_t(order[i])] = r;
        }
        return rank;
    }

private:
    const QCollator &m_collator;
    QHash<QByteArray, int> m_index;
    std::vector<QString> m_texts;
};

}  // namespace

int compareResultRows(const ResultRow &a, const ResultRow &b, int column) {
    static thread_local const QCollator collator = makeCollator();
    auto cmp = [&](const QByteArray &x, const QByteArray &y) {
        return collator.compare(sjis::toUnicode(x), sjis::toUnicode(y));
    };
    if (column == 0) return cmp(a.text(0), b.text(0));
    int c;
    if (column == 1) {
        const qsizetype w = std::max(a.text(1).size(), b.text(1).size());
        c = cmp(zeroFilled(a.text(1), w), zeroFilled(b.text(1), w));
    } else {
        c = cmp(a.text(column), b.text(column));
    }
    return c != 0 ? c : cmp(a.text(0), b.text(0));
}

void sortResultRows(ResultList &rows, int column, int direction) {
    if (rows.size() < 2 || column < 0 || column > 5) return;
    const QCollator collator = makeCollator();
    // Zero-filling every rank to the longest one orders them as filling each
    // pair to the longer of the two: the added zeros are a common prefix.
    qsizetype width = 0;
    if (column == 1)
        for (const ResultRow &r : rows) width = std::max(width, r.text(1).size());

    Ordinals primary(collator), dates(collator);
    struct Key {
        int primary, date, index;
    };
    std::vector<Key> keys(std::size_t(rows.size()));
    for (qsizetype i = 0; i < rows.size(); ++i) {
        const ResultRow &r = rows.at(i);
        const QByteArray &k = r.text(column);
        keys[std::size_t(i)] = {primary.add(column == 1 ? zeroFilled(k, width) : k),
                                column == 0 ? 0 : dates.add(r.text(0)), int(i)};
    }
    const std::vector<int> pr = primary.ranks();
    const std::vector<int> dr = column == 0 ? std::vector<int>{} : dates.ranks();
    for (Key &k : keys) {
        k.primary = pr[std::size_t(k.primary)];
        k.date = column == 0 ? 0 : dr[std::size_t(k.date)];
    }
    const bool descending = direction < 0;
    std::stable_sort(keys.begin(), keys.end(), [descending](const Key &a, const Key &b) {
        if (a.primary != b.primary) return descending ? a.primary > b.primary : a.primary < b.primary;
        return descending ? a.date > b.date : a.date < b.date;
    });
    ResultList sorted;
    sorted.reserve(rows.size());
    for (const Key &k : keys) sorted.append(std::move(rows[k.index]));
    rows = std::move(sorted);
}

QList<QByteArray> distinctFiles(const ResultList &rows) {
    QList<QByteArray> out;
    QSet<QByteArray> seen;
    for (const ResultRow &r : rows) {
        const QByteArray &f = r.text(ResultRow::File);
        if (f.isEmpty() || seen.contains(f)) continue;
        seen.insert(f);
        out.append(f);
    }
    return out;
}

QList<QByteArray> playlistLines(const ResultList &rows, qint64 count) {
    QList<QByteArray> withFile;
    for (const ResultRow &r : rows)
        if (!r.text(ResultRow::File).isEmpty()) withFile.append(r.text(ResultRow::File));
    QList<QByteArray> out;
    if (count <= 0 || withFile.isEmpty()) return out;
    out.reserve(qsizetype(count));
    for (qint64 k = 0; k < count; ++k) out.append(withFile.at(qsizetype(k % withFile.size())));
    return out;
}

QByteArray fileNamePart(const QByteArray &path) {
    qsizetype start = 0;
    for (qsizetype i = 0; i < path.size(); i += sjis::charLength(path, i))
        if (path.at(i) == '/' || path.at(i) == '\\') start = i + 1;
    return path.mid(start);
}

PlaylistCopy playlistCopy(const QList<QByteArray> &distinct, qint64 count, const QByteArray &targetFolder) {
    PlaylistCopy out;
    QByteArray folder = targetFolder;
    if (!folder.endsWith('/')) folder += '/';
    const qint64 m = std::min<qint64>(count, distinct.size());
    for (qint64 i = 0; i < m; ++i) {
        const QByteArray &f = distinct.at(qsizetype(i));
        out.sources.append(f);
        out.lines.append(folder + fileNamePart(f));
    }
    return out;
}

}  // namespace vorq
