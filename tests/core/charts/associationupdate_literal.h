#pragma once
// The automatic association update exactly as first designed, scans and all:
// the oracle for the indexed version (tests) and its baseline (benchmark).
#include <QByteArray>
#include <QList>

#include "core/charts/associationupdate.h"
#include "core/charts/chartstore.h"

namespace vorq::literal {

inline bool existenceTest(const QByteArray &t, const PathExists &fs) {
    if (t.isEmpty()) return false;
    if (t.left(4) == "http" || t.left(3) == "ftp" || t.left(6) == "mailto") return true;
    return fs(t);
}

// Each "%<c>" becomes with, scanning left to right; what was inserted is
// not looked at again.
inline QByteArray replaceAll(const QByteArray &text, char c, const QByteArray &with) {
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) == '%' && i + 1 < text.size() && text.at(i + 1) == c) {
            out += with;
            i += 2;
        } else {
            out += text.at(i);
            ++i;
        }
    }
    return out;
}

// Returns "changed"; stops before table stopAt (when >= 0).
inline bool autoUpdate(QList<ChartTab> &tabs, const AutoUpdateOptions &o, const PathExists &fs,
                       int stopAt = -1) {
    bool changed = false;
    for (ChartTab &tab : tabs)
        for (ChartEntry &e : tab.rows)
            if (!e.file.isEmpty() && !existenceTest(e.file, fs)) {
                e.file.clear();
                changed = true;
            }
    struct Record {
        QByteArray title, artist, file;
    };
    QList<Record> memo;
    for (qsizetype q = 0; q < tabs.size(); ++q) {
        if (stopAt >= 0 && q >= stopAt) break;
        for (ChartEntry &e : tabs[q].rows) {
            QByteArray known;
            for (qsizetype i = memo.size() - 1; i >= 0; --i)
                if (memo.at(i).title == e.title && memo.at(i).artist == e.artist) {
                    known = memo.at(i).file;
                    break;
                }
            if (e.file.isEmpty() && !known.isEmpty()) {
                e.file = known;
                changed = true;
            } else if (e.file.isEmpty()) {
                QByteArray found;
                for (qsizetype p = q + 1; p < tabs.size() && found.isEmpty(); ++p)
                    for (const ChartEntry &later : tabs.at(p).rows)
                        if (later.artist == e.artist && later.title == e.title && !later.file.isEmpty()) {
                            found = later.file;
                            break;
                        }
                if (!found.isEmpty()) {
                    memo.append({e.title, e.artist, found});
                    e.file = found;
                    changed = true;
                } else if (o.autoAdd) {
                    const QByteArray name = replaceAll(replaceAll(o.pattern, 'a', e.artist), 't', e.title);
                    const QByteArray path = o.folder + name;
                    if (existenceTest(path, fs)) {
                        memo.append({e.title, e.artist, path});
                        e.file = path;
                        changed = true;
                    } else {
                        memo.append({e.title, e.artist, {}});
                    }
                } else {
                    memo.append({e.title, e.artist, {}});
                }
            } else if (known.isEmpty()) {
                memo.append({e.title, e.artist, e.file});
            }
        }
    }
    return changed;
}

}  // namespace vorq::literal
