#pragma once
// The three-way merge of file.idx: what a window read at load (the base),
// what it would write now (mine) and what the disk holds now (theirs). A
// key changed on one side only takes that side's line; a key changed on
// both sides, differently, is a conflict the caller settles for all such
// keys at once.
#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

namespace vorq {

class ChartStore;

struct IndexMerge {
    QList<QByteArray> keepTheirs;       // the merged lines, conflicts from the disk
    QList<QByteArray> keepMine;         // the same, conflicts from the window
    QList<QByteArray> conflicts;        // the keys changed on both sides, in mine's order
    QList<QByteArray> takenFromTheirs;  // keys whose line (or absence) came from the disk
};

// Keys compare by their first line (the one a lookup finds); lines compare
// by file and open method, so a line read without its method field equals
// the one a save writes for it. The merged lines follow mine's order, then
// the keys only the disk has, in its order. Lines without a key and later
// lines of a key are kept from mine.
IndexMerge mergeIndex(const QList<QByteArray> &base, const QList<QByteArray> &mine,
                      const QList<QByteArray> &theirs);

// Answers a conflict: true keeps the window's lines of the listed keys,
// false the disk's; no answer leaves the file and the store untouched (the
// caller asks without holding the lock, then saves again).
using KeepMine = std::function<std::optional<bool>(const QList<QByteArray> &keys)>;

// The window's save: reads file.idx again, merges it with what the store
// read at load and what its rows hold now, writes the result atomically and
// makes the store match it (the association table becomes the new base and
// loaded rows take the lines that came from the disk). A conflict asks
// keepMine once (none: keep theirs). Returns false when keepMine gave no
// answer. The caller holds the data folder's write lock. Throws FileError
// (the old file is then untouched) and ConvertError as saveIndex does.
bool saveIndexMerged(ChartStore &store, const KeepMine &keepMine);

// A file.idx written by another program while the window runs: rows whose
// line the window has not changed take the disk's (the others wait for the
// save, which settles them); the association table takes the disk's lines
// for every key the window has not changed. Returns the number of rows
// that changed.
int adoptIndexFromDisk(ChartStore &store, const QList<QByteArray> &diskLines);

}  // namespace vorq
