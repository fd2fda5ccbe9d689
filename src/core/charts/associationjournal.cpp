#include "core/charts/associationjournal.h"

#include <unordered_set>
#include <vector>

#include "core/charts/associationindex.h"

namespace vorq {

void AssociationJournal::index(const QByteArray &key, qsizetype i) {
    const qint64 n = numericKey(key.constData(), key.size());
    if (n >= 0)
        m_atNumber.insert(n, i);
    else
        m_atText.insert_or_assign(key, i);
}

JournalEntry &AssociationJournal::entryFor(const QByteArray &key, const QByteArray *baseLine) {
    if (const qsizetype i = indexOf(key); i >= 0) return m_entries[i];
    JournalEntry e;
    e.key = key;
    e.baseAbsent = baseLine == nullptr;
    if (baseLine) e.baseLine = *baseLine;
    index(key, m_entries.size());
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
    const qsizetype i = indexOf(key);
    return i < 0 ? nullptr : &m_entries.at(i);
}

qsizetype AssociationJournal::indexOf(const QByteArray &key) const {
    if (const qint64 n = numericKey(key.constData(), key.size()); n >= 0) return m_atNumber.value(n, -1);
    const auto it = m_atText.find(key);
    return it == m_atText.end() ? -1 : it->second;
}

void AssociationJournal::forget(const QList<QByteArray> &keys) {
    if (keys.isEmpty()) return;
    const std::unordered_set<QByteArray, BytesHash> gone(keys.begin(), keys.end());
    QList<JournalEntry> kept;
    for (JournalEntry &e : m_entries)
        if (!gone.count(e.key)) kept.append(std::move(e));
    m_entries = std::move(kept);
    m_atNumber.clear();
    m_atText.clear();
    for (qsizetype i = 0; i < m_entries.size(); ++i) index(m_entries.at(i).key, i);
}

void AssociationJournal::reserveMore(qsizetype n) {
    m_entries.reserve(m_entries.size() + n);
    m_atNumber.reserve(m_entries.size() + n);
}

void AssociationJournal::clear() {
    m_entries.clear();
    m_atNumber.clear();
    m_atText.clear();
}

QByteArray indexLineKey(const QByteArray &line) {
    const qsizetype t = line.indexOf('\t');
    return t < 0 ? QByteArray() : line.left(t);
}

QByteArray indexLineKeyView(const QByteArray &line) {
    const qsizetype t = line.indexOf('\t');
    return t < 0 ? QByteArray() : QByteArray::fromRawData(line.constData(), t);
}

bool sameAssociation(const QByteArray *a, const QByteArray *b) {
    if (!a || !b) return a == b;
    if (*a == *b) return true;
    const AssociationEntry x = AssociationIndex::parseLine(*a), y = AssociationIndex::parseLine(*b);
    auto method = [](const QByteArray &m) { return m.isEmpty() ? QByteArrayLiteral("open") : m; };
    return x.file == y.file && method(x.method) == method(y.method);
}

QList<QByteArray> applyJournal(const QList<QByteArray> &lines, const AssociationJournal &journal) {
    if (journal.isEmpty()) return lines;
    QList<QByteArray> out;
    out.reserve(lines.size() + journal.size());
    const QList<JournalEntry> &entries = journal.entries();
    std::vector<bool> placed(size_t(entries.size()), false);
    for (const QByteArray &line : lines) {
        const QByteArray key = indexLineKeyView(line);
        const qsizetype j = key.isEmpty() ? -1 : journal.indexOf(key);
        if (j < 0) {
            out.append(line);
            continue;
        }
        const JournalEntry &e = entries.at(j);
        if (placed[size_t(j)]) {
            // A later line of the key is shadowed by the first and stays as
            // read; a removal takes it too, or it would come back at the
            // next load.
            if (!e.removed) out.append(line);
            continue;
        }
        placed[size_t(j)] = true;
        if (!e.removed) out.append(e.line);
    }
    for (qsizetype j = 0; j < entries.size(); ++j)
        if (!entries.at(j).removed && !placed[size_t(j)]) out.append(entries.at(j).line);
    return out;
}

}  // namespace vorq
