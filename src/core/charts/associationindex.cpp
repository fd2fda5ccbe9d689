#include "core/charts/associationindex.h"

#include <limits>

#include "core/charts/chartstore.h"

namespace vorq {

qint64 numericKey(const char *p, qsizetype n) {
    constexpr qsizetype kKeyLength = 11;
    if (n != kKeyLength || p[0] == '0') return -1;
    qint64 v = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = p[i];
        if (c < '0' || c > '9') return -1;
        v = v * 10 + (c - '0');
    }
    return v;
}

namespace {

// Open methods repeat ("", "print", "open"...): share the common ones.
QByteArray methodOf(const char *p, qsizetype n) {
    static const QByteArray kOpen("open"), kPrint("print");
    if (n == 0) return QByteArray();
    const QByteArrayView v(p, n);
    if (v == kOpen) return kOpen;
    if (v == kPrint) return kPrint;
    return QByteArray(p, n);
}

// Splits one line (a view is fine); rawNeeded tells whether writing the
// entry back would differ from the line.
AssociationEntry split(const QByteArray &line, bool *rawNeeded) {
    AssociationEntry e;
    const qsizetype t1 = line.indexOf('\t');
    // Without a TAB the key is empty (never matched) and the line is the file.
    if (t1 >= 0) e.key = QByteArray(line.constData(), t1);
    const char *rest = line.constData() + t1 + 1;
    const qsizetype restSize = line.size() - t1 - 1;
    const qsizetype t2 = QByteArrayView(rest, restSize).indexOf('\t');
    if (t2 > 0) {
        e.file = QByteArray(rest, t2);
        e.method = methodOf(rest + t2 + 1, restSize - t2 - 1);
        *rawNeeded = t1 < 0;
    } else {
        e.file = QByteArray(rest, restSize);
        e.method = methodOf("open", 4);
        *rawNeeded = true;
    }
    return e;
}

}  // namespace

AssociationEntry AssociationIndex::parseLine(const QByteArray &line) {
    bool raw = false;
    return split(line, &raw);
}

void AssociationIndex::read(const QString &fileName) {
    const QByteArray data = readWholeFile(fileName, kMaxIndexFileBytes);
    setLines(lineViews(data));
}

void AssociationIndex::setLines(const QList<QByteArray> &lines) {
    m_entries.clear();
    m_rawLines.clear();
    m_entries.reserve(lines.size());
    resetIndex();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        bool raw = false;
        m_entries.append(split(lines.at(i), &raw));
        if (raw) m_rawLines.insert(i, QByteArray(lines.at(i).constData(), lines.at(i).size()));
        addToIndex(i);
    }
}

void AssociationIndex::setEntries(QList<AssociationEntry> entries) {
    m_entries = std::move(entries);
    m_rawLines.clear();
    resetIndex();
    for (qsizetype i = 0; i < m_entries.size(); ++i) addToIndex(i);
}

void AssociationIndex::resetIndex() {
    m_keyCount = 0;
    m_otherFirst.clear();
    m_byDate.clear();
    m_lastTag = -1;
    m_lastRanks = nullptr;
}

void AssociationIndex::addToIndex(qsizetype i) {
    // The first entry of a key wins: later ones are not indexed.
    const QByteArray &key = m_entries.at(i).key;
    if (key.isEmpty()) return;
    const qint64 n = numericKey(key.constData(), key.size());
    if (n < 0 || i > std::numeric_limits<qint32>::max()) {
        if (!m_otherFirst.contains(key)) {
            m_otherFirst.insert(key, i);
            ++m_keyCount;
        }
        return;
    }
    const int tag = static_cast<int>(n / 1000), rank = static_cast<int>(n % 1000);
    // Lines of one date come together: reuse its array while the date stays
    // (no other key was inserted since, so the reference is still valid).
    if (tag != m_lastTag || !m_lastRanks) {
        m_lastRanks = &m_byDate[tag];
        m_lastTag = tag;
    }
    QList<qint32> &ranks = *m_lastRanks;
    if (ranks.size() <= rank) ranks.resize(rank + 1, -1);
    if (ranks.at(rank) < 0) {
        ranks[rank] = static_cast<qint32>(i);
        ++m_keyCount;
    }
}

const QList<qint32> *AssociationIndex::ranksOf(int tag) const {
    const auto it = m_byDate.constFind(tag);
    return it == m_byDate.cend() ? nullptr : &*it;
}

const AssociationEntry *AssociationIndex::lookup(const QByteArray &key) const {
    if (key.isEmpty()) return nullptr;
    if (const qint64 n = numericKey(key.constData(), key.size()); n >= 0) {
        const QList<qint32> *ranks = ranksOf(static_cast<int>(n / 1000));
        const int rank = static_cast<int>(n % 1000);
        if (!ranks || rank >= ranks->size() || ranks->at(rank) < 0) return nullptr;
        return &m_entries.at(ranks->at(rank));
    }
    const auto it = m_otherFirst.constFind(key);
    return it == m_otherFirst.cend() ? nullptr : &m_entries.at(*it);
}

const AssociationEntry *AssociationIndex::lookup(int tag, int rank) const {
    if (tag >= 10000000 && tag <= 99999999 && rank >= 0 && rank <= 999) {
        const QList<qint32> *ranks = ranksOf(tag);
        if (!ranks || rank >= ranks->size() || ranks->at(rank) < 0) return nullptr;
        return &m_entries.at(ranks->at(rank));
    }
    if (m_otherFirst.isEmpty()) return nullptr;
    return lookup(associationKey(tag, QByteArray::number(rank)));
}

QByteArray AssociationIndex::lineOf(qsizetype i) const {
    if (const auto it = m_rawLines.constFind(i); it != m_rawLines.cend()) return *it;
    const AssociationEntry &e = m_entries.at(i);
    return e.key + '\t' + e.file + '\t' + e.method;
}

QList<QByteArray> AssociationIndex::lines() const {
    QList<QByteArray> out;
    out.reserve(m_entries.size());
    for (qsizetype i = 0; i < m_entries.size(); ++i) out.append(lineOf(i));
    return out;
}

qsizetype AssociationIndex::indexOf(const QByteArray &key) const {
    const AssociationEntry *e = lookup(key);
    return e ? e - m_entries.constData() : -1;
}

bool AssociationIndex::isFirstOfKey(qsizetype i) const {
    const QByteArray &key = m_entries.at(i).key;
    return !key.isEmpty() && indexOf(key) == i;
}

}  // namespace vorq
