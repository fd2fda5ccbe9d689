#pragma once
// The user's association changes of one session, kept beside the rows: per
// key the file.idx line it should hold now (or its removal) and the line it
// held when the change was first made. A save applies them to what the disk
// holds at that moment; nothing else of file.idx is rewritten.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <unordered_map>

#include "core/base/byteshash.h"

namespace vorq {

struct JournalEntry {
    QByteArray key;
    QByteArray line;          // the new file.idx line (key TAB file TAB method)
    bool removed = false;     // the key leaves file.idx instead
    QByteArray baseLine;      // the key's first line when first changed
    bool baseAbsent = false;  // the key had no line then
};

class AssociationJournal {
public:
    // A key's new line; the base is taken only by the first change of the key.
    void set(const QByteArray &key, const QByteArray &line, const QByteArray *baseLine);
    // The key leaves file.idx.
    void remove(const QByteArray &key, const QByteArray *baseLine);

    const JournalEntry *find(const QByteArray &key) const;
    // The index of key's entry in entries(); -1 when none.
    qsizetype indexOf(const QByteArray &key) const;
    const QList<JournalEntry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }
    qsizetype size() const { return m_entries.size(); }
    // Forgets the listed keys (a change the user gave up for another
    // program's) or everything (written, or discarded).
    void forget(const QList<QByteArray> &keys);
    // Room for n more entries (a whole update's changes at once).
    void reserveMore(qsizetype n);
    void clear();

private:
    JournalEntry &entryFor(const QByteArray &key, const QByteArray *baseLine);
    void index(const QByteArray &key, qsizetype i);

    QList<JournalEntry> m_entries;  // in the order of the first change
    // Key -> entry index: a chart row's key (eleven digits) by its number,
    // which hashes without reading text; any other key by its bytes.
    QHash<qint64, qsizetype> m_atNumber;
    std::unordered_map<QByteArray, qsizetype, BytesHash> m_atText;
};

// The key of a file.idx line: the text before its first TAB; empty for a
// line without one.
QByteArray indexLineKey(const QByteArray &line);
// The same without a copy, for lookups: valid while line lives.
QByteArray indexLineKeyView(const QByteArray &line);

// Whether two lines (either may be absent: nullptr) say the same: the same
// file and open method, an empty method being "open".
bool sameAssociation(const QByteArray *a, const QByteArray *b);

// Lines with the journal applied: every line kept as it is, in order, but
// the lines of journal keys: a key's first line becomes its new line (or
// goes, with the key's later lines, when it is removed); keys the lines do
// not hold yet follow at the end, in journal order.
QList<QByteArray> applyJournal(const QList<QByteArray> &lines, const AssociationJournal &journal);

}  // namespace vorq
