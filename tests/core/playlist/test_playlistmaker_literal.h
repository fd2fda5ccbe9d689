#pragma once
// The playlist maker written the slow, literal way, as the oracle of the
// indexed one: the score is only ever text (parsed, added to and written
// back on every appearance), every chart entry scans the whole result list
// for its song, and the sort parses the score texts in every comparison.
#include <QByteArray>
#include <QList>
#include <charconv>
#include <cmath>

#include "core/charts/chartstore.h"
#include "core/playlist/playlistmaker.h"

namespace literal {

using Row = vorq::ResultRow;

inline QByteArray text(double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    return QByteArray(buf, r.ptr - buf);
}

inline bool number(const QByteArray &t, double *v) {
    const char *end = t.constData() + t.size();
    const auto r = std::from_chars(t.constData(), end, *v);
    return r.ec == std::errc() && r.ptr == end && std::isfinite(*v);
}

struct Random {
    quint32 state = 0;
    double next() {
        state = state * 134775813u + 1u;
        return state / 4294967296.0;
    }
};

inline double score(const Row &row) {
    double v = 0;
    return number(row.texts[6], &v) ? v : 0;
}

inline void quickSort(QList<Row> &list, qsizetype l, qsizetype r, bool descending) {
    const auto compare = [descending](const Row &a, const Row &b) {
        const double x = score(a), y = score(b);
        const int c = x < y ? -1 : (x > y ? 1 : 0);
        return descending ? -c : c;
    };
    qsizetype i, j;
    do {
        i = l;
        j = r;
        const Row p = list[(l + r) / 2];
        do {
            while (compare(list[i], p) < 0) ++i;
            while (compare(list[j], p) > 0) --j;
            if (i <= j) {
                std::swap(list[i], list[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j) quickSort(list, l, j, descending);
        l = i;
    } while (i < r);
}

inline QList<Row> generate(const QList<vorq::ChartTab> &tabs, const vorq::PlaylistSettings &s, Random &rnd) {
    QList<Row> rows;
    const auto take = [&s](const vorq::ChartEntry &e) {
        return (!e.file.isEmpty() && s.takeAssociated) || (e.file.isEmpty() && s.takeUnassociated);
    };
    const auto rowOf = [](const vorq::ChartTab &t, const vorq::ChartEntry &e, const QByteArray &sc) {
        return Row::fromEntry(t.caption, e, sc, "1");
    };
    if (s.order == 0) {
        if (!tabs.isEmpty())
            for (qsizetype r = 0; r < tabs[0].rows.size(); ++r)
                if (take(tabs[0].rows[r])) rows.append(rowOf(tabs[0], tabs[0].rows[r], text(double(-r))));
    } else {
        const qsizetype p = tabs.size();
        for (qsizetype i = 0; i < p; ++i) {
            const qsizetype n = tabs[i].rows.size();
            for (qsizetype r = 0; r < n; ++r) {
                const vorq::ChartEntry &e = tabs[i].rows[r];
                double w = 1;
                if (s.order == 1) w = std::exp(double(n - r)) * std::exp(double(p - i));
                if (s.order == 2) w = std::exp(double(n - r));
                if (s.order == 3) w = double(n - r);
                qsizetype found = -1;
                for (qsizetype k = 0; k < rows.size(); ++k) {
                    if (rows[k].texts[2] == e.title && rows[k].texts[3] == e.artist) {
                        found = k;
                        break;
                    }
                }
                if (!take(e)) continue;
                if (found < 0) {
                    rows.append(rowOf(tabs[i], e, text(w)));
                } else {
                    double sc = 0, c = 0;
                    if (!number(rows[found].texts[6], &sc)) sc = 0;
                    rows[found].texts[6] = text(sc + w);
                    rows[found].texts[7] = number(rows[found].texts[7], &c) ? text(c + 1) : QByteArray("2");
                }
            }
        }
        for (Row &row : rows) {
            double sc = 0, c = 1;
            if (!number(row.texts[6], &sc)) sc = 0;
            if (!number(row.texts[7], &c)) c = 1;
            if (s.order == 1) sc = sc / c;
            if (s.order == 5) sc = rnd.next();
            row.texts[6] = text(sc);
        }
    }
    const qsizetype m = rows.size();
    const qsizetype k = qsizetype(std::trunc((100 - s.sortRate) * double(m) / 200));
    for (qsizetype x = 0; x < k; ++x) {
        const qsizetype a = qsizetype(std::trunc(rnd.next() * double(m)));
        qsizetype b;
        do b = qsizetype(std::trunc(rnd.next() * double(m)));
        while (b == a);
        std::swap(rows[a].texts[6], rows[b].texts[6]);
    }
    if (m > 1) quickSort(rows, 0, m - 1, s.descending);
    return rows;
}

}  // namespace literal
