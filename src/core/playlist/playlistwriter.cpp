#include "core/playlist/playlistwriter.h"

#include <sys/stat.h>

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QIODevice>
#include <QSaveFile>
#include <QUrl>
#include <QXmlStreamWriter>
#include <memory>

#include "core/base/errors.h"
#include "core/charts/mediumpath.h"
#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"

namespace vorq {

PlaylistEntry PlaylistEntry::fromSjis(const QByteArray &path, const QByteArray &title,
                                      const QByteArray &artist) {
    return {sjis::path(path), sjis::toUnicode(title), sjis::toUnicode(artist)};
}

std::optional<PlaylistFormat> playlistFormatForFileName(const QString &fileName) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("m3u8")) return PlaylistFormat::M3u8;
    if (suffix == QLatin1String("xspf")) return PlaylistFormat::Xspf;
    return std::nullopt;
}

std::optional<PlaylistFormat> playlistFormatByName(const QString &name) {
    if (name == QLatin1String("m3u8")) return PlaylistFormat::M3u8;
    if (name == QLatin1String("xspf")) return PlaylistFormat::Xspf;
    return std::nullopt;
}

QString playlistFormatExtension(PlaylistFormat format) {
    return format == PlaylistFormat::M3u8 ? QStringLiteral("m3u8") : QStringLiteral("xspf");
}

QString playlistFormatFilter(PlaylistFormat format) {
    return format == PlaylistFormat::M3u8 ? QStringLiteral("M3U8 (UTF-8, extended) (*.m3u8)")
                                          : QStringLiteral("XSPF (*.xspf)");
}

bool isWebAddress(const QString &path) {
    // A scheme of two letters or more: "C:" of a Windows path is no address.
    const qsizetype colon = path.indexOf(QLatin1Char(':'));
    if (colon < 2) return false;
    for (qsizetype i = 0; i < colon; ++i) {
        const QChar c = path.at(i);
        if (!(c.isLetterOrNumber() && c.unicode() < 0x80) && c != QLatin1Char('+') && c != QLatin1Char('-') &&
            c != QLatin1Char('.'))
            return false;
    }
    return path.at(0).isLetter();
}

namespace {

// The device of a path, or of its nearest existing ancestor: a file not
// there yet still belongs to the medium of its folder.
std::optional<dev_t> deviceOf(QString path) {
    for (int guard = 0; guard < 4096 && !path.isEmpty(); ++guard) {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) == 0) return st.st_dev;
        const QString parent = QFileInfo(path).path();
        if (parent == path) break;
        path = parent;
    }
    return std::nullopt;
}

bool sameMedium(const QString &a, const QString &b) {
    const auto da = deviceOf(a), db = deviceOf(b);
    return da && db && *da == *db;
}

QString oneLine(QString text) {
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

QString displayText(const PlaylistEntry &e) {
    const QString title = oneLine(e.title), artist = oneLine(e.artist);
    if (!artist.isEmpty() && !title.isEmpty()) return artist + QStringLiteral(" - ") + title;
    if (!artist.isEmpty() || !title.isEmpty()) return artist + title;
    return oneLine(QFileInfo(e.path).fileName());
}

// XML 1.0 cannot hold most control characters, not even escaped; a title
// from a hostile page must not make the whole file unreadable.
QString xmlSafe(const QString &text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        const bool allowed = u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u < 0xFFFE);
        out.append(allowed ? c : QChar(u' '));
    }
    return out;
}

bool writeAll(QIODevice *device, const QByteArray &bytes) { return device->write(bytes) == bytes.size(); }

// A location URI: file URL for an absolute path, a relative reference for
// a relative one (XSPF resolves it against the playlist).
QByteArray locationOf(const QString &path) {
    if (isWebAddress(path)) return QUrl(path, QUrl::TolerantMode).toEncoded();
    if (QDir::isAbsolutePath(path)) return QUrl::fromLocalFile(path).toEncoded();
    QUrl url;
    // "a:b.ogg" would otherwise read as a scheme.
    const bool colonFirst = path.section(QLatin1Char('/'), 0, 0).contains(QLatin1Char(':'));
    url.setPath(colonFirst ? QStringLiteral("./") + path : path, QUrl::DecodedMode);
    return url.toEncoded();
}

}  // namespace

QString playlistPath(const QString &path, const PlaylistOptions &options) {
    if (!options.relativePaths || options.baseFolder.isEmpty() || isWebAddress(path) ||
        !QDir::isAbsolutePath(path) || !sameMedium(path, options.baseFolder))
        return path;
    return QDir(options.baseFolder).relativeFilePath(path);
}

