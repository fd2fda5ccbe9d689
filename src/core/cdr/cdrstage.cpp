#include "core/cdr/cdrstage.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <optional>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/cdr/stagesafety.h"
#include "core/charts/chartstore.h"
#include "core/lists/resultlist.h"
#include "core/settings/doubleini.h"
#include "core/settings/settingstable.h"
#include "core/text/sjistext.h"

namespace vorq::cdr {

// ---- size summary -----------------------------------------------------------

SummaryColour summaryColour(qint64 totalBytes) {
    if (totalBytes > kRedAbove) return SummaryColour::Red;
    if (totalBytes > kYellowAbove) return SummaryColour::Yellow;
    return SummaryColour::Black;
}

const char *colourName(SummaryColour c) {
    switch (c) {
        case SummaryColour::Red: return "red";
        case SummaryColour::Yellow: return "yellow";
        case SummaryColour::Black: break;
    }
    return "black";
}

QString groupDigits(qint64 n) {
    const bool negative = n < 0;
    const QString digits = QString::number(negative ? -n : n);
    QString out;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) out += QLatin1Char(',');
        out += digits.at(i);
    }
    return negative ? QLatin1Char('-') + out : out;
}

QString kibText(qint64 bytes) { return groupDigits(bytes / 1024).rightJustified(10, QLatin1Char(' ')); }
QString sizeText(qint64 bytes) { return groupDigits(bytes).rightJustified(8, QLatin1Char(' ')); }

qint64 sizeFromText(const QString &text) {
    QString digits = text;
    digits.remove(QLatin1Char(',')).remove(QLatin1Char(' '));
    return digits.toLongLong();
}

QByteArray upperAscii(const QByteArray &text) {
    QByteArray out = text;
    for (qsizetype i = 0; i < out.size(); i += sjis::charLength(out, i)) {
        const char c = out.at(i);
        if (c >= 'a' && c <= 'z') out[i] = char(c - 'a' + 'A');
    }
    return out;
}

QByteArray lastComponent(const QByteArray &path) { return fileNamePart(path); }

// ---- the session ----------------------------------------------------------------

namespace {

QByteArray folderOf(const QString &file) {
    QByteArray f;
    if (!sjis::tryFromUnicode(QFileInfo(file).absolutePath(), &f)) return {};
    return f.endsWith('/') ? f : f + '/';
}

// The date a file.idx key starts with; -1 when it does not.
int keyTag(const QByteArray &key) {
    if (key.size() < 8) return -1;
    int tag = 0;
    for (int i = 0; i < 8; ++i) {
        const char c = key.at(i);
        if (c < '0' || c > '9') return -1;
        tag = tag * 10 + (c - '0');
    }
    return tag;
}

}  // namespace

CdrSession::CdrSession(PathResolver resolve) : m_resolve(std::move(resolve)) {
    if (!m_resolve) m_resolve = [](const QByteArray &stored) { return sjis::path(stored); };
}

void CdrSession::start(const StageSource &source) {
    m_source = source;
    const QFileInfo program(source.programFile);
    m_programSize = program.isFile() ? program.size() : 0;

    // Chart files by lower-case name: the data folder may come from a
    // system that does not keep letter case.
    QHash<QString, QFileInfo> charts;
    const QDir data(sjis::path(source.dataFolder));
    for (const QFileInfo &fi : data.entryInfoList({QStringLiteral("*.txt")}, QDir::Files | QDir::Hidden))
        charts.insert(fi.fileName().toLower(), fi);

    m_notBroadcast = readNotFoundList(source.dataFolder, folderOf(source.programFile));
    for (const QByteArray &line : m_notBroadcast) m_programSize += line.size() + 2;

    m_dates.clear();
    m_dataSize = 0;
    const auto from = dateFromLabel(source.rangeStart);
    const auto to = dateFromLabel(source.rangeEnd);
    if (from && to) {
        const QSet<QByteArray> notFound(m_notBroadcast.begin(), m_notBroadcast.end());
        for (QDate d = *from; d <= *to; d = d.addDays(7)) {
            const QByteArray label = dateLabel(d);
            if (notFound.contains(label)) continue;
            const auto it = charts.constFind(QString::fromLatin1(dateKey(d)) + QStringLiteral(".txt"));
            if (it == charts.constEnd()) continue;
            m_dates.append({label, dateTag(d), it->absoluteFilePath(), it->size()});
            m_dataSize += it->size();
        }
    }

    m_index.clear();
    m_files.clear();
    m_fileByStored.clear();
    const QString indexFile = sjis::path(source.dataFolder + "file.idx");
    m_hasIndex = QFileInfo(indexFile).isFile();
    if (m_hasIndex) {
        const QByteArray text = readWholeFile(indexFile, 256 * 1024 * 1024);
        const QList<QByteArray> lines = lineViews(text);
        m_index.reserve(lines.size());
        for (const QByteArray &line : lines) {
            // Key TAB file [TAB method]: the method stays empty when the
            // line has none, as it goes on the medium.
            IndexLine l;
            const qsizetype t1 = line.indexOf('\t');
            l.key = QByteArray(line.constData(), t1 < 0 ? line.size() : t1);
            if (t1 >= 0) {
                const qsizetype t2 = line.indexOf('\t', t1 + 1);
                l.file = line.mid(t1 + 1, t2 < 0 ? -1 : t2 - t1 - 1);
                if (t2 >= 0) l.method = line.mid(t2 + 1);
            }
            l.tag = keyTag(l.key);
            if (!l.file.isEmpty() && !isWebTarget(l.file)) l.known = knownFile(l.file);
            m_index.append(std::move(l));
        }
    }
    m_first = 0;
    m_last = int(m_dates.size()) - 1;
    m_direction[0] = m_direction[1] = m_direction[2] = 1;
    rebuildAssociated();
}

