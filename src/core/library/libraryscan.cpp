#include "core/library/libraryscan.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <algorithm>

#include "core/base/errors.h"
#include "core/library/matchtext.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

// Version 2 added the album and counts only files with audio as readable.
const QByteArray kCacheHeader = "vorq library cache 2";

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

namespace {

// The folder of a file and, when it is still inside root, the one above:
// "Artist/NN title" or "Artist/Album/NN title".
QStringList folderArtists(const QString &path, const QString &root) {
    const QDir folder = QFileInfo(path).dir();
    QStringList out{folder.dirName()};
    QDir above = folder;
    if (!root.isEmpty() && above.cdUp() && above.absolutePath().startsWith(QDir(root).absolutePath() + u'/'))
        out << above.dirName();
    return out;
}

}  // namespace

QList<TextReading> fileNameReadings(const QString &path, const QString &root) {
    QString base = QFileInfo(path).completeBaseName().trimmed();
    static const QRegularExpression track(QStringLiteral("^\\d{1,3}(\\s*[-._]\\s*|\\s+)"));
    const QRegularExpressionMatch m = track.match(base);
    if (m.hasMatch() && m.capturedLength() < base.size()) base = base.mid(m.capturedLength()).trimmed();
    QList<TextReading> out;
    auto add = [&](const QString &title, const QString &artist) {
        const TextReading r{title.trimmed(), artist.trimmed()};
        if (r.title.isEmpty()) return;
        for (const TextReading &o : out)
            if (o.title == r.title && o.artist == r.artist) return;
        out.push_back(r);
    };
    qsizetype cut = base.indexOf(QStringLiteral(" - "));
    int sepLength = 3;
    if (cut < 0) {
        cut = base.indexOf(u'-');
        sepLength = 1;
    }
    if (cut > 0 && cut + sepLength < base.size()) {
        add(base.mid(cut + sepLength), base.left(cut));
        add(base.left(cut), base.mid(cut + sepLength));
    }
    for (const QString &artist : folderArtists(path, root)) add(base, artist);
    if (out.isEmpty()) out.push_back({base, QFileInfo(path).dir().dirName()});
    return out;
}

std::pair<QString, QString> tagsFromFileName(const QString &path) {
    const TextReading r = fileNameReadings(path).constFirst();
    return {r.title, r.artist};
}

QString leftOutReasonText(LeftOutReason reason) {
    switch (reason) {
        case LeftOutReason::Empty: return QStringLiteral("空のファイル");
        case LeftOutReason::Unreadable: return QStringLiteral("読めないファイル");
        case LeftOutReason::NotAudio: return QStringLiteral("音声のないファイル");
        case LeftOutReason::Unnamable: return QStringLiteral("Shift-JISで表せない名前");
        case LeftOutReason::LinkOutside: return QStringLiteral("フォルダの外へのリンク");
    }
    return {};
}

