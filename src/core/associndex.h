#pragma once
// The association index file.idx: key TAB associated file TAB open method.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

namespace vorq {

class ChartStore;

struct AssociationEntry {
    QByteArray key;  // yyyymmdd + "%3.3d" rank
    QByteArray file;
    QByteArray method;  // empty means "open"
    friend bool operator==(const AssociationEntry &, const AssociationEntry &) = default;
};

class AssociationIndex {
public:
    // Splits one file.idx line by the reading rules.
    static AssociationEntry parseLine(const QByteArray &line);

    // Replaces the table with the file's lines. Throws FileError.
    void read(const QString &fileName);
    // The table of these file.idx lines; a save writes the lines it keeps
    // back byte for byte.
    void setLines(QList<QByteArray> lines);
    void setEntries(QList<AssociationEntry> entries);
    const QList<AssociationEntry> &entries() const { return m_entries; }
    bool isEmpty() const { return m_entries.isEmpty(); }

    // The first entry whose key equals key exactly; nullptr when none.
    const AssociationEntry *lookup(const QByteArray &key) const;

    // Entry i as a file.idx line: the line it was read from, if any.
    QByteArray lineOf(qsizetype i) const;

private:
    QList<AssociationEntry> m_entries;
    QList<QByteArray> m_lines;             // source lines when read from a file, else empty
    QHash<QByteArray, qsizetype> m_first;  // key -> index of its first entry
};

// The lines a save writes: one per row with a file, tabs in page order; then
// the entries of the association table whose date is not loaded, kept.
QList<QByteArray> indexLines(const ChartStore &store);

// Writes file.idx into the store's data folder atomically and makes the
// association table match what was written. Throws FileError (the old file
// is then untouched). Throws ConvertError for a row whose rank is not an
// integer. The dirty marker is the caller's.
void saveIndex(ChartStore &store);

}  // namespace vorq
