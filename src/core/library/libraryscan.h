#pragma once
// Scanning a music library: a folder tree, its music files and their tags,
// with a cache (path, size, modification time -> tags) so that a rescan of
// an unchanged library opens no file.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

#include "core/library/tagreader.h"

class QIODevice;

namespace vorq {

// One more way to read a file's title and artist than its tags or the
// likeliest reading of its name.
struct TextReading {
    QString title, artist;
};

struct LibraryFile {
    QString path;           // absolute
    QByteArray storedPath;  // the path as file.idx stores it; empty when Shift-JIS cannot name it
    QString title, artist;  // from the tags, else from the file's name
    int seconds = 0;
    bool fromTags = false;  // title and artist both came from tags
    QString album;          // the album tag
    // The other readings of its name and folders ("artist - title" or
    // "title - artist"; the folder or the one above as artist).
    QList<TextReading> otherReadings;
    // Version markers of its folders below the library folder and of its
    // album ("LIVE TOUR 2004": live), and where they stand, as written.
    QStringList versionMarkers;
    QString versionPlace;
    bool titleMayBeCut = false;  // a tag title as long as ID3v1 holds
};

// The readings a file's name gives when its tags have none, likeliest
// first: "NN - artist - title", "artist - title" (and "title - artist"),
// "artist-title", or the title alone (a leading track number dropped) with
// the folder's name as artist, or the one above it ("Artist/Album/NN
// title") when that is still inside root.
QList<TextReading> fileNameReadings(const QString &path, const QString &root = QString());

// The likeliest of them.
std::pair<QString, QString> tagsFromFileName(const QString &path);

// Whether the name ends in a music extension the scanner reads.
bool isMusicFileName(const QString &name);

// Why a music file is not matched.
enum class LeftOutReason {
    Empty,        // no byte in it
    Unreadable,   // cannot be opened, or a link to nothing
    NotAudio,     // no audio the tag library finds
    Unnamable,    // a path Shift-JIS cannot hold, which file.idx cannot store
    LinkOutside,  // a link leading out of the library folder
};
QString leftOutReasonText(LeftOutReason reason);  // Japanese, for the screen
QString leftOutReasonKey(LeftOutReason reason);   // "empty", "unreadable", ... for vorq

struct LeftOutFile {
    LibraryFile file;  // its tags when they were read, else its name's reading
    LeftOutReason reason;
};

class ScanCache {
public:
    struct Entry {
        qint64 size = 0;
        qint64 mtimeMs = 0;
        bool readable = false;  // the reader found audio in the file
        FileTags tags;
    };
    static constexpr qsizetype kMaxEntries = 400000;
    static constexpr qint64 kMaxFileBytes = 128ll * 1024 * 1024;

    // Reads the cache; a missing, oversized or corrupt file leaves it empty
    // (it is only a cache: scanning again is the remedy).
    void load(const QString &fileName);
    bool read(QIODevice *device);
    // Writes atomically (QSaveFile); throws FileError. At most kMaxEntries,
    // the ones seen by the last scan first.
    void save(const QString &fileName) const;
    void write(QIODevice *device) const;

    const Entry *find(const QString &path, qint64 size, qint64 mtimeMs) const;
    void put(const QString &path, const Entry &entry);
    // Drops the entries under root that the scan did not see.
    void keepOnly(const QString &root, const QHash<QString, bool> &seen);
    qsizetype size() const { return m_entries.size(); }
    bool changed() const { return m_changed; }

private:
    QHash<QString, Entry> m_entries;
    bool m_changed = false;
};

// The cache's place: the user settings folder of the program.
QString defaultScanCachePath();

struct ScanResult {
    QList<LibraryFile> files;    // the files to match, in path order
    QList<LeftOutFile> leftOut;  // the music files that are not, in path order
    qsizetype opened = 0;        // files the reader was asked for
    bool stopped = false;
};

// progress(files so far) returns false to stop.
using ScanProgress = std::function<bool(qsizetype)>;

// Every music file under root, recursively. Hidden entries are skipped; a
// symbolic link is followed only when it leads to a place inside root, and
// each folder is visited once. Files whose size and modification time match
// the cache are not opened; the cache is updated with what was read. Empty
// files, files without audio, files that cannot be read, names Shift-JIS
// cannot hold and links leading out are left out, each with its reason.
ScanResult scanLibrary(const QString &root, TagReader &reader, ScanCache *cache = nullptr,
                       const ScanProgress &progress = {});

}  // namespace vorq
