#pragma once
// What a program holds of file.idx against what the disk holds now. Every
// writer saves through saveAssociations: it reads the disk's file.idx whole,
// applies the user's journal to it and writes through writeIndexFile, so a
// line leaves file.idx only because the user changed its key. Reading the
// disk again (the live view, and the start of every save) takes another
// program's changes over, but never a loss that looks like damage: a deleted
// or emptied file, or more than a few keys gone at once.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <optional>

#include "core/charts/indexfile.h"

namespace vorq {

class ChartStore;

// The disk lacks associations this program holds.
struct IndexLoss {
    enum class Kind { Deleted, Emptied, Shrunk };
    Kind kind = Kind::Shrunk;
    qsizetype linesHeld = 0;    // lines this program holds
    qsizetype linesOnDisk = 0;  // lines file.idx has now
    qsizetype keysLost = 0;     // keys held that file.idx lacks
};

// Whether a file.idx of keysBefore keys that lost keysRemoved of them (and
// exists no more, when !stillThere) looks damaged rather than edited: one
// program's clear removes one key, or a song's few.
bool looksLikeLoss(qsizetype keysBefore, qsizetype keysRemoved, bool stillThere);

struct AdoptResult {
    int rowsChanged = 0;
    std::optional<IndexLoss> loss;  // set while the disk lacks what is held
};

// The disk's file.idx read again: what another program changed, added or
// removed since the last read is taken over (rows of journal keys keep the
// user's change), unless it looks like damage: then none of it is taken,
// and the loss is reported until a save settles it. The rows follow.
AdoptResult adoptDiskIndex(ChartStore &store, const IndexFile &disk);

// file.idx as read becomes what the store holds, whole (a load, or a
// version the user put back); the rows follow. Returns the rows changed.
int holdDiskIndex(ChartStore &store, const IndexFile &disk);

// Brings every row in line with what the store holds: a journal key's line,
// else the association table's. Returns the rows changed.
int syncRows(ChartStore &store);

// A journal key whose line another program changed since the user's change.
struct IndexConflict {
    QByteArray key;
    QByteArray mine;    // the journal's line; empty when the user removed it
    QByteArray theirs;  // the disk's line; empty when it has none
};

struct SaveAnswers {
    // The loss question: true keeps what this program holds, false takes
    // the disk as it is.
    std::optional<bool> keepHeld;
    // The conflict question, for the keys it was asked about: true keeps
    // the user's lines, false the other program's.
    std::optional<bool> keepMine;
    QList<QByteArray> conflictKeys;
};

struct SaveOutcome {
    enum class Status { Written, Unchanged, NeedsAnswer };
    Status status = Status::Unchanged;
    std::optional<IndexLoss> loss;   // to ask, when it needs an answer
    QList<IndexConflict> conflicts;  // to ask, when it needs an answer
    int rowsChanged = 0;
};

// The one save of file.idx. The caller holds the data folder's write lock.
// Reads the disk's file.idx, takes its changes over (adoptDiskIndex), then
// writes it with the journal applied: every other line as it is, in order.
// When the disk lost associations held here, or another program changed a
// journal key, it returns NeedsAnswer and changes nothing on the disk; the
// caller asks (without the lock) and calls again with the answers. After a
// write the journal is empty and the table is what was written. Throws
// FileError (the file and the journal untouched).
SaveOutcome saveAssociations(ChartStore &store, const SaveAnswers &answers = {},
                             const QDateTime &now = QDateTime::currentDateTime());

// The save of a program that asks nobody (vorq), which read file.idx under
// the same lock: anything to ask is refused with Error, nothing written.
void saveAssociationsUnattended(ChartStore &store);

}  // namespace vorq