PlaylistSource PlaylistSource::of(const QList<PlaylistEntry> &entries) {
    return {entries.size(), [&entries](qint64 i) { return entries.at(qsizetype(i)); }};
}

namespace {
constexpr qsizetype kFlushAt = 1 << 16;
}  // namespace

bool writeM3u8(QIODevice *device, const QList<PlaylistEntry> &entries, const PlaylistOptions &options) {
    return writeExtendedPlaylistFrom(device, PlaylistFormat::M3u8, PlaylistSource::of(entries), options);
}

static bool writeM3u8Source(QIODevice *device, const PlaylistSource &source, const PlaylistOptions &options) {
    QByteArray out = QByteArrayLiteral("#EXTM3U") + options.lineEnd;
    for (qint64 i = 0; i < source.count; ++i) {
        const PlaylistEntry e = source.entryAt(i);
        QString path = playlistPath(e.path, options);
        if (path.contains(QLatin1Char('\n')) || path.contains(QLatin1Char('\r')))
            throw FileError(QStringLiteral("M3U8 に書けないファイル名です (改行を含む): %1").arg(path));
        // A relative path starting with "#" would read as a comment line.
        if (path.startsWith(QLatin1Char('#'))) path.prepend(QStringLiteral("./"));
        out += "#EXTINF:" + QByteArray::number(e.seconds < 0 ? -1 : e.seconds) + ',' +
               displayText(e).toUtf8() + options.lineEnd + path.toUtf8() + options.lineEnd;
        if (out.size() >= kFlushAt) {
            if (!writeAll(device, out)) return false;
            out.clear();
        }
    }
    return writeAll(device, out);
}

bool writeXspf(QIODevice *device, const QList<PlaylistEntry> &entries, const PlaylistOptions &options) {
    return writeExtendedPlaylistFrom(device, PlaylistFormat::Xspf, PlaylistSource::of(entries), options);
}

