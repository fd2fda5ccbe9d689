#include "core/library/libraryscan.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>

#include "core/base/errors.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

const QByteArray kCacheHeader = "vorq library cache 1";

// Fields are TAB-separated, one entry a line: tabs, line ends and
// backslashes inside a text are escaped.
QByteArray escapeField(const QString &text) {
    QByteArray out;
    const QByteArray utf8 = text.toUtf8();
    out.reserve(utf8.size());
    for (char c : utf8) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            default: out += c;
        }
    }
    return out;
}

bool unescapeField(const QByteArray &field, QString *text) {
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++i == field.size()) return false;
        switch (field[i]) {
            case '\\': out += '\\'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            default: return false;
        }
    }
    *text = QString::fromUtf8(out);
    return true;
}

bool isInside(const QString &path, const QString &root) {
    return path == root || path.startsWith(root.endsWith(u'/') ? root : root + u'/');
}

}  // namespace

bool isMusicFileName(const QString &name) {
    static const QStringList kExtensions = {
        QStringLiteral("mp3"),  QStringLiteral("flac"), QStringLiteral("ogg"), QStringLiteral("oga"),
        QStringLiteral("opus"), QStringLiteral("m4a"),  QStringLiteral("wav")};
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return false;
    const QString ext = name.mid(dot + 1).toLower();
    return kExtensions.contains(ext);
}

std::pair<QString, QString> tagsFromFileName(const QString &path) {
    const QFileInfo info(path);
    QString base = info.completeBaseName().trimmed();
    static const QRegularExpression track(QStringLiteral("^\\d{1,3}(\\s*[-._]\\s*|\\s+)"));
    const QRegularExpressionMatch m = track.match(base);
    if (m.hasMatch() && m.capturedLength() < base.size()) base = base.mid(m.capturedLength()).trimmed();
    qsizetype cut = base.indexOf(QStringLiteral(" - "));
    int sepLength = 3;
    if (cut < 0) {
        cut = base.indexOf(u'-');
        sepLength = 1;
    }
    if (cut > 0 && cut + sepLength < base.size())
        return {base.mid(cut + sepLength).trimmed(), base.left(cut).trimmed()};
    return {base, info.dir().dirName()};
}

// ---- cache -----------------------------------------------------------------

bool ScanCache::read(QIODevice *device) {
    m_entries.clear();
    m_changed = false;
    if (device->readLine().trimmed() != kCacheHeader) return false;
    QHash<QString, Entry> entries;
    while (!device->atEnd()) {
        QByteArray line = device->readLine();
        if (line.endsWith('\n')) line.chop(1);
        if (line.isEmpty()) continue;
        const QList<QByteArray> f = line.split('\t');
        if (f.size() != 7 || entries.size() >= kMaxEntries) return false;
        Entry e;
        QString path;
        bool ok1 = false, ok2 = false, ok3 = false;
        e.size = f[1].toLongLong(&ok1);
        e.mtimeMs = f[2].toLongLong(&ok2);
        e.tags.seconds = f[3].toInt(&ok3);
        if (!ok1 || !ok2 || !ok3 || (f[4] != "0" && f[4] != "1")) return false;
        e.readable = f[4] == "1";
        if (!unescapeField(f[0], &path) || !unescapeField(f[5], &e.tags.title) ||
            !unescapeField(f[6], &e.tags.artist) || path.isEmpty())
            return false;
        entries.insert(path, e);
    }
    m_entries = std::move(entries);
    return true;
}

void ScanCache::load(const QString &fileName) {
    QFile file(fileName);
    m_entries.clear();
    m_changed = false;
    if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileBytes) return;
    if (!read(&file)) m_entries.clear();
}

void ScanCache::write(QIODevice *device) const {
    QList<QString> paths = m_entries.keys();
    std::sort(paths.begin(), paths.end());
    if (paths.size() > kMaxEntries) paths.resize(kMaxEntries);
    QByteArray out = kCacheHeader + '\n';
    for (const QString &p : paths) {
        const Entry &e = m_entries[p];
        out += escapeField(p) + '\t' + QByteArray::number(e.size) + '\t' + QByteArray::number(e.mtimeMs) +
               '\t' + QByteArray::number(e.tags.seconds) + '\t' + (e.readable ? "1" : "0") + '\t' +
               escapeField(e.tags.title) + '\t' + escapeField(e.tags.artist) + '\n';
        if (out.size() > (1 << 20)) {
            device->write(out);
            out.clear();
        }
    }
    device->write(out);
}

