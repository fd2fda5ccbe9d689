#pragma once
// The rules for reading file.idx again, written out literally over maps of
// each key's first line: what the model test expects each row to show.
#include <QByteArray>
#include <QList>
#include <QMap>

#include "core/charts/associationindex.h"
#include "core/charts/associationjournal.h"
#include "core/charts/indexmerge.h"

namespace vorq::test {

inline QMap<QByteArray, QByteArray> firstLines(const QList<QByteArray> &lines) {
    QMap<QByteArray, QByteArray> out;
    for (const QByteArray &line : lines) {
        const QByteArray key = indexLineKey(line);
        if (!key.isEmpty() && !out.contains(key)) out.insert(key, line);
    }
    return out;
}

// A file.idx that lost keys looks damaged rather than edited when it is
// gone, or lost more than three keys, or at least two and more than half.
inline bool lossByRules(qsizetype before, qsizetype removed, bool exists) {
    return removed > 0 && (!exists || removed > 3 || (removed >= 2 && removed * 2 > before));
}

struct LiteralIndex {
    QMap<QByteArray, QByteArray> held, disk;
    bool lost = false;

    // cut: the file ends inside its last line.
    void adopt(QList<QByteArray> lines, bool exists, bool cut) {
        QMap<QByteArray, QByteArray> now = firstLines(lines);
        int removed = 0;
        for (auto it = disk.cbegin(); it != disk.cend(); ++it) removed += now.contains(it.key()) ? 0 : 1;
        const bool damage = lossByRules(disk.size(), removed, exists);
        if ((damage || lost) && cut) {
            lines.removeLast();
            now = firstLines(lines);
        }
        // Changed and new keys are taken; removals only when it is no loss.
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            const QByteArray *old = disk.contains(it.key()) ? &disk[it.key()] : nullptr;
            if (!sameAssociation(old, &it.value())) held[it.key()] = it.value();
        }
        if (!damage)
            for (auto it = disk.cbegin(); it != disk.cend(); ++it)
                if (!now.contains(it.key())) held.remove(it.key());
        disk = now;
        lost = false;
        for (auto it = held.cbegin(); it != held.cend(); ++it) lost = lost || !disk.contains(it.key());
        if (!lost) held = disk;
    }
    QByteArray fileOf(const QByteArray &key) const {
        return held.contains(key) ? AssociationIndex::parseLine(held.value(key)).file : QByteArray();
    }
};

}  // namespace vorq::test
