#include "core/charts/associationjournal.h"

#include <QSet>

#include "core/charts/associationindex.h"

namespace vorq {

JournalEntry &AssociationJournal::entryFor(const QByteArray &key, const QByteArray *baseLine) {
    if (const auto it = m_at.constFind(key); it != m_at.cend()) return m_entries[*it];
    JournalEntry e;
    e.key = key;
    e.baseAbsent = baseLine == nullptr;
    if (baseLine) e.baseLine = *baseLine;
    m_at.insert(key, m_entries.size());
    m_entries.append(std::move(e));
    return m_entries.last();
}

void AssociationJournal::set(const QByteArray &key, const QByteArray &line, const QByteArray *baseLine) {
    JournalEntry &e = entryFor(key, baseLine);
    e.line = line;
    e.removed = false;
}

void AssociationJournal::remove(const QByteArray &key, const QByteArray *baseLine) {
    JournalEntry &e = entryFor(key, baseLine);
    e.line.clear();
    e.removed = true;
}

const JournalEntry *AssociationJournal::find(const QByteArray &key) const {
    const auto it = m_at.constFind(key);
    return it == m_at.cend() ? nullptr : &m_entries.at(*it);
}

void AssociationJournal::forget(const QList<QByteArray> &keys) {
    if (keys.isEmpty()) return;
    const QSet<QByteArray> gone(keys.begin(), keys.end());
    QList<JournalEntry> kept;
    for (JournalEntry &e : m_entries)
        if (!gone.contains(e.key)) kept.append(std::move(e));
    m_entries = std::move(kept);
    m_at.clear();
    for (qsizetype i = 0; i < m_entries.size(); ++i) m_at.insert(m_entries.at(i).key, i);
}

void AssociationJournal::clear() {
    m_entries.clear();
    m_at.clear();
}

QByteArray indexLineKey(const QByteArray &line) {
    const qsizetype t = line.indexOf('\t');
    return t < 0 ? QByteArray() : line.left(t);
}

bool sameAssociation(const QByteArray *a, const QByteArray *b) {
    if (!a || !b) return a == b;
    const AssociationEntry x = AssociationIndex::parseLine(*a), y = AssociationIndex::parseLine(*b);
    auto method = [](const QByteArray &m) { return m.isEmpty() ? QByteArrayLiteral("open") : m; };
    return x.file == y.file && method(x.method) == method(y.method);
}

QList<QByteArray> applyJournal(const QList<QByteArray> &lines, const AssociationJournal &journal) {
    if (journal.isEmpty()) return lines;
    QList<QByteArray> out;
    out.reserve(lines.size() + journal.size());
    QSet<QByteArray> placed;
    for (const QByteArray &line : lines) {
        const QByteArray key = indexLineKey(line);
        const JournalEntry *e = key.isEmpty() ? nullptr : journal.find(key);
        if (!e) {
            out.append(line);
            continue;
        }
        if (placed.contains(key)) {
            // A later line of the key is shadowed by the first and stays as
            // read; a removal takes it too, or it would come back at the
            // next load.
            if (!e->removed) out.append(line);
            continue;
        }
        placed.insert(key);
        if (!e->removed) out.append(e->line);
    }
    for (const JournalEntry &e : journal.entries())
        if (!e.removed && !placed.contains(e.key)) out.append(e.line);
    return out;
}

}  // namespace vorq
