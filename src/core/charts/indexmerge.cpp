#include "core/charts/indexmerge.h"

#include <QHash>
#include <QSet>

#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

// More keys than this gone at once is not one program's clear.
constexpr qsizetype kFewKeys = 3;

// Keys held that the disk lacks, but those the journal removes anyway.
qsizetype keysLost(const ChartStore &store) {
    const AssociationIndex &held = store.associations;
    qsizetype lost = 0;
    for (qsizetype i = 0; i < held.entries().size(); ++i) {
        if (!held.isFirstOfKey(i)) continue;
        const QByteArray &key = held.at(i).key;
        if (store.diskIndex.indexOf(key) >= 0) continue;
        const JournalEntry *j = store.journal.find(key);
        if (!j || !j->removed) ++lost;
    }
    return lost;
}

IndexLoss lossOf(const ChartStore &store, qsizetype lost) {
    IndexLoss loss;
    loss.kind = !store.diskIndexExists            ? IndexLoss::Kind::Deleted
                : store.diskIndex.keyCount() == 0 ? IndexLoss::Kind::Emptied
                                                  : IndexLoss::Kind::Shrunk;
    loss.linesHeld = store.associations.entries().size();
    loss.linesOnDisk = store.diskIndex.entries().size();
    loss.keysLost = lost;
    return loss;
}

// The disk's line for each key, as wanted: key -> index into lines.
QHash<QByteArray, qsizetype> firstLinesOf(const QList<QByteArray> &lines, const AssociationJournal &journal) {
    QHash<QByteArray, qsizetype> out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray key = indexLineKey(lines.at(i));
        if (!key.isEmpty() && journal.find(key) && !out.contains(key)) out.insert(key, i);
    }
    return out;
}

// What a save keeps when the user keeps what the disk lost: the disk's
// lines (a line cut short left out), then the lines held here that the disk
// lacks, in their order: a key's first line when the disk has no line of
// the key, any other line when the disk does not have it as it is.
QList<QByteArray> keptBasis(const ChartStore &store) {
    QList<QByteArray> out = store.diskIndex.lines();
    const QSet<QByteArray> diskLines(out.begin(), out.end());
    const AssociationIndex &held = store.associations;
    for (qsizetype i = 0; i < held.entries().size(); ++i) {
        const QByteArray line = held.lineOf(i);
        const bool lost =
            held.isFirstOfKey(i) ? store.diskIndex.indexOf(held.at(i).key) < 0 : !diskLines.contains(line);
        if (lost) out.append(line);
    }
    return out;
}

}  // namespace

bool looksLikeLoss(qsizetype keysBefore, qsizetype keysRemoved, bool stillThere) {
    if (keysRemoved <= 0) return false;
    if (!stillThere) return true;  // no program of ours deletes file.idx
    return keysRemoved > kFewKeys || (keysRemoved >= 2 && keysRemoved * 2 > keysBefore);
}

namespace {

// What the disk changed since it was last read, key by key.
struct DiskChanges {
    QList<qsizetype> changed;  // first entries of `now` whose key is new or says something else
    QHash<QByteArray, qsizetype> changedAt;
    QSet<QByteArray> removed;
};

DiskChanges changesOf(const AssociationIndex &before, const AssociationIndex &now) {
    DiskChanges d;
    for (qsizetype i = 0; i < now.entries().size(); ++i) {
        if (!now.isFirstOfKey(i)) continue;
        const QByteArray &key = now.at(i).key;
        const qsizetype j = before.indexOf(key);
        const QByteArray line = now.lineOf(i);
        if (j >= 0) {
            const QByteArray old = before.lineOf(j);
            if (sameAssociation(&old, &line)) continue;
        }
        d.changed.append(i);
        d.changedAt.insert(key, i);
    }
    for (qsizetype i = 0; i < before.entries().size(); ++i)
        if (before.isFirstOfKey(i) && now.indexOf(before.at(i).key) < 0) d.removed.insert(before.at(i).key);
    return d;
}

// A file that stops inside a line (a copy or write cut short): that line is
// no line of ours.
bool endsInsideALine(const IndexFile &disk) {
    return !disk.data.isEmpty() && !disk.data.endsWith('\n') && !disk.data.endsWith('\r');
}

}  // namespace

AdoptResult adoptDiskIndex(ChartStore &store, const IndexFile &disk) {
    AssociationIndex now;
    now.setLines(disk.lines);
    DiskChanges d = changesOf(store.diskIndex, now);
    const bool damage = looksLikeLoss(store.diskIndex.keyCount(), d.removed.size(), disk.exists);
    // While the disk is lost or losing keys, a line cut short is no line.
    if ((damage || store.diskLost) && endsInsideALine(disk)) {
        now.setLines(disk.lines.first(disk.lines.size() - 1));
        d = changesOf(store.diskIndex, now);
    }
    if (!damage && !store.diskLost) {
        store.associations = now;
    } else if (!d.changed.isEmpty() || (!damage && !d.removed.isEmpty())) {
        // What the disk holds reaches what is held; a loss does not.
        const AssociationIndex &held = store.associations;
        QList<QByteArray> lines;
        lines.reserve(held.entries().size() + d.changed.size());
        QSet<QByteArray> placed;
        for (qsizetype i = 0; i < held.entries().size(); ++i) {
            const QByteArray &key = held.at(i).key;
            if (const auto it = d.changedAt.constFind(key); !key.isEmpty() && it != d.changedAt.cend()) {
                lines.append(placed.contains(key) ? held.lineOf(i) : now.lineOf(*it));
                placed.insert(key);
                continue;
            }
            if (!damage && d.removed.contains(key)) continue;
            lines.append(held.lineOf(i));
        }
        for (const qsizetype i : d.changed)
            if (!placed.contains(now.at(i).key)) lines.append(now.lineOf(i));
        store.associations.setLines(lines);
    }
    store.diskIndex = now;
    store.diskIndexExists = disk.exists;
    AdoptResult result;
    const qsizetype lost = keysLost(store);
    store.diskLost = lost > 0;
    if (store.diskLost)
        result.loss = lossOf(store, lost);
    else
        store.associations = store.diskIndex;  // the same keys: the disk's lines as they are
    result.rowsChanged = syncRows(store);
    return result;
}