int CdrSession::knownFile(const QByteArray &stored) {
    const auto it = m_fileByStored.constFind(stored);
    if (it != m_fileByStored.constEnd()) return *it;
    KnownFile k;
    const QString path = m_resolve(stored);
    const QFileInfo fi(path);
    QByteArray full;
    // A file that cannot be found has no size to count and nothing to copy.
    if (!path.isEmpty() && sjis::tryFromUnicode(fi.absoluteFilePath(), &full)) {
        const qsizetype slash = full.lastIndexOf('/');
        // The staged file.idx names it "\folder\name": a "\" of its own
        // would split the name.
        const bool badName = fi.fileName().contains(QLatin1Char('\\'));
        k.listable = fi.isFile() && !badName;
        if (fi.isDir())
            k.unlisted = LeftOut::Reason::Folder;
        else if (badName)
            k.unlisted = LeftOut::Reason::BadName;
        k.item = {full.mid(slash + 1), full.left(slash + 1), k.listable ? fi.size() : 0};
        // Also for a file not found: its line still takes a listed file
        // whose path differs only in letter case.
        k.upperPath = upperAscii(full);
    }
    const int index = int(m_files.size());
    m_files.append(std::move(k));
    m_fileByStored.insert(stored, index);
    return index;
}

bool CdrSession::addItem(const AssocItem &item, const QByteArray &upperPath) {
    if (m_listed.contains(upperPath)) return false;
    m_listed.insert(upperPath);
    m_items.append(item);
    m_assocSize += item.size;
    return true;
}

bool CdrSession::addKnown(int fileIndex) {
    const KnownFile &k = m_files.at(fileIndex);
    return k.listable && addItem(k.item, k.upperPath);
}

bool CdrSession::addFile(const QByteArray &stored) {
    if (stored.isEmpty() || isWebTarget(stored)) return false;
    return addKnown(knownFile(stored));
}

bool CdrSession::addLocalFile(const QString &path) {
    const QByteArray stored = sjis::fromUnicode(path);  // throws, naming the character
    if (QFileInfo(path).fileName().contains(QLatin1Char('\\')))
        throw FileError(
            QStringLiteral("%1\r\nファイル名に「\\」を含むファイルはディスクに書けません。").arg(path));
    return addFile(stored);
}

QList<LeftOut> CdrSession::leftOut() const {
    QList<LeftOut> out;
    if (m_first < 0 || m_last >= m_dates.size() || m_first > m_last) return out;
    const int firstTag = m_dates.at(m_first).tag, lastTag = m_dates.at(m_last).tag;
    QSet<QByteArray> seen;
    for (const IndexLine &l : m_index) {
        if (l.file.isEmpty() || l.tag < firstTag || l.tag > lastTag || seen.contains(l.file)) continue;
        std::optional<LeftOut::Reason> reason;
        if (l.known < 0) {
            if (isWebTarget(l.file)) reason = LeftOut::Reason::Web;
        } else if (const KnownFile &k = m_files.at(l.known); !k.listable) {
            reason = k.unlisted;
        } else if (!m_listed.contains(k.upperPath)) {
            reason = LeftOut::Reason::Removed;
        }
        if (!reason) continue;
        seen.insert(l.file);
        out.append({l.file, *reason});
    }
    return out;
}