// QXmlStreamWriter writes to the device as it goes.
static bool writeXspfSource(QIODevice *device, const PlaylistSource &source, const PlaylistOptions &options) {
    QXmlStreamWriter xml(device);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(2);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("playlist"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("1"));
    xml.writeDefaultNamespace(QStringLiteral("http://xspf.org/ns/0/"));
    xml.writeStartElement(QStringLiteral("trackList"));
    for (qint64 i = 0; i < source.count && !xml.hasError(); ++i) {
        const PlaylistEntry e = source.entryAt(i);
        xml.writeStartElement(QStringLiteral("track"));
        xml.writeTextElement(QStringLiteral("location"),
                             QString::fromLatin1(locationOf(playlistPath(e.path, options))));
        if (!e.title.isEmpty()) xml.writeTextElement(QStringLiteral("title"), xmlSafe(e.title));
        if (!e.artist.isEmpty()) xml.writeTextElement(QStringLiteral("creator"), xmlSafe(e.artist));
        if (e.seconds >= 0)
            xml.writeTextElement(QStringLiteral("duration"), QString::number(qint64(e.seconds) * 1000));
        xml.writeEndElement();
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    return !xml.hasError();
}

bool writeExtendedPlaylist(QIODevice *device, PlaylistFormat format, const QList<PlaylistEntry> &entries,
                           const PlaylistOptions &options) {
    return writeExtendedPlaylistFrom(device, format, PlaylistSource::of(entries), options);
}

bool writeExtendedPlaylistFrom(QIODevice *device, PlaylistFormat format, const PlaylistSource &source,
                               const PlaylistOptions &options) {
    return format == PlaylistFormat::M3u8 ? writeM3u8Source(device, source, options)
                                          : writeXspfSource(device, source, options);
}

void saveExtendedPlaylist(const QString &fileName, PlaylistFormat format, const QList<PlaylistEntry> &entries,
                          PlaylistOptions options) {
    saveExtendedPlaylistFrom(fileName, format, PlaylistSource::of(entries), std::move(options));
}

void saveExtendedPlaylistFrom(const QString &fileName, PlaylistFormat format, const PlaylistSource &entries,
                              PlaylistOptions options) {
    if (options.baseFolder.isEmpty()) options.baseFolder = QFileInfo(fileName).absolutePath();
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2").arg(fileName, f.errorString()));
    if (!writeExtendedPlaylistFrom(&f, format, entries, options) || !f.commit())
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2").arg(fileName, f.errorString()));
}

// ---- the designed path lists ------------------------------------------------

namespace {

constexpr qsizetype kChunk = 1 << 16;

// A medium-rooted file ("\music\a.mp3") as the path it resolves to on the
// medium the program runs from: a player cannot look it up. Other texts are
// written as stored.
QByteArray playlistText(const QByteArray &stored) {
    if (!isMediumRooted(stored)) return stored;
    const StoredTarget t = resolveStoredTarget(stored);
    QByteArray out;
    return !t.localPath.isEmpty() && sjis::tryFromUnicode(t.localPath, &out) ? out : stored;
}

}  // namespace

bool writePathList(QIODevice *device, const ResultList &rows, qint64 count) {
    QList<QByteArray> withFile;
    for (qsizetype i = 0; i < rows.size(); ++i)
        if (!rows.at(i).text(ResultRow::File).isEmpty())
            withFile.append(playlistText(rows.at(i).text(ResultRow::File)));
    QByteArray buf;
    for (qint64 k = 0; k < count && !withFile.isEmpty(); ++k) {
        buf += withFile.at(qsizetype(k % withFile.size()));
        buf += "\r\n";
        if (buf.size() >= kChunk) {
            if (!writeAll(device, buf)) return false;
            buf.clear();
        }
    }
    return writeAll(device, buf);
}

void savePathList(const QString &fileName, const ResultList &rows, qint64 count) {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2").arg(fileName, f.errorString()));
    if (!writePathList(&f, rows, count) || !f.commit())
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2").arg(fileName, f.errorString()));
}

// ---- the result list's playlist --------------------------------------------

namespace {

PlaylistEntry entryOf(const ResultRow &r, const QByteArray &path) {
    return PlaylistEntry::fromSjis(playlistText(path), r.text(ResultRow::Title), r.text(ResultRow::Artist));
}

}  // namespace

PlaylistSource playlistEntrySource(const ResultList &rows, qint64 count) {
    // Decode each row once, however often the wrap-around repeats it.
    auto once = std::make_shared<QList<PlaylistEntry>>();
    for (const ResultRow &r : rows)
        if (!r.text(ResultRow::File).isEmpty()) once->append(entryOf(r, r.text(ResultRow::File)));
    if (count <= 0 || once->isEmpty()) return {};
    return {count, [once](qint64 k) { return once->at(qsizetype(k % once->size())); }};
}

QList<PlaylistEntry> playlistEntries(const ResultList &rows, qint64 count) {
    const PlaylistSource source = playlistEntrySource(rows, count);
    QList<PlaylistEntry> out;
    out.reserve(qsizetype(source.count));
    for (qint64 k = 0; k < source.count; ++k) out.append(source.entryAt(k));
    return out;
}

QList<PlaylistEntry> playlistCopyEntries(const ResultList &rows, const PlaylistCopy &copy) {
    QHash<QByteArray, const ResultRow *> firstRow;
    for (const ResultRow &r : rows)
        if (!r.text(ResultRow::File).isEmpty() && !firstRow.contains(r.text(ResultRow::File)))
            firstRow.insert(r.text(ResultRow::File), &r);
    QList<PlaylistEntry> out;
    for (qsizetype i = 0; i < copy.sources.size() && i < copy.lines.size(); ++i) {
        const ResultRow *r = firstRow.value(copy.sources.at(i));
        out.append(r ? entryOf(*r, copy.lines.at(i)) : PlaylistEntry::fromSjis(copy.lines.at(i), {}, {}));
    }
    return out;
}

QString extendedPlaylistFilter(const QString &designedFilter) {
    return designedFilter + QStringLiteral(";;") + playlistFormatFilter(PlaylistFormat::M3u8) +
           QStringLiteral(";;") + playlistFormatFilter(PlaylistFormat::Xspf);
}

bool isPlaylistFormatName(const QString &name) {
    return name == QLatin1String("m3u") || playlistFormatByName(name).has_value();
}

void saveResultPlaylist(const QString &fileName, const ResultList &rows, qint64 count,
                        const QString &formatName, bool relative) {
    const auto format =
        formatName.isEmpty() ? playlistFormatForFileName(fileName) : playlistFormatByName(formatName);
    if (!format) {
        savePathList(fileName, rows, count);
        return;
    }
    PlaylistOptions options;
    options.relativePaths = relative;
    saveExtendedPlaylistFrom(fileName, *format, playlistEntrySource(rows, count), options);
}

}  // namespace vorq
