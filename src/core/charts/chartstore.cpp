#include "core/charts/chartstore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/indexfile.h"
#include "core/charts/indexmerge.h"
#include "core/charts/mediumpath.h"
#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {
// 年, 月, 日 in Shift-JIS.
const QByteArray kNen("\x94\x4e", 2);
const QByteArray kGatsu("\x8c\x8e", 2);
const QByteArray kNichi("\x93\xfa", 2);
}  // namespace

QDate firstBroadcastDate() { return QDate(1995, 4, 8); }

QByteArray dateLabelFromTag(int tag) {
    const int y = tag / 10000, m = (tag % 10000) / 100, d = tag % 100;
    return QByteArray::number(y).rightJustified(4, '0') + kNen +
           QByteArray::number(m).rightJustified(2, '0') + kGatsu +
           QByteArray::number(d).rightJustified(2, '0') + kNichi;
}

QByteArray dateLabel(const QDate &d) { return dateLabelFromTag(dateTag(d)); }

std::optional<QDate> dateFromLabel(const QByteArray &label) {
    // yyyy 年 mm 月 dd 日: 14 bytes in Shift-JIS.
    if (label.size() != 14 || label.mid(4, 2) != kNen || label.mid(8, 2) != kGatsu ||
        label.mid(12, 2) != kNichi)
        return std::nullopt;
    bool ok1 = false, ok2 = false, ok3 = false;
    const int y = label.left(4).toInt(&ok1), m = label.mid(6, 2).toInt(&ok2),
              d = label.mid(10, 2).toInt(&ok3);
    if (!ok1 || !ok2 || !ok3) return std::nullopt;
    const QDate date(y, m, d);
    if (!date.isValid()) return std::nullopt;
    return date;
}

QByteArray dateKey(const QDate &d) { return QByteArray::number(dateTag(d)).rightJustified(8, '0'); }

int dateTag(const QDate &d) { return d.year() * 10000 + d.month() * 100 + d.day(); }

const QByteArray &ChartEntry::field(int i) const {
    switch (i) {
        case 0: return rank;
        case 1: return title;
        case 2: return artist;
        case 3: return file;
        default: return method;
    }
}

QByteArray &ChartEntry::field(int i) { return const_cast<QByteArray &>(std::as_const(*this).field(i)); }

ConvertError ConvertError::notInteger(const QString &text) {
    return ConvertError(QStringLiteral("'%1' は有効な整数ではありません。").arg(text));
}

namespace {

// The rank as the integer the key holds; nullopt when it is not one (an
// empty text, letters, out of int range).
std::optional<int> rankValue(const QByteArray &rank) {
    bool ok = false;
    const int v = rank.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return v;
}

// printf "%3.3d": at least three digits, the sign before them.
void appendRank3(QByteArray &out, int v) {
    const qint64 w = v;
    if (w < 0) out.append('-');
    const QByteArray digits = QByteArray::number(w < 0 ? -w : w);
    for (qsizetype i = digits.size(); i < 3; ++i) out.append('0');
    out.append(digits);
}

QByteArray keyOf(int tag, int rank) {
    QByteArray key = QByteArray::number(tag);
    key.reserve(key.size() + 4);
    appendRank3(key, rank);
    return key;
}

const QByteArray kNotFound("notfound.txt");

// Chart files are small; anything far larger is not one of ours and would
// only cost memory.
constexpr qint64 kMaxChartFileBytes = 64 * 1024 * 1024;

// "yyyymmdd.txt" from a date label's year, month and day positions.
QString fileNameOfLabel(const QByteArray &label) {
    const QByteArray name = label.left(4) + label.mid(6, 2) + label.mid(10, 2) + ".txt";
    return QString::fromLatin1(name).toLower();
}

}  // namespace

QByteArray associationKey(int tag, const QByteArray &rank) {
    const auto v = rankValue(rank);
    if (!v) throw ConvertError::notInteger(sjis::toUnicode(rank));
    return keyOf(tag, *v);
}