const char *leftOutKey(LeftOut::Reason r) {
    switch (r) {
        case LeftOut::Reason::Web: return "web";
        case LeftOut::Reason::Folder: return "folder";
        case LeftOut::Reason::BadName: return "bad-name";
        case LeftOut::Reason::Removed: return "removed";
        case LeftOut::Reason::Missing: break;
    }
    return "missing";
}

QString leftOutText(LeftOut::Reason r) {
    switch (r) {
        case LeftOut::Reason::Web: return QStringLiteral("Web アドレス (そのまま残ります)");
        case LeftOut::Reason::Folder: return QStringLiteral("フォルダ");
        case LeftOut::Reason::BadName: return QStringLiteral("ファイル名に「\\」を含む");
        case LeftOut::Reason::Removed: return QStringLiteral("リストから外したファイル");
        case LeftOut::Reason::Missing: break;
    }
    return QStringLiteral("見つからないファイル");
}

void CdrSession::setRange(int first, int last) {
    m_first = first;
    m_last = last;
    m_dataSize = 0;
    for (int i = std::max(first, 0); i <= last && i < m_dates.size(); ++i) m_dataSize += m_dates.at(i).size;
    rebuildAssociated();
}

void CdrSession::rebuildAssociated() {
    m_items.clear();
    m_listed.clear();
    m_assocSize = 0;
    if (m_first < 0 || m_last >= m_dates.size() || m_first > m_last) return;
    const int firstTag = m_dates.at(m_first).tag, lastTag = m_dates.at(m_last).tag;
    for (const IndexLine &l : std::as_const(m_index))
        if (l.known >= 0 && l.tag >= firstTag && l.tag <= lastTag) addKnown(l.known);
}

void CdrSession::removeItems(QList<int> rows) {
    std::sort(rows.begin(), rows.end(), std::greater<int>());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    for (int r : rows) {
        if (r < 0 || r >= m_items.size()) continue;
        m_assocSize -= m_items.at(r).size;
        m_listed.remove(upperAscii(m_items.at(r).fullPath()));
        m_items.removeAt(r);
    }
}

void CdrSession::keepOnlyNames(const QList<QByteArray> &names) {
    QSet<QByteArray> wanted;
    for (const QByteArray &n : names) wanted.insert(upperAscii(n));
    QList<AssocItem> kept;
    for (const AssocItem &item : std::as_const(m_items)) {
        if (wanted.contains(upperAscii(item.name))) {
            kept.append(item);
        } else {
            m_assocSize -= item.size;
            m_listed.remove(upperAscii(item.fullPath()));
        }
    }
    m_items = std::move(kept);
}

void CdrSession::sortBy(int column) {
    if (column < 0 || column > 2) return;
    const int dir = m_direction[column] = -m_direction[column];
    QCollator collator;
    struct Keyed {
        AssocItem item;
        QString name, location;
    };
    QList<Keyed> keyed;
    keyed.reserve(m_items.size());
    for (const AssocItem &item : std::as_const(m_items))
        keyed.append({item, sjis::toUnicode(item.name), sjis::toUnicode(item.location)});
    // Sizes compare as numbers: the designed zero-padded text comparison
    // orders grouped sizes the same way.
    std::stable_sort(keyed.begin(), keyed.end(), [&](const Keyed &a, const Keyed &b) {
        int c = 0;
        if (column == 1) c = collator.compare(a.location, b.location);
        if (column == 2) c = a.item.size < b.item.size ? -1 : (a.item.size > b.item.size ? 1 : 0);
        if (c == 0) c = collator.compare(a.name, b.name);
        return c * dir < 0;
    });
    for (qsizetype i = 0; i < keyed.size(); ++i) m_items[i] = std::move(keyed[i].item);
}

QList<QByteArray> CdrSession::stagedIndex(const QByteArray &assocPrefix,
                                          const QList<QByteArray> &names) const {
    QList<QByteArray> out;
    if (m_first < 0 || m_last >= m_dates.size() || m_first > m_last) return out;
    const int firstTag = m_dates.at(m_first).tag, lastTag = m_dates.at(m_last).tag;
    const QList<QByteArray> given = names.isEmpty() ? discNames(m_items) : names;
    QHash<QByteArray, QByteArray> onDisc;  // upper-cased full path -> name on the medium
    for (qsizetype i = 0; i < m_items.size() && i < given.size(); ++i)
        onDisc.insert(upperAscii(m_items.at(i).fullPath()), given.at(i));
    for (const IndexLine &l : m_index) {
        if (l.tag < firstTag || l.tag > lastTag) continue;
        if (l.known >= 0) {
            const auto listed = onDisc.constFind(m_files.at(l.known).upperPath);
            if (listed == onDisc.constEnd()) continue;
            out.append(l.key + '\t' + assocPrefix + *listed + '\t' + l.method);
        } else if (isWebTarget(l.file)) {
            // An address works from anywhere: it goes on the medium as it is.
            out.append(l.key + '\t' + l.file + '\t' + l.method);
        }
    }
    return out;
}

