#include "core/import/chartpage.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "core/text/jconvert.h"
#include "core/text/sjistext.h"

namespace vorq {

// ---------------------------------------------------------------- grid

void ResultGrid::reset() {
    m_columns = 1;
    m_rows.clear();
    m_rows.resize(2);
}

QByteArray ResultGrid::cell(int column, int row) const {
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_columns) return {};
    const Row &r = m_rows.at(row);
    return column < r.cells.size() ? r.cells.at(column) : QByteArray();
}

void ResultGrid::setCell(int column, int row, const QByteArray &text) {
    if (column < 0 || row < 0) return;
    enlarge(column + 1, row + 1);
    Row &r = m_rows[row];
    if (column >= r.cells.size()) {
        // Unwritten cells are empty already; only text needs storage.
        if (text.isEmpty()) return;
        r.cells.resize(column + 1);
    }
    QByteArray &c = r.cells[column];
    r.nonEmpty += int(!text.isEmpty()) - int(!c.isEmpty());
    c = text;
}

void ResultGrid::enlarge(int columns, int rows) {
    m_columns = std::max(m_columns, columns);
    if (rows > m_rows.size()) m_rows.resize(rows);
}

void ResultGrid::resize(int columns, int rows) {
    m_columns = std::max(1, columns);
    m_rows.resize(std::max(1, rows));
    for (Row &r : m_rows) {
        if (r.cells.size() <= m_columns) continue;
        r.cells.resize(m_columns);
        r.nonEmpty = int(std::count_if(r.cells.cbegin(), r.cells.cend(),
                                       [](const QByteArray &c) { return !c.isEmpty(); }));
    }
}

bool ResultGrid::rowIsEmpty(int row) const {
    return row < 0 || row >= m_rows.size() || m_rows.at(row).nonEmpty == 0;
}

void ResultGrid::removeRow(int row) {
    if (row < 0 || row >= m_rows.size()) return;
    if (m_rows.size() == 1)
        m_rows[0] = Row();
    else
        m_rows.remove(row);
}

void ResultGrid::removeColumn(int column) {
    if (column < 0 || column >= m_columns) return;
    for (Row &r : m_rows) {
        if (column >= r.cells.size()) continue;
        if (m_columns == 1) {
            r = Row();
            continue;
        }
        if (!r.cells.at(column).isEmpty()) --r.nonEmpty;
        r.cells.remove(column);
    }
    if (m_columns > 1) --m_columns;
}

QList<QByteArray> ResultGrid::row(int row) const {
    QList<QByteArray> out;
    if (row < 0 || row >= m_rows.size()) return out;
    out = m_rows.at(row).cells;
    out.resize(m_columns);
    return out;
}

// ---------------------------------------------------------------- scanning

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// First position in [from, end) where the lower-case ASCII marker starts
// case-insensitively and lies wholly before end; -1 when none. Every marker
// the parser uses starts with a character that has no case, so memchr finds
// the candidates.
qsizetype findCi(const char *p, qsizetype from, qsizetype end, std::string_view marker) {
    const auto m = qsizetype(marker.size());
    if (m == 0) return from <= end ? from : -1;
    const qsizetype last = end - m;  // last possible start
    const char first = marker[0];
    const bool caseless = lowerAscii(first) == first && !(first >= 'a' && first <= 'z');
    qsizetype i = from;
    while (i <= last) {
        if (caseless) {
            const void *hit = std::memchr(p + i, first, size_t(last - i + 1));
            if (!hit) return -1;
            i = static_cast<const char *>(hit) - p;
        } else if (lowerAscii(p[i]) != first) {
            ++i;
            continue;
        }
        qsizetype k = 1;
        while (k < m && lowerAscii(p[i + k]) == marker[k]) ++k;
        if (k == m) return i;
        ++i;
    }
    return -1;
}

// The span of open..close within [b, e) of p, as absolute offsets.
struct Span {
    qsizetype begin = -1;  // -1: open does not occur
    qsizetype end = -1;    // exclusive
    bool valid = false;    // both markers occur somewhere in [b, e)
};

Span findSpan(const char *p, qsizetype b, qsizetype e, std::string_view open, std::string_view close) {
    Span s;
    s.begin = findCi(p, b, e, open);
    if (s.begin < 0) return s;
    const qsizetype c = findCi(p, s.begin, e, close);
    if (c >= 0) {
        s.end = c + qsizetype(close.size());
        s.valid = true;
    } else {
        // The span runs to the end; it still counts when close occurs in
        // front of open (only starts before open can be left to check).
        s.end = e;
        const qsizetype limit = std::min(e, s.begin + qsizetype(close.size()) - 1);
        s.valid = findCi(p, b, limit, close) >= 0;
    }
    return s;
}

// SpanEnd over [b, e), as the 1-based position relative to b; 0 when absent.
qsizetype spanEndIn(const char *p, qsizetype b, qsizetype e, std::string_view open, std::string_view close) {
    const Span s = findSpan(p, b, e, open, close);
    return s.valid ? s.end - b : 0;
}

std::string_view lowerView(const QByteArray &marker, QByteArray &storage) {
    storage = marker.toLower();
    return {storage.constData(), size_t(storage.size())};
}

bool isBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

