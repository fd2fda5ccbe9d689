#pragma once
// The association index file.idx: key TAB associated file TAB open method.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace vorq {

struct AssociationEntry {
    QByteArray key;  // yyyymmdd + "%3.3d" rank
    QByteArray file;
    QByteArray method;  // empty means "open"
    friend bool operator==(const AssociationEntry &, const AssociationEntry &) = default;
};

// The key as a number when it is exactly eleven ASCII digits, the first not
// 0 (a row's key never starts with 0), else -1: the form of every chart
// row's key, which tables can hold without hashing text.
qint64 numericKey(const char *p, qsizetype n);

class AssociationIndex {
public:
    // Splits one file.idx line by the reading rules.
    static AssociationEntry parseLine(const QByteArray &line);

    // Replaces the table with the file's lines. Throws FileError.
    void read(const QString &fileName);
    // The table of these file.idx lines (views are fine: what is kept is
    // copied); a save writes the lines it keeps back byte for byte.
    void setLines(const QList<QByteArray> &lines);
    void setEntries(QList<AssociationEntry> entries);
    const QList<AssociationEntry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // The first entry whose key equals key exactly; nullptr when none.
    const AssociationEntry *lookup(const QByteArray &key) const;
    // The same for the key of date tag and rank value, without forming it.
    const AssociationEntry *lookup(int tag, int rank) const;
    // The entries of one date by rank (index = rank value, -1 none) for the
    // keys of eleven digits; nullptr when the date has none. Valid until
    // the table changes. For fast lookups of a whole chart.
    const QList<qint32> *ranksOf(int tag) const;
    const AssociationEntry &at(qsizetype i) const { return m_entries.at(i); }

    // Entry i as a file.idx line: the line it was read from, if any.
    QByteArray lineOf(qsizetype i) const;
    // Every line in order, as read (or as set).
    QList<QByteArray> lines() const;
    // The index of the first entry of key; -1 when none.
    qsizetype indexOf(const QByteArray &key) const;
    // Whether entry i is the first of its key (the one a lookup finds).
    bool isFirstOfKey(qsizetype i) const;
    // The number of distinct keys (lines without a key not counted).
    qsizetype keyCount() const { return m_keyCount; }

private:
    void addToIndex(qsizetype i);
    void resetIndex();

    QList<AssociationEntry> m_entries;
    // Source lines that the entry does not reproduce when written back (no
    // TAB, no method field), by entry index.
    QHash<qsizetype, QByteArray> m_rawLines;
    // Key -> index of its first entry. A key of eleven digits (first one not
    // 0), the form every chart row has, is held by date and rank: the rows
    // of one chart then look up one small array, not scattered hash nodes.
    // Any other key text goes to m_otherFirst.
    QHash<int, QList<qint32>> m_byDate;  // tag -> entry index by rank, -1 none
    int m_lastTag = -1;                  // while indexing: the date last added
    QList<qint32> *m_lastRanks = nullptr;
    QHash<QByteArray, qsizetype> m_otherFirst;
    qsizetype m_keyCount = 0;
};

}  // namespace vorq
