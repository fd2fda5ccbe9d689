#include "core/charts/indexmerge.h"

#include <unordered_map>
#include <unordered_set>

#include "core/base/byteshash.h"

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

// Where each journal entry's key has its first line among lines (-1: none),
// by entry index.
QList<qsizetype> firstLinesOf(const QList<QByteArray> &lines, const AssociationJournal &journal) {
    QList<qsizetype> at(journal.size(), -1);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QByteArray key = indexLineKeyView(lines.at(i));
        const qsizetype j = key.isEmpty() ? -1 : journal.indexOf(key);
        if (j >= 0 && at.at(j) < 0) at[j] = i;
    }
    return at;
}

// What a save keeps when the user keeps what the disk lost: the disk's
// lines (a line cut short left out), then the lines held here that the disk
// lacks, in their order: a key's first line when the disk has no line of
// the key, any other line when the disk does not have it as it is.
QList<QByteArray> keptBasis(const ChartStore &store) {
    QList<QByteArray> out = store.diskIndex.lines();
    const std::unordered_set<QByteArray, BytesHash> diskLines(out.begin(), out.end());
    const AssociationIndex &held = store.associations;
    for (qsizetype i = 0; i < held.entries().size(); ++i) {
        const QByteArray line = held.lineOf(i);
        const bool lost =
            held.isFirstOfKey(i) ? store.diskIndex.indexOf(held.at(i).key) < 0 : !diskLines.count(line);
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
    std::unordered_map<QByteArray, qsizetype, BytesHash> changedAt;
    std::unordered_set<QByteArray, BytesHash> removed;
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
        d.changedAt.emplace(key, i);
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
    // The bytes last read, with nothing lost: the held lines are the disk's
    // and the rows already show them with the journal (every change notes
    // its row), so there is nothing to take over. The usual case of a save,
    // and of vorq, which reads and saves under one lock.
    if (!store.diskLost && disk.exists == store.diskIndexExists && disk.data == store.diskData) {
        store.diskData = disk.data;  // the same bytes; the caller may use the read's lines
        return {};
    }
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
    } else if (!d.changed.isEmpty() || (!damage && !d.removed.empty())) {
        // What the disk holds reaches what is held; a loss does not.
        const AssociationIndex &held = store.associations;
        QList<QByteArray> lines;
        lines.reserve(held.entries().size() + d.changed.size());
        std::unordered_set<QByteArray, BytesHash> placed;
        for (qsizetype i = 0; i < held.entries().size(); ++i) {
            const QByteArray &key = held.at(i).key;
            if (const auto it = d.changedAt.find(key); !key.isEmpty() && it != d.changedAt.end()) {
                lines.append(placed.insert(key).second ? now.lineOf(it->second) : held.lineOf(i));
                continue;
            }
            if (!damage && d.removed.count(key)) continue;
            lines.append(held.lineOf(i));
        }
        for (const qsizetype i : d.changed)
            if (!placed.count(now.at(i).key)) lines.append(now.lineOf(i));
        store.associations.setLines(lines);
    }
    store.diskIndex = now;
    store.diskData = disk.data;
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
    store.diskData = disk.data;
    store.diskIndexExists = disk.exists;
    store.diskLost = false;
    return syncRows(store);
}

int syncRows(ChartStore &store) {
    // The journal's lines by key, split once.
    std::unordered_map<QByteArray, AssociationEntry, BytesHash> unsaved;
    unsaved.reserve(size_t(store.journal.size()));
    for (const JournalEntry &j : store.journal.entries())
        unsaved.insert_or_assign(j.key, j.removed ? AssociationEntry{} : AssociationIndex::parseLine(j.line));
    const AssociationIndex &held = store.associations;
    int changed = 0;
    for (ChartTab &tab : store.tabs) {
        for (ChartEntry &row : tab.rows) {
            bool ok = false;
            const int rank = row.rank.toInt(&ok);
            if (!ok) continue;
            const AssociationEntry *want = nullptr;
            if (!unsaved.empty()) {
                const auto it = unsaved.find(associationKey(tab.tag, row.rank));
                if (it != unsaved.end()) want = &it->second;
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
    // The disk's lines as read (but a line cut short while it lost keys);
    // the read's own lines when the held table is made of all of them.
    const bool diskAsHeld = store.diskData.constData() == disk.data.constData() &&
                            store.diskIndex.entries().size() == disk.lines.size();
    const QList<QByteArray> basis = keepHeld     ? keptBasis(store)
                                    : diskAsHeld ? disk.lines
                                                 : store.diskIndex.lines();

    // Journal keys another program changed since the user did.
    const QList<qsizetype> current = firstLinesOf(basis, store.journal);
    QList<IndexConflict> conflicts;
    for (qsizetype k = 0; k < store.journal.size(); ++k) {
        const JournalEntry &j = store.journal.entries().at(k);
        const QByteArray *theirs = current.at(k) < 0 ? nullptr : &basis.at(current.at(k));
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
        store.diskData = disk.data;
    } else {
        const QByteArray content = sjis::joinLines(out);
        writeIndexFile(store.dataFolder, content, disk, now);
        outcome.status = SaveOutcome::Status::Written;
        store.diskIndexExists = true;
        store.diskData = content;
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