QList<QByteArray> namesFromListFile(const QString &path) {
    QList<QByteArray> names;
    if (!QFileInfo(path).isFile()) return names;
    for (const QByteArray &line : sjis::readLines(path, 64 * 1024 * 1024)) {
        const QByteArray name = lastComponent(line.trimmed());
        if (!name.isEmpty()) names.append(name);
    }
    return names;
}

QList<QByteArray> namesInFolder(const QString &folder) {
    QList<QByteArray> names;
    const QDir dir(folder);
    for (const QString &n : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        QByteArray b;
        if (sjis::tryFromUnicode(n, &b)) names.append(b);
    }
    return names;
}

// ---- folders -------------------------------------------------------------------

namespace {
void addFolders(const QString &path, QStringList names, int depth, QList<FolderNode> &out) {
    const QDir dir(path);
    for (const QString &n :
         dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::NoSymLinks, QDir::NoSort)) {
        QStringList child = names;
        child.append(n);
        out.append({child, depth + 1});
        addFolders(dir.filePath(n), child, depth + 1, out);
    }
}
}  // namespace

QList<FolderNode> folderTree(const QString &root) {
    QList<FolderNode> out{{{}, 0}};
    addFolders(root, {}, 0, out);
    return out;
}

// ---- the finish ------------------------------------------------------------------

namespace {

QString folderPath(const QString &root, const QStringList &rel) {
    QString p = root;
    if (!p.endsWith(QLatin1Char('/'))) p += QLatin1Char('/');
    for (const QString &n : rel) p += n + QLatin1Char('/');
    return p;
}

QByteArray storedRel(const QStringList &rel) {
    QList<QByteArray> parts;
    for (const QString &n : rel) parts.append(sjis::fromUnicode(n));
    return parts.join('\\');
}

QByteArray shellQuoted(const QByteArray &text) {
    QByteArray q = text;
    q.replace('\'', "'\\''");
    return '\'' + q + '\'';
}

QString iniName(const StagePlan &plan) {
    // The copy's settings file: its base name is the program's.
    return QFileInfo(plan.programFiles.value(0)).completeBaseName() + QStringLiteral(".ini");
}

// The upper-cased names the plan's other files take in the association
// folder, which its files must not take too.
QSet<QByteArray> namesBeside(const StagePlan &p) {
    QStringList names;
    if (p.assocFolder == p.root) names << QStringLiteral("autorun.inf") << QStringLiteral("autorun.sh");
    if (p.assocFolder == p.programFolder) {
        for (const QString &f : p.programFiles) names << QFileInfo(f).fileName();
        names << iniName(p) << QStringLiteral("notfound.txt") << QStringLiteral("file.idx");
        for (const QString &f : p.dataFiles) names << QFileInfo(f).fileName();
    }
    QSet<QByteArray> out;
    for (const QString &n : names) {
        QByteArray b;
        if (sjis::tryFromUnicode(n, &b)) out.insert(upperAscii(b));
    }
    return out;
}

}  // namespace