bool isWebTarget(const QByteArray &target) {
    return target.startsWith("http") || target.startsWith("ftp") || target.startsWith("mailto");
}

bool existenceTest(const QByteArray &target) { return resolveStoredTarget(target).exists; }

QList<QByteArray> readNotFoundList(const QByteArray &dataFolder, const QByteArray &programFolder) {
    QList<QByteArray> list;
    const QString own = sjis::path(dataFolder + kNotFound);
    if (QFileInfo(own).isFile()) list = sjis::readLines(own, kMaxIndexFileBytes);
    if (!programFolder.isEmpty()) {
        const QString shared = sjis::path(programFolder + kNotFound);
        // The same file when the data folder is the program folder.
        if (QFileInfo(shared).isFile() &&
            QFileInfo(shared).canonicalFilePath() != QFileInfo(own).canonicalFilePath()) {
            list += sjis::readLines(shared, kMaxIndexFileBytes);
            std::sort(list.begin(), list.end());
            list.erase(std::unique(list.begin(), list.end()), list.end());
        }
    }
    return list;
}

QList<QDate> broadcastCalendar(const QDate &today, const QSet<QByteArray> &notFound) {
    QList<QDate> out;
    for (QDate d = firstBroadcastDate(); d < today; d = d.addDays(7))
        if (!notFound.contains(dateLabel(d))) out.append(d);
    return out;
}

QList<QByteArray> buildDateList(const QDate &start, const QDate &end, const QSet<QByteArray> &notFound,
                                bool hideNoData, const QSet<QByteArray> &tabCaptions) {
    QList<QByteArray> out;
    if (!start.isValid() || !end.isValid()) return out;
    for (QDate d = start; d <= end; d = d.addDays(7)) {
        QByteArray label = dateLabel(d);
        if (notFound.contains(label)) continue;
        if (hideNoData && !tabCaptions.contains(label)) continue;
        out.append(std::move(label));
    }
    return out;
}

// ---- ChartStore -------------------------------------------------------------

bool isChartFileName(const QString &name) {
    if (name.size() != 12 || !name.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) return false;
    if (name.at(0) < QLatin1Char('1') || name.at(0) > QLatin1Char('9')) return false;
    for (int i = 1; i < 8; ++i)
        if (name.at(i) < QLatin1Char('0') || name.at(i) > QLatin1Char('9')) return false;
    return true;
}

