#include "associndex.h"

#include <QSet>

#include "chartstore.h"
#include "errors.h"
#include "sjistext.h"

namespace vorq {

AssociationEntry AssociationIndex::parseLine(const QByteArray &line) {
    AssociationEntry e;
    const qsizetype t1 = line.indexOf('\t');
    // Without a TAB the key is empty (never matched) and the line is the file.
    e.key = t1 < 0 ? QByteArray() : line.left(t1);
    const QByteArray rest = line.mid(t1 + 1);
    const qsizetype t2 = rest.indexOf('\t');
    if (t2 > 0) {
        e.file = rest.left(t2);
        e.method = rest.mid(t2 + 1);
    } else {
        e.file = rest;
        e.method = "open";
    }
    return e;
}

void AssociationIndex::read(const QString &fileName) { setLines(sjis::readLines(fileName)); }

void AssociationIndex::setLines(QList<QByteArray> lines) {
    QList<AssociationEntry> entries;
    entries.reserve(lines.size());
    for (const QByteArray &l : lines) entries.append(parseLine(l));
    setEntries(std::move(entries));
    m_lines = std::move(lines);
}

void AssociationIndex::setEntries(QList<AssociationEntry> entries) {
    m_entries = std::move(entries);
    m_lines.clear();
    m_first.clear();
    m_first.reserve(m_entries.size());
    // The first entry of a key wins.
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) m_first.insert(m_entries.at(i).key, i);
}

const AssociationEntry *AssociationIndex::lookup(const QByteArray &key) const {
    if (key.isEmpty()) return nullptr;
    const auto it = m_first.constFind(key);
    return it == m_first.cend() ? nullptr : &m_entries.at(*it);
}

QByteArray AssociationIndex::lineOf(qsizetype i) const {
    if (i < m_lines.size()) return m_lines.at(i);
    const AssociationEntry &e = m_entries.at(i);
    return e.key + '\t' + e.file + '\t' + e.method;
}

QList<QByteArray> indexLines(const ChartStore &store) {
    QList<QByteArray> out;
    QSet<QByteArray> loaded;
    for (const ChartTab &tab : store.tabs) {
        loaded.insert(QByteArray::number(tab.tag));
        for (const ChartEntry &e : tab.rows) {
            if (e.file.isEmpty()) continue;
            out.append(associationKey(tab.tag, e.rank) + '\t' + e.file + '\t' + e.method);
        }
    }
    // Associations of dates that are not loaded (outside the range, or no
    // chart file) have no rows to come from; keep their lines as they were.
    const AssociationIndex &table = store.associations;
    for (qsizetype i = 0; i < table.entries().size(); ++i) {
        if (!loaded.contains(table.entries().at(i).key.left(8))) out.append(table.lineOf(i));
    }
    return out;
}

void saveIndex(ChartStore &store) {
    QList<QByteArray> lines = indexLines(store);
    sjis::saveLines(sjis::path(store.dataFolder + "file.idx"), lines);
    store.associations.setLines(std::move(lines));
}

}  // namespace vorq