// Steps applied to one cell span "<td ...>...</td>".
QByteArray cellText(const char *src, qsizetype n) {
    // Removals, each a left-to-right pass over the previous result: CR LF
    // pairs, then TABs, then "<br>" in any letter case.
    QByteArray buf(n, Qt::Uninitialized);
    char *w = buf.data();
    for (qsizetype i = 0; i < n; ++i) {
        if (src[i] == '\r' && i + 1 < n && src[i + 1] == '\n') {
            ++i;
            continue;
        }
        *w++ = src[i];
    }
    qsizetype len = w - buf.data();
    char *p = buf.data();
    w = p;
    for (qsizetype i = 0; i < len; ++i)
        if (p[i] != '\t') *w++ = p[i];
    len = w - p;
    w = p;
    for (qsizetype i = 0; i < len; ++i) {
        if (p[i] == '<' && i + 3 < len && lowerAscii(p[i + 1]) == 'b' && lowerAscii(p[i + 2]) == 'r' &&
            p[i + 3] == '>') {
            i += 3;
            continue;
        }
        *w++ = p[i];
    }
    len = w - p;

    // [b, e) is the current X inside buf.
    qsizetype b = 0, e = len;
    // Opening tag and the closing "</td>".
    const qsizetype a = spanEndIn(p, b, e, "<td", ">");
    {
        const qsizetype count = (e - b) - 5 - a;
        if (count <= 0) return {};
        b += a;
        e = b + count;
    }
    // Everything up to the first image tag's end.
    b += spanEndIn(p, b, e, "<img", ">");
    // The link's opening tag and the last four characters.
    if (findCi(p, b, e, "<a ") >= 0) {
        const qsizetype d = spanEndIn(p, b, e, "<a ", ">");
        const qsizetype count = (e - b) - 4 - d;
        if (count <= 0) return {};
        b += d;
        e = b + count;
    }
    while (b < e && isBlank(p[b])) ++b;
    while (e > b && isBlank(p[e - 1])) --e;
    return QByteArray(p + b, e - b);
}

}  // namespace

QByteArray ExtractSpan(const QByteArray &text, const QByteArray &open, const QByteArray &close) {
    QByteArray o, c;
    const Span s = findSpan(text.constData(), 0, text.size(), lowerView(open, o), lowerView(close, c));
    if (s.begin < 0) return text;
    return text.mid(s.begin, s.end - s.begin);
}

qsizetype SpanEnd(const QByteArray &text, const QByteArray &open, const QByteArray &close) {
    QByteArray o, c;
    return spanEndIn(text.constData(), 0, text.size(), lowerView(open, o), lowerView(close, c));
}

// Every step cuts the remaining text from the front; here the remaining text
// is a range of the page, so nothing is copied but the cells themselves and
// every search starts where the previous one left off.
void ParseChartPage(const QByteArray &page, const QByteArray &skipString, bool editData, ResultGrid &grid) {
    grid.reset();
    const char *p = page.constData();
    const std::string_view all(p, size_t(page.size()));
    const std::string_view skip(skipString.constData(), size_t(skipString.size()));
    const auto skipLen = qsizetype(skip.size());

    qsizetype pb = 0;
    const qsizetype pe = page.size();
    // The skip cut, made twice: the second time it also drops length - 1
    // characters when the skip string does not occur again.
    if (!skip.empty()) {
        const size_t at = all.find(skip);
        if (at != std::string_view::npos) pb = qsizetype(at) + skipLen;
        const size_t again = all.find(skip, size_t(pb));
        pb = again != std::string_view::npos ? qsizetype(again) + skipLen : pb + skipLen - 1;
        pb = std::min(pb, pe);
    }

    // The first table, up to its first closing tag.
    qsizetype tb = pb, te = pe;
    if (const Span t = findSpan(p, pb, pe, "<table", "</table>"); t.begin >= 0) {
        tb = t.begin;
        te = t.end;
    }

    int r = 0;
    for (;;) {
        const Span row = findSpan(p, tb, te, "<tr", "</tr>");
        if (!row.valid) break;
        int k = 0;
        qsizetype cb = row.begin;
        for (;;) {
            const Span cell = findSpan(p, cb, row.end, "<td", "</td>");
            if (!cell.valid) break;
            grid.setCell(k, r, cellText(p + cell.begin, cell.end - cell.begin));
            cb = cell.end;
            ++k;
        }
        tb = row.end;
        if (!grid.rowIsEmpty(r)) ++r;
    }

    // Trailing empty row, once.
    if (grid.rowIsEmpty(grid.rowCount() - 1)) grid.removeRow(grid.rowCount() - 1);
    // The page's second cell is not used.
    grid.removeColumn(grid.columnCount() >= 2 ? 1 : 0);
    // Rank: "1." gives "1".
    for (int i = 0; i < grid.rowCount(); ++i) {
        const QByteArray rank = grid.cell(0, i);
        if (const qsizetype dot = rank.indexOf('.'); dot >= 0) grid.setCell(0, i, rank.left(dot));
    }
    if (editData) {
        if (grid.columnCount() > 1)
            for (int i = 0; i < grid.rowCount(); ++i)
                grid.setCell(1, i, sjis::normalizeTitle(grid.cell(1, i)));
        if (grid.columnCount() > 2)
            for (int i = 0; i < grid.rowCount(); ++i)
                grid.setCell(2, i, sjis::normalizeArtist(grid.cell(2, i)));
    }
}

QByteArray HtmlFilePageText(const QByteArray &fileBytes) {
    return ConvertJapanese(sjis::joinLines(sjis::splitLines(fileBytes)), CodeSjis);
}

}  // namespace vorq
