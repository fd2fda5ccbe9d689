#include "core/charts/indexmerge.h"

#include <QFileInfo>
#include <QHash>
#include <QSet>

#include "core/charts/associationindex.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

// What a line says, for comparing: file and method, "open" when empty.
struct Meaning {
    QByteArray file, method;
    bool operator==(const Meaning &) const = default;
};

Meaning meaningOf(const QByteArray &line) {
    const AssociationEntry e = AssociationIndex::parseLine(line);
    return {e.file, e.method.isEmpty() ? QByteArrayLiteral("open") : e.method};
}

QByteArray keyOf(const QByteArray &line) {
    const qsizetype t = line.indexOf('\t');
    return t < 0 ? QByteArray() : line.left(t);
}

// Key -> its first line.
QHash<QByteArray, QByteArray> firstLines(const QList<QByteArray> &lines) {
    QHash<QByteArray, QByteArray> out;
    out.reserve(lines.size());
    for (const QByteArray &line : lines) {
        const QByteArray key = keyOf(line);
        if (!key.isEmpty() && !out.contains(key)) out.insert(key, line);
    }
    return out;
}

bool same(const QByteArray *a, const QByteArray *b) {
    if (!a || !b) return a == b;
    return meaningOf(*a) == meaningOf(*b);
}

const QByteArray *find(const QHash<QByteArray, QByteArray> &h, const QByteArray &key) {
    const auto it = h.constFind(key);
    return it == h.cend() ? nullptr : &*it;
}

QList<QByteArray> currentLines(const AssociationIndex &table) {
    QList<QByteArray> out;
    out.reserve(table.entries().size());
    for (qsizetype i = 0; i < table.entries().size(); ++i) out.append(table.lineOf(i));
    return out;
}

// Gives loaded rows the file and method of lines (keys absent: no file)
// for the keys listed; returns the rows changed.
int applyToRows(ChartStore &store, const QList<QByteArray> &lines, const QSet<QByteArray> &keys) {
    if (keys.isEmpty()) return 0;
    const QHash<QByteArray, QByteArray> first = firstLines(lines);
    int changed = 0;
    for (ChartTab &tab : store.tabs) {
        for (ChartEntry &row : tab.rows) {
            const QByteArray key = associationKey(tab.tag, row.rank);
            if (!keys.contains(key)) continue;
            AssociationEntry e;
            if (const QByteArray *line = find(first, key)) e = AssociationIndex::parseLine(*line);
            if (row.file == e.file && row.method == e.method) continue;
            row.file = e.file;
            row.method = e.method;
            ++changed;
        }
    }
    return changed;
}

}  // namespace

IndexMerge mergeIndex(const QList<QByteArray> &base, const QList<QByteArray> &mine,
                      const QList<QByteArray> &theirs) {
    const QHash<QByteArray, QByteArray> b = firstLines(base), m = firstLines(mine), t = firstLines(theirs);
    IndexMerge out;
    QSet<QByteArray> conflicting;
    // Which line each side's choice gives a key (nullptr: the key goes).
    auto resolve = [&](const QByteArray &key, const QByteArray **whenTheirs, const QByteArray **whenMine) {
        const QByteArray *bl = find(b, key), *ml = find(m, key), *tl = find(t, key);
        *whenTheirs = *whenMine = ml;
        if (same(ml, tl) || same(tl, bl)) return;  // equal, or only the window changed it
        if (same(ml, bl)) {                        // only the disk changed it
            out.takenFromTheirs.append(key);
            *whenTheirs = *whenMine = tl;
            return;
        }
        if (!conflicting.contains(key)) {
            conflicting.insert(key);
            out.conflicts.append(key);
        }
        *whenTheirs = tl;
    };

    QSet<QByteArray> seen;
    for (const QByteArray &line : mine) {
        const QByteArray key = keyOf(line);
        if (key.isEmpty() || seen.contains(key)) {
            out.keepTheirs.append(line);
            out.keepMine.append(line);
            continue;
        }
        seen.insert(key);
        const QByteArray *lt = nullptr, *lm = nullptr;
        resolve(key, &lt, &lm);
        if (lt) out.keepTheirs.append(*lt);
        if (lm) out.keepMine.append(*lm);
    }
    for (const QByteArray &line : theirs) {
        const QByteArray key = keyOf(line);
        if (key.isEmpty() || seen.contains(key)) continue;
        seen.insert(key);
        const QByteArray *lt = nullptr, *lm = nullptr;
        resolve(key, &lt, &lm);
        if (lt) out.keepTheirs.append(*lt);
        if (lm) out.keepMine.append(*lm);
    }
    // Keys the window dropped and the disk dropped too need nothing; keys
    // only the base has were removed on both sides.
    return out;
}

bool saveIndexMerged(ChartStore &store, const KeepMine &keepMine) {
    const QString fileName = sjis::path(store.dataFolder + "file.idx");
    const QList<QByteArray> base = currentLines(store.associations);
    const QList<QByteArray> mine = indexLines(store);
    // Read the disk's lines into storage of their own: they outlive data.
    QList<QByteArray> theirs;
    if (QFileInfo::exists(fileName)) {
        const QByteArray data = readWholeFile(fileName, 256 * 1024 * 1024);
        for (const QByteArray &view : lineViews(data))
            theirs.append(QByteArray(view.constData(), view.size()));
    }
    const IndexMerge merge = mergeIndex(base, mine, theirs);
    bool mineWins = false;
    if (!merge.conflicts.isEmpty() && keepMine) {
        const std::optional<bool> answer = keepMine(merge.conflicts);
        if (!answer) return false;
        mineWins = *answer;
    }
    const QList<QByteArray> &lines = mineWins ? merge.keepMine : merge.keepTheirs;
    sjis::saveLines(fileName, lines);
    store.associations.setLines(lines);
    QSet<QByteArray> fromDisk(merge.takenFromTheirs.begin(), merge.takenFromTheirs.end());
    if (!mineWins)
        for (const QByteArray &key : merge.conflicts) fromDisk.insert(key);
    applyToRows(store, lines, fromDisk);
    return true;
}

int adoptIndexFromDisk(ChartStore &store, const QList<QByteArray> &diskLines) {
    const QList<QByteArray> base = currentLines(store.associations);
    const QList<QByteArray> mine = indexLines(store);
    const IndexMerge merge = mergeIndex(base, mine, diskLines);
    // The new base: the disk's line for every key but the window's own
    // changes, whose base stays what it was so the save still sees them.
    const QHash<QByteArray, QByteArray> b = firstLines(base), m = firstLines(mine);
    QSet<QByteArray> windowChanged;
    for (auto it = m.cbegin(); it != m.cend(); ++it)
        if (!same(&*it, find(b, it.key()))) windowChanged.insert(it.key());
    for (auto it = b.cbegin(); it != b.cend(); ++it)
        if (!m.contains(it.key())) windowChanged.insert(it.key());
    QList<QByteArray> newBase;
    QSet<QByteArray> seen;
    for (const QByteArray &line : diskLines) {
        const QByteArray key = keyOf(line);
        if (windowChanged.contains(key)) continue;
        if (!key.isEmpty()) seen.insert(key);
        newBase.append(line);
    }
    for (const QByteArray &line : base) {
        const QByteArray key = keyOf(line);
        if (windowChanged.contains(key) && !seen.contains(key)) {
            seen.insert(key);
            newBase.append(line);
        }
    }
    store.associations.setLines(newBase);
    const QSet<QByteArray> keys(merge.takenFromTheirs.begin(), merge.takenFromTheirs.end());
    return applyToRows(store, diskLines, keys);
}

}  // namespace vorq
