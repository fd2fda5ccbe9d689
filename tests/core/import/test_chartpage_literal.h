#pragma once
// The chart page parser read literally: 1-based positions, a copy of the
// remaining text at every step and every search from its start again. It is
// quadratic and kept only as the oracle for the indexed parser (tests and
// the fuzz target).
#include <QByteArray>
#include <QList>
#include <algorithm>
#include <limits>

#include "core/text/sjistext.h"

namespace vorq::literal {

constexpr qsizetype kMax = std::numeric_limits<int>::max();

inline qsizetype pos(const QByteArray &sub, const QByteArray &s) {
    return sub.isEmpty() ? 0 : s.indexOf(sub) + 1;
}

inline QByteArray copy(const QByteArray &s, qsizetype index, qsizetype count) {
    if (index < 1) index = 1;
    if (count <= 0 || index > s.size()) return {};
    return s.mid(index - 1, std::min(count, s.size() - index + 1));
}

inline QByteArray extractSpan(const QByteArray &text, const QByteArray &open, const QByteArray &close) {
    const qsizetype o = pos(open.toLower(), text.toLower());
    if (o == 0) return text;
    const QByteArray rest = copy(text, o, kMax);
    const qsizetype c = pos(close.toLower(), rest.toLower());
    if (c == 0) return rest;
    return copy(rest, 1, c + close.size() - 1);
}

inline qsizetype spanEnd(const QByteArray &text, const QByteArray &open, const QByteArray &close) {
    const QByteArray lt = text.toLower();
    if (pos(open.toLower(), lt) == 0 || pos(close.toLower(), lt) == 0) return 0;
    const QByteArray span = extractSpan(text, open, close);
    return pos(span, text) + span.size() - 1;
}

inline QByteArray replaceAll(const QByteArray &s, const QByteArray &pattern, bool ignoreCase) {
    QByteArray searchStr = ignoreCase ? s.toLower() : s;
    const QByteArray patt = ignoreCase ? pattern.toLower() : pattern;
    QByteArray newStr = s, result;
    while (!searchStr.isEmpty()) {
        const qsizetype offset = pos(patt, searchStr);
        if (offset == 0) {
            result += newStr;
            break;
        }
        result += copy(newStr, 1, offset - 1);
        newStr = copy(newStr, offset + pattern.size(), kMax);
        searchStr = copy(searchStr, offset + patt.size(), kMax);
    }
    return result;
}

inline QByteArray trim(const QByteArray &s) {
    qsizetype b = 0, e = s.size();
    while (b < e && uchar(s[b]) <= 32) ++b;
    while (e > b && uchar(s[e - 1]) <= 32) --e;
    return s.mid(b, e - b);
}

// A dense grid with the string grid's shape rules.
struct Grid {
    int cols = 1, rows = 2;
    QList<QList<QByteArray>> cells = QList<QList<QByteArray>>(1, QList<QByteArray>(2));  // [col][row]
    void enlarge(int c, int r) {
        if (c > cols) {
            cells.resize(c, QList<QByteArray>(rows));
            cols = c;
        }
        if (r > rows) {
            for (auto &col : cells) col.resize(r);
            rows = r;
        }
    }
};

inline Grid parse(QByteArray P, const QByteArray &S, bool editData) {
    Grid g;
    if (!S.isEmpty() && pos(S, P) > 0) P = copy(P, pos(S, P) + S.size(), kMax);
    const qsizetype p = S.isEmpty() ? 0 : pos(S, P);
    P = copy(P, p + S.size(), kMax);
    QByteArray T = extractSpan(P, "<table", "</table>");
    int r = 0;
    while (spanEnd(T, "<tr", "</tr>") > 0) {
        QByteArray R = extractSpan(T, "<tr", "</tr>");
        const qsizetype e = spanEnd(T, "<tr", "</tr>");
        int k = 0;
        while (spanEnd(R, "<td", "</td>") > 0) {
            QByteArray X = extractSpan(R, "<td", "</td>");
            const qsizetype f = spanEnd(R, "<td", "</td>");
            X = replaceAll(X, "\r\n", false);
            X = replaceAll(X, "\t", false);
            X = replaceAll(X, "<br>", true);
            const qsizetype a = spanEnd(X, "<td", ">");
            X = copy(X, a + 1, X.size() - 5 - a);
            const qsizetype b = spanEnd(X, "<img", ">");
            X = copy(X, b + 1, kMax);
            if (pos("<a ", X.toLower()) > 0) {
                const qsizetype d = spanEnd(X, "<a ", ">");
                X = copy(X, d + 1, X.size() - 4 - d);
            }
            X = trim(X);
            g.enlarge(k + 1, r + 1);
            g.cells[k][r] = X;
            R = copy(R, f + 1, kMax);
            ++k;
        }
        T = copy(T, e + 1, kMax);
        bool any = false;
        // A row past the grid's end reads as empty cells.
        for (int c = 0; c < g.cols && r < g.rows; ++c) any = any || !g.cells[c][r].isEmpty();
        if (any) ++r;
    }
    bool lastEmpty = true;
    for (int c = 0; c < g.cols; ++c) lastEmpty = lastEmpty && g.cells[c][g.rows - 1].isEmpty();
    if (lastEmpty) {
        --g.rows;
        for (auto &col : g.cells) col.resize(g.rows);
    }
    if (g.cols >= 3)
        for (int row = 0; row < g.rows; ++row)
            for (int c = 2; c < g.cols; ++c) g.cells[c - 1][row] = g.cells[c][row];
    for (int row = 0; row < g.rows; ++row) g.cells[g.cols - 1][row].clear();
    if (g.cols > 1) {
        --g.cols;
        g.cells.resize(g.cols);
    }
    for (int row = 0; row < g.rows; ++row) {
        const qsizetype dot = pos(".", g.cells[0][row]);
        if (dot > 0) g.cells[0][row] = copy(g.cells[0][row], 1, dot - 1);
    }
    if (editData) {
        if (g.cols > 1)
            for (int row = 0; row < g.rows; ++row) g.cells[1][row] = sjis::normalizeTitle(g.cells[1][row]);
        if (g.cols > 2)
            for (int row = 0; row < g.rows; ++row) g.cells[2][row] = sjis::normalizeArtist(g.cells[2][row]);
    }
    return g;
}

}  // namespace vorq::literal