QString leftOutReasonKey(LeftOutReason reason) {
    switch (reason) {
        case LeftOutReason::Empty: return QStringLiteral("empty");
        case LeftOutReason::Unreadable: return QStringLiteral("unreadable");
        case LeftOutReason::NotAudio: return QStringLiteral("not_audio");
        case LeftOutReason::Unnamable: return QStringLiteral("unnamable");
        case LeftOutReason::LinkOutside: return QStringLiteral("link_outside");
    }
    return {};
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
        if (f.size() != 8 || entries.size() >= kMaxEntries) return false;
        Entry e;
        QString path;
        bool ok1 = false, ok2 = false, ok3 = false;
        e.size = f[1].toLongLong(&ok1);
        e.mtimeMs = f[2].toLongLong(&ok2);
        e.tags.seconds = f[3].toInt(&ok3);
        if (!ok1 || !ok2 || !ok3 || (f[4] != "0" && f[4] != "1")) return false;
        e.readable = f[4] == "1";
        if (!unescapeField(f[0], &path) || !unescapeField(f[5], &e.tags.title) ||
            !unescapeField(f[6], &e.tags.artist) || !unescapeField(f[7], &e.tags.album) || path.isEmpty())
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
               escapeField(e.tags.title) + '\t' + escapeField(e.tags.artist) + '\t' +
               escapeField(e.tags.album) + '\n';
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

namespace {

// The title and artist of a file from its tags and, where they are
// missing, from its name and folders.
void readTexts(LibraryFile &file, const FileTags &tags, const QString &root) {
    file.seconds = tags.seconds;
    file.album = tags.album;
    file.fromTags = !tags.title.isEmpty() && !tags.artist.isEmpty();
    if (!tags.title.isEmpty()) {
        // Without an artist tag the folders name the artist.
        const QStringList artists =
            tags.artist.isEmpty() ? folderArtists(file.path, root) : QStringList{tags.artist};
        file.title = tags.title;
        file.artist = artists.constFirst();
        for (qsizetype i = 1; i < artists.size(); ++i) file.otherReadings.push_back({tags.title, artists[i]});
    } else {
        const QList<TextReading> names = fileNameReadings(file.path, root);
        for (qsizetype i = 0; i < names.size(); ++i) {
            const TextReading r{names[i].title, tags.artist.isEmpty() ? names[i].artist : tags.artist};
            if (i == 0) {
                file.title = r.title;
                file.artist = r.artist;
            } else if (r.title != file.title || r.artist != file.artist) {
                file.otherReadings.push_back(r);
            }
        }
    }
    // ID3v1 holds 30 bytes; a title of that length may be the start of a longer one.
    if (!tags.title.isEmpty()) {
        QByteArray bytes;
        const qsizetype length = sjis::tryFromUnicode(tags.title, &bytes) ? bytes.size() : tags.title.size();
        file.titleMayBeCut = length >= 29 && length <= 30;
    }
}

// The version markers of the folders between root and the file, and of the
// album; the artist's own name does not count ("Live Spark/...").
void readVersionPlace(LibraryFile &file, const QString &root) {
    const QString artistKey = foldForMatch(file.artist.toCaseFolded());
    QStringList places =
        QDir(root).relativeFilePath(QFileInfo(file.path).path()).split(u'/', Qt::SkipEmptyParts);
    if (!file.album.isEmpty()) places << file.album;
    for (const QString &place : places) {
        if (place == QStringLiteral(".") || place == QStringLiteral("..")) continue;
        QString text = place;
        if (!file.artist.isEmpty()) text.remove(file.artist, Qt::CaseInsensitive);
        if (!artistKey.isEmpty() && foldForMatch(text.toCaseFolded()) == artistKey) continue;
        const QStringList keys = folderVersionMarkers(text);
        if (keys.isEmpty()) continue;
        for (const QString &k : keys)
            if (!file.versionMarkers.contains(k)) file.versionMarkers << k;
        if (file.versionPlace.isEmpty()) file.versionPlace = place;
    }
    std::sort(file.versionMarkers.begin(), file.versionMarkers.end());
}

}  // namespace

ScanResult scanLibrary(const QString &rootPath, TagReader &reader, ScanCache *cache,
                       const ScanProgress &progress) {
    ScanResult result;
    const QString root = QFileInfo(rootPath).canonicalFilePath();
    if (root.isEmpty() || !QFileInfo(root).isDir())
        throw FileError(QStringLiteral("フォルダがありません : ") + rootPath);
    QSet<QString> visited{root};
    QHash<QString, bool> seen;
    QList<QString> pending{root};
    auto leaveOut = [&](LibraryFile file, LeftOutReason reason) {
        result.leftOut.push_back({std::move(file), reason});
    };
    auto byName = [&](const QString &path) {
        LibraryFile file;
        file.path = path;
        readTexts(file, {}, root);
        sjis::tryFromUnicode(path, &file.storedPath);
        return file;
    };
    qsizetype found = 0;
    while (!pending.isEmpty() && !result.stopped) {
        const QString folder = pending.takeLast();
        // Hidden entries are not listed without QDir::Hidden.
        const QFileInfoList entries = QDir(folder).entryInfoList(
            QDir::Dirs | QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &entry : entries) {
            QString path = entry.absoluteFilePath();
            if (entry.isSymLink()) {
                const QString target = entry.canonicalFilePath();
                // A link to nothing, or out of the library: listed when it
                // looks like music or leads to a folder.
                if (target.isEmpty()) {
                    if (isMusicFileName(entry.fileName())) leaveOut(byName(path), LeftOutReason::Unreadable);
                    continue;
                }
                if (!isInside(target, root)) {
                    if (isMusicFileName(entry.fileName()) || QFileInfo(target).isDir())
                        leaveOut(byName(path), LeftOutReason::LinkOutside);
                    continue;
                }
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
            if (size == 0) {
                leaveOut(byName(path), LeftOutReason::Empty);
                continue;
            }
            const qint64 mtime = entry.lastModified().toMSecsSinceEpoch();
            ScanCache::Entry e;
            if (const ScanCache::Entry *hit = cache ? cache->find(path, size, mtime) : nullptr) {
                e = *hit;
            } else {
                ++result.opened;
                const std::optional<FileTags> tags = reader.read(path);
                e = {size, mtime, tags.has_value(), tags.value_or(FileTags{})};
                // A file that cannot be opened now may be readable later:
                // it is not remembered.
                if (!tags && !QFile(path).open(QIODevice::ReadOnly)) {
                    leaveOut(byName(path), LeftOutReason::Unreadable);
                    continue;
                }
                if (cache) cache->put(path, e);
            }
            LibraryFile file;
            file.path = path;
            readTexts(file, e.tags, root);
            readVersionPlace(file, root);
            if (!e.readable)
                leaveOut(std::move(file), LeftOutReason::NotAudio);
            else if (!sjis::tryFromUnicode(path, &file.storedPath))
                leaveOut(std::move(file), LeftOutReason::Unnamable);
            else
                result.files.push_back(std::move(file));
            if (progress && ++found % 64 == 0 && !progress(found)) {
                result.stopped = true;
                break;
            }
        }
    }
    auto byPath = [](const auto &a, const auto &b) { return a.path < b.path; };
    std::sort(result.files.begin(), result.files.end(), byPath);
    std::sort(result.leftOut.begin(), result.leftOut.end(),
              [&](const LeftOutFile &a, const LeftOutFile &b) { return byPath(a.file, b.file); });
    if (cache && !result.stopped) cache->keepOnly(root, seen);
    return result;
}

}  // namespace vorq