int holdDiskIndex(ChartStore &store, const IndexFile &disk) {
    store.associations.setLines(disk.lines);
    store.diskIndex = store.associations;
    store.diskIndexExists = disk.exists;
    store.diskLost = false;
    return syncRows(store);
}

int syncRows(ChartStore &store) {
    // The journal's lines by key, split once.
    QHash<QByteArray, AssociationEntry> unsaved;
    for (const JournalEntry &j : store.journal.entries())
        unsaved.insert(j.key, j.removed ? AssociationEntry{} : AssociationIndex::parseLine(j.line));
    const AssociationIndex &held = store.associations;
    int changed = 0;
    for (ChartTab &tab : store.tabs) {
        for (ChartEntry &row : tab.rows) {
            bool ok = false;
            const int rank = row.rank.toInt(&ok);
            if (!ok) continue;
            const AssociationEntry *want = nullptr;
            if (!unsaved.isEmpty()) {
                const auto it = unsaved.constFind(associationKey(tab.tag, row.rank));
                if (it != unsaved.cend()) want = &*it;
            }
            if (!want) want = held.lookup(tab.tag, rank);
            static const AssociationEntry none;
            if (!want) want = &none;
            if (row.file == want->file && row.method == want->method) continue;
            row.file = want->file;
            row.method = want->method;
            ++changed;
        }
    }
    return changed;
}

SaveOutcome saveAssociations(ChartStore &store, const SaveAnswers &answers, const QDateTime &now) {
    const IndexFile disk = readIndexFile(store.dataFolder);
    SaveOutcome outcome;
    const AdoptResult adopted = adoptDiskIndex(store, disk);
    outcome.rowsChanged = adopted.rowsChanged;

    bool keepHeld = false;
    if (adopted.loss) {
        if (!answers.keepHeld) {
            outcome.status = SaveOutcome::Status::NeedsAnswer;
            outcome.loss = adopted.loss;
            return outcome;
        }
        keepHeld = *answers.keepHeld;
        if (!keepHeld) {
            // The user takes the disk as it is: what it lost goes here too.
            store.associations = store.diskIndex;
            store.diskLost = false;
            outcome.rowsChanged += syncRows(store);
        }
    }
    // The disk's lines as read (but a line cut short while it lost keys).
    const QList<QByteArray> basis = keepHeld ? keptBasis(store) : store.diskIndex.lines();

    // Journal keys another program changed since the user did.
    const QHash<QByteArray, qsizetype> current = firstLinesOf(basis, store.journal);
    QList<IndexConflict> conflicts;
    for (const JournalEntry &j : store.journal.entries()) {
        const auto it = current.constFind(j.key);
        const QByteArray *theirs = it == current.cend() ? nullptr : &basis.at(*it);
        const QByteArray *base = j.baseAbsent ? nullptr : &j.baseLine;
        const QByteArray *mine = j.removed ? nullptr : &j.line;
        if (sameAssociation(theirs, base) || sameAssociation(theirs, mine)) continue;
        // A key gone with the loss was answered by the loss question.
        if ((adopted.loss || answers.keepHeld) && !theirs) continue;
        conflicts.append({j.key, j.removed ? QByteArray() : j.line, theirs ? *theirs : QByteArray()});
    }
    AssociationJournal journal = store.journal;
    if (!conflicts.isEmpty()) {
        bool asked = answers.keepMine.has_value();
        for (const IndexConflict &c : conflicts) asked = asked && answers.conflictKeys.contains(c.key);
        if (!asked) {
            outcome.status = SaveOutcome::Status::NeedsAnswer;
            outcome.conflicts = conflicts;
            return outcome;
        }
        if (!*answers.keepMine) {
            QList<QByteArray> theirs;
            for (const IndexConflict &c : conflicts) theirs.append(c.key);
            journal.forget(theirs);
        }
    }

    const QList<QByteArray> out = applyJournal(basis, journal);
    if (out == disk.lines) {
        outcome.status = SaveOutcome::Status::Unchanged;
    } else {
        writeIndexFile(store.dataFolder, sjis::joinLines(out), disk, now);
        outcome.status = SaveOutcome::Status::Written;
        store.diskIndexExists = true;
    }
    store.associations.setLines(out);
    store.diskIndex = store.associations;
    store.diskLost = false;
    store.journal.clear();
    outcome.rowsChanged += syncRows(store);
    return outcome;
}

void saveAssociationsUnattended(ChartStore &store) {
    const SaveOutcome o = saveAssociations(store);
    if (o.status != SaveOutcome::Status::NeedsAnswer) return;
    throw Error(QStringLiteral("file.idx が読み込んだ後に他のプログラムにより変更されました (%1)。"
                               "何も書き込んでいません。もう一度実行してください。")
                    .arg(o.loss
                             ? QStringLiteral("%1 件 → %2 件").arg(o.loss->linesHeld).arg(o.loss->linesOnDisk)
                             : QStringLiteral("%1 件の競合").arg(o.conflicts.size())));
}

}  // namespace vorq