StagePlan planStage(const CdrSession &session, const StageLayout &layout) {
    StagePlan p;
    p.root = folderPath(layout.root, {});
    p.programFolder = folderPath(layout.root, layout.programRel);
    p.assocFolder = folderPath(layout.root, layout.assocRel);
    const QFileInfo program(session.source().programFile);
    const QByteArray programName = sjis::fromUnicode(program.fileName());
    const QByteArray relP = storedRel(layout.programRel);
    const QByteArray relA = storedRel(layout.assocRel);
    p.programEntry = relP.isEmpty() ? programName : relP + '\\' + programName;
    p.autorunInf = {"[autorun]", "OPEN=" + p.programEntry, "ICON=" + p.programEntry + ",0"};
    // Desktops run autorun.sh from the root of a mounted medium (after
    // asking); it starts the program by its path relative to itself.
    QString relPath = layout.programRel.join(QLatin1Char('/'));
    if (!relPath.isEmpty()) relPath += QLatin1Char('/');
    p.autorunSh =
        "#!/bin/sh\n# Starts the program on this medium, wherever it is mounted.\nexec \"$(dirname "
        "\"$0\")\"/" +
        shellQuoted((relPath + program.fileName()).toUtf8()) + " \"$@\"\n";

    p.programFiles.append(program.absoluteFilePath());
    for (const char *side : {"readme.txt", "src.lzh"}) {
        const QString f = program.absoluteDir().filePath(QLatin1String(side));
        if (QFileInfo(f).isFile()) p.programFiles.append(f);
    }
    const settings::Setting &writeMode = settings::setting(settings::Key::WriteMode);
    p.restrictedIni = {QByteArray("[") + writeMode.section + ']', QByteArray(writeMode.key) + "=1"};
    p.notFound = session.notBroadcast();
    // The chart files counted in the data size: a date listed as not
    // broadcast is never shown, so its file is not carried either.
    const QList<DataDate> &dates = session.dataDates();
    for (int i = std::max(session.first(), 0); i <= session.last() && i < dates.size(); ++i)
        p.dataFiles.append(dates.at(i).file);
    // Two files of one name (a/x.mp3, b/x.mp3) must not land on one file
    // of the medium, with both associations pointing at it.
    const QList<QByteArray> names = discNames(session.items(), namesBeside(p));
    p.writeIndex = session.hasIndex();
    if (p.writeIndex)
        p.index = session.stagedIndex(relA.isEmpty() ? QByteArray("\\") : '\\' + relA + '\\', names);
    for (qsizetype i = 0; i < names.size(); ++i) {
        p.assocFiles.append(sjis::path(session.items().at(i).fullPath()));
        p.assocNames.append(sjis::path(names.at(i)));
    }
    return p;
}

QStringList StagePlan::targets() const {
    const auto into = [](const QString &folder, const QString &file) -> QString {
        return folder + QFileInfo(file).fileName();
    };
    QStringList t{root + QStringLiteral("autorun.inf"), root + QStringLiteral("autorun.sh")};
    for (const QString &f : programFiles) t.append(into(programFolder, f));
    t.append(programFolder + iniName(*this));
    t.append(programFolder + QStringLiteral("notfound.txt"));
    for (const QString &f : dataFiles) t.append(into(programFolder, f));
    if (writeIndex) t.append(programFolder + QStringLiteral("file.idx"));
    for (const QString &n : assocNames) t.append(assocFolder + n);
    return t;
}

void runStage(const StagePlan &plan, StageCopier &copier) {
    const auto names = [](const QStringList &files) {
        QStringList out;
        for (const QString &f : files) out.append(QFileInfo(f).fileName());
        return out;
    };
    const auto save = [](const QString &file, const QList<QByteArray> &lines) {
        sjis::saveFileNotThroughLinks(file, sjis::joinLines(lines));
    };
    QDir().mkpath(plan.programFolder);
    QDir().mkpath(plan.assocFolder);
    save(plan.root + QStringLiteral("autorun.inf"), plan.autorunInf);
    sjis::saveFileNotThroughLinks(plan.root + QStringLiteral("autorun.sh"), plan.autorunSh, true);
    for (const QString &f : plan.programFiles) copier.copy({f}, plan.programFolder, names({f}));
    save(plan.programFolder + iniName(plan), plan.restrictedIni);
    save(plan.programFolder + QStringLiteral("notfound.txt"), plan.notFound);
    if (!plan.dataFiles.isEmpty()) copier.copy(plan.dataFiles, plan.programFolder, names(plan.dataFiles));
    if (plan.writeIndex) save(plan.programFolder + QStringLiteral("file.idx"), plan.index);
    if (!plan.assocFiles.isEmpty()) copier.copy(plan.assocFiles, plan.assocFolder, plan.assocNames);
}

QStringList existingTargets(const StagePlan &plan) {
    QStringList out;
    for (const QString &t : plan.targets())
        if (QFileInfo::exists(t) && !out.contains(t)) out.append(t);
    return out;
}

QStringList restoreSources(const QString &programFile) {
    const QFileInfo program(programFile);
    QStringList out{program.absoluteFilePath()};
    for (const char *side : {"notfound.txt", "readme.txt", "src.lzh"}) {
        const QString f = program.absoluteDir().filePath(QLatin1String(side));
        if (QFileInfo(f).isFile()) out.append(f);
    }
    return out;
}

}  // namespace vorq::cdr