QStringList ChartStore::listChartFiles() const {
    const QString folder = sjis::path(dataFolder);
    QDir dir(folder.isEmpty() ? QStringLiteral(".") : folder);
    const QStringList names =
        dir.entryList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    QStringList out;
    out.reserve(names.size());
    for (const QString &n : names)
        if (isChartFileName(n)) out.append(n);
    std::sort(out.begin(), out.end(),
              [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    for (QString &n : out) n.prepend(folder);
    return out;
}

void ChartStore::fullLoad(const QByteArray &startLabel, const QByteArray &endLabel, LoadObserver *observer) {
    LoadObserver none;
    LoadObserver &obs = observer ? *observer : none;

    // A folder without file.idx gets no associations: keeping the table of
    // another folder would attach its files to these charts and write them
    // into this folder's index at the next save.
    // The file system decides, not the existence test: a data folder whose
    // path begins with "http" or "ftp" is still a folder.
    holdDiskIndex(*this, readIndexFile(dataFolder));

    const QStringList files = listChartFiles();
    obs.progress(0);
    const QString startName = fileNameOfLabel(startLabel);
    const QString endName = fileNameOfLabel(endLabel);
    const qsizetype count = files.size();
    int n = static_cast<int>(tabs.size());
    for (qsizetype i = count - 1; i >= 0 && !obs.stopRequested(); --i) {
        const QString name = QFileInfo(files.at(i)).fileName().toLower();
        if (startName.compare(name, Qt::CaseInsensitive) <= 0 &&
            name.compare(endName, Qt::CaseInsensitive) <= 0) {
            obs.loading(dateLabelFromTag(name.left(8).toInt()));
            loadChartFile(n, files.at(i));
            obs.tableAdded(n);
            ++n;
        }
        obs.yield();
        obs.progress(static_cast<int>((count - i - 1) * 100 / count));
    }
}

QList<QByteArray> lineViews(const QByteArray &data) {
    QList<QByteArray> out;
    out.reserve(data.size() / 24 + 1);
    const char *p = data.constData();
    const char *const end = p + data.size();
    // memchr for each of the two line-end bytes is much faster than a byte
    // loop; the nearer one ends the line.
    const char *cr = static_cast<const char *>(std::memchr(p, '\r', end - p));
    const char *lf = static_cast<const char *>(std::memchr(p, '\n', end - p));
    while (p < end) {
        if (cr && cr < p) cr = static_cast<const char *>(std::memchr(p, '\r', end - p));
        if (lf && lf < p) lf = static_cast<const char *>(std::memchr(p, '\n', end - p));
        const char *eol = !cr ? lf : !lf ? cr : std::min(cr, lf);
        if (!eol) {
            out.append(QByteArray::fromRawData(p, end - p));
            break;
        }
        out.append(QByteArray::fromRawData(p, eol - p));
        p = eol + 1;
        if (*eol == '\r' && p < end && *p == '\n') ++p;
    }
    return out;
}

QByteArray readWholeFile(const QString &path, qint64 maxBytes) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("ファイル %1 を開けません: %2").arg(path, f.errorString()));
    const qint64 size = f.size();
    if (size > maxBytes)
        throw FileError(QStringLiteral("ファイル %1 は大きすぎます (%2 バイト)。").arg(path).arg(size));
    // Sized by the file, not by the limit: QIODevice::read(max) would
    // reserve the whole limit for every file.
    QByteArray data;
    if (size > 0) {
        data.resize(size);
        const qint64 got = f.read(data.data(), size);
        if (got < 0)
            throw FileError(QStringLiteral("ファイル %1 を読み込めません: %2").arg(path, f.errorString()));
        data.truncate(got);
    } else {
        data = f.readAll();  // a file whose size the system does not report
        if (data.size() > maxBytes) throw FileError(QStringLiteral("ファイル %1 は大きすぎます。").arg(path));
    }
    return data;
}

int ChartStore::loadChartFile(int index, const QString &path) {
    const QByteArray data = readWholeFile(path, kMaxChartFileBytes);
    return addChartTable(path, index, lineViews(data));
}

int ChartStore::addChartTable(const QString &fileName, int index, const QList<QByteArray> &lines) {
    const QString base = QFileInfo(fileName).completeBaseName();
    bool ok = false;
    const int tag = base.toInt(&ok, 10);
    if (!ok) throw ConvertError::notInteger(base);

    // The whole file is parsed before the tab exists, so a bad line leaves no
    // half-filled table behind.
    ChartTab tab;
    tab.tag = tag;
    tab.caption = dateLabelFromTag(tag);
    tab.rows.reserve(lines.size());
    const QList<qint32> *dateRanks = tag >= 10000000 && tag <= 99999999 ? associations.ranksOf(tag) : nullptr;
    for (qsizetype ln = 0; ln < lines.size(); ++ln) {
        const QByteArray &line = lines.at(ln);
        const qsizetype t1 = line.indexOf('\t');
        const QByteArray rank = t1 < 0 ? QByteArray() : QByteArray::fromRawData(line.constData(), t1);
        const auto value = rankValue(rank);
        if (!value) {
            throw ConvertError(
                ConvertError::notInteger(sjis::toUnicode(rank)).message() + QLatin1Char('\n') +
                QStringLiteral("%1 (%2 行目)").arg(QDir::toNativeSeparators(fileName)).arg(ln + 1));
        }
        ChartEntry e;
        e.rank = rankText(rank, *value);
        // Title and artist come together from one cache keyed by the raw
        // rest of the line: a song stays on the chart for weeks.
        const QByteArray rest = QByteArray::fromRawData(line.constData() + t1 + 1, line.size() - t1 - 1);
        const Song &song = songOf(rest);
        e.title = song.title;
        e.artist = song.artist;
        if (!journal.isEmpty()) {
            // An unsaved change of the key shows, as on every other row.
            if (const JournalEntry *j = journal.find(keyOf(tag, *value))) {
                if (!j->removed) {
                    const AssociationEntry a = AssociationIndex::parseLine(j->line);
                    e.file = a.file;
                    e.method = a.method;
                }
                tab.rows.append(std::move(e));
                continue;
            }
        }
        if (dateRanks && *value >= 0 && *value < dateRanks->size()) {
            if (const qint32 at = dateRanks->at(*value); at >= 0) {
                e.file = associations.at(at).file;
                e.method = associations.at(at).method;
            }
        } else if (const AssociationEntry *a = associations.lookup(tag, *value)) {
            e.file = a->file;
            e.method = a->method;
        }
        tab.rows.append(std::move(e));
    }

    if (index < 0) index = 0;
    if (index > tabs.size()) index = static_cast<int>(tabs.size());
    // The tables array becomes index + 1 long with the new table at index.
    tabs.resize(index);
    tabs.append(std::move(tab));
    return index;
}