void ScanCache::save(const QString &fileName) const {
    QDir().mkpath(QFileInfo(fileName).absolutePath());
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly)) throw FileError(file.errorString());
    write(&file);
    if (file.error() != QFileDevice::NoError || !file.commit()) throw FileError(file.errorString());
}

const ScanCache::Entry *ScanCache::find(const QString &path, qint64 size, qint64 mtimeMs) const {
    auto it = m_entries.constFind(path);
    if (it == m_entries.constEnd() || it->size != size || it->mtimeMs != mtimeMs) return nullptr;
    return &*it;
}

void ScanCache::put(const QString &path, const Entry &entry) {
    m_entries.insert(path, entry);
    m_changed = true;
}

void ScanCache::keepOnly(const QString &root, const QHash<QString, bool> &seen) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (isInside(it.key(), root) && !seen.contains(it.key())) {
            it = m_entries.erase(it);
            m_changed = true;
        } else {
            ++it;
        }
    }
    // Bounded: entries of other folders give way to this scan's.
    for (auto it = m_entries.begin(); m_entries.size() > kMaxEntries && it != m_entries.end();) {
        if (!seen.contains(it.key())) {
            it = m_entries.erase(it);
            m_changed = true;
        } else {
            ++it;
        }
    }
}

// vorqview's folder, so the viewer and vorq share one cache.
QString defaultScanCachePath() {
    return sjis::path(GetUserSettingsFolder("vorqview")) + QStringLiteral("library-cache.txt");
}

// ---- scan ------------------------------------------------------------------

ScanResult scanLibrary(const QString &rootPath, TagReader &reader, ScanCache *cache,
                       const ScanProgress &progress) {
    ScanResult result;
    const QString root = QFileInfo(rootPath).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        throw FileError(QStringLiteral("フォルダがありません : ") + rootPath);
    QSet<QString> visited{root};
    QHash<QString, bool> seen;
    QList<QString> pending{root};
    while (!pending.isEmpty() && !result.stopped) {
        const QString folder = pending.takeLast();
        // Hidden entries are not listed without QDir::Hidden.
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            QString path = entry.absoluteFilePath();
            if (entry.isSymLink()) {
                const QString target = entry.canonicalFilePath();
                if (target.isEmpty() || !isInside(target, root)) continue;
                path = target;
            }
            if (entry.isDir()) {
                const QString canonical = entry.isSymLink() ? path : entry.canonicalFilePath();
                if (!visited.contains(canonical)) {
                    visited.insert(canonical);
                    pending.push_back(canonical);
                }
                continue;
            }
            if (!entry.isFile() || !isMusicFileName(entry.fileName())) continue;
            if (seen.contains(path)) continue;
            seen.insert(path, true);
            const qint64 size = entry.size();
            const qint64 mtime = entry.lastModified().toMSecsSinceEpoch();
            ScanCache::Entry e;
            if (const ScanCache::Entry *hit = cache ? cache->find(path, size, mtime) : nullptr) {
                e = *hit;
            } else {
                ++result.opened;
                const std::optional<FileTags> tags = reader.read(path);
                e = {size, mtime, tags.has_value(), tags.value_or(FileTags{})};
                if (cache) cache->put(path, e);
            }
            LibraryFile file;
            file.path = path;
            file.seconds = e.tags.seconds;
            file.fromTags = !e.tags.title.isEmpty() && !e.tags.artist.isEmpty();
            if (e.tags.title.isEmpty()) {
                std::tie(file.title, file.artist) = tagsFromFileName(path);
                if (!e.tags.artist.isEmpty()) file.artist = e.tags.artist;
            } else {
                file.title = e.tags.title;
                file.artist = e.tags.artist.isEmpty() ? QFileInfo(path).dir().dirName() : e.tags.artist;
            }
            if (!sjis::tryFromUnicode(path, &file.storedPath)) {
                file.storedPath.clear();
                ++result.unnamable;
            }
            result.files.push_back(std::move(file));
            if (progress && result.files.size() % 64 == 0 && !progress(result.files.size())) {
                result.stopped = true;
                break;
            }
        }
    }
    std::sort(result.files.begin(), result.files.end(),
              [](const LibraryFile &a, const LibraryFile &b) { return a.path < b.path; });
    if (cache && !result.stopped) cache->keepOnly(root, seen);
    return result;
}

}  // namespace vorq