void ChartStore::clear() {
    tabs.clear();
    journal.clear();
    m_pool.clear();
    m_songs.clear();
}

void ChartStore::noteRowChanged(int tab, int row) {
    const ChartTab &t = tabs.at(tab);
    const ChartEntry &e = t.rows.at(row);
    const QByteArray key = associationKey(t.tag, e.rank);
    const qsizetype at = associations.indexOf(key);
    const QByteArray base = at < 0 ? QByteArray() : associations.lineOf(at);
    if (e.file.isEmpty())
        journal.remove(key, at < 0 ? nullptr : &base);
    else
        journal.set(key, key + '\t' + e.file + '\t' + e.method, at < 0 ? nullptr : &base);
}

void ChartStore::discardChanges() {
    journal.clear();
    syncRows(*this);
}

int ChartStore::indexOfTag(int tag) const {
    for (qsizetype i = 0; i < tabs.size(); ++i)
        if (tabs.at(i).tag == tag) return static_cast<int>(i);
    return -1;
}

QSet<QByteArray> ChartStore::captions() const {
    QSet<QByteArray> out;
    out.reserve(tabs.size());
    for (const ChartTab &t : tabs) out.insert(t.caption);
    return out;
}

QByteArray ChartStore::intern(const QByteArray &text) {
    if (text.isEmpty()) return QByteArray();
    const auto it = m_pool.constFind(text);
    if (it != m_pool.cend()) return *it;
    // A deep copy: text may be a view into a buffer that goes away.
    QByteArray own(text.constData(), text.size());
    m_pool.insert(own);
    return own;
}

const ChartStore::Song &ChartStore::songOf(const QByteArray &rest) {
    const auto it = m_songs.constFind(rest);
    if (it != m_songs.cend()) return *it;
    const qsizetype t = rest.indexOf('\t');
    // With no second TAB the rest is the title and the artist is empty.
    Song song;
    song.title = intern(sjis::normalizeTitle(t < 0 ? rest : rest.left(t)));
    song.artist = t < 0 ? QByteArray() : intern(sjis::normalizeArtist(rest.mid(t + 1)));
    // A deep copy of the key: rest may be a view into a file buffer.
    return *m_songs.insert(QByteArray(rest.constData(), rest.size()), song);
}

QByteArray ChartStore::rankText(const QByteArray &raw, int value) {
    // Plain ranks 1-999 share one text each; any other spelling is kept as is.
    if (value > 0 && value < 1000) {
        if (m_ranks.isEmpty()) {
            m_ranks.reserve(1000);
            for (int i = 0; i < 1000; ++i) m_ranks.append(QByteArray::number(i));
        }
        const QByteArray &plain = m_ranks.at(value);
        if (plain == raw) return plain;
    }
    return intern(raw);
}

}  // namespace vorq
