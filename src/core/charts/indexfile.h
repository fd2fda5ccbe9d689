#pragma once
// file.idx on the disk: read whole within its bound, and the one write
// every writer goes through. Before it replaces file.idx the write keeps
// the replaced version in the data folder's backup/ folder (the newest 20,
// one a day for the last 30 days, the folder's size bounded), so an earlier
// version can always be had back.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

namespace vorq {

struct IndexFile {
    bool exists = false;
    QByteArray data;
    QList<QByteArray> lines;  // views into data: valid while it lives
};

// The data folder's file.idx. Throws FileError, naming the file, when it
// cannot be read or is larger than kMaxIndexFileBytes.
IndexFile readIndexFile(const QByteArray &dataFolder);

// Replaces the data folder's file.idx with content, after keeping replaced
// (the file.idx the caller read under the lock) in backup/. Throws FileError
// (file.idx is then untouched) when either cannot be written.
void writeIndexFile(const QByteArray &dataFolder, const QByteArray &content, const IndexFile &replaced,
                    const QDateTime &now = QDateTime::currentDateTime());

// ---- kept versions -------------------------------------------------------------
inline constexpr char kBackupFolderName[] = "backup";
inline constexpr int kKeptNewest = 20;
inline constexpr int kKeptDays = 30;
inline constexpr qint64 kKeptBytes = 256 * 1024 * 1024;

struct IndexVersion {
    QString name;    // file-yyyyMMdd-HHmmss.idx, or ...-N.idx for the Nth of one second
    QDateTime time;  // local time, from the name
    int sequence = 1;
    qint64 bytes = 0;
    qint64 lines = -1;  // -1 until counted
};

// The folder the versions of a data folder go to (with "/").
QString backupFolder(const QByteArray &dataFolder);

// Every kept version, newest first; countLines reads each to count its lines.
QList<IndexVersion> listIndexVersions(const QByteArray &dataFolder, bool countLines = false);

// Keeps content as a version of now, then drops what the rules no longer keep.
// Returns its name. Throws FileError.
QString keepIndexVersion(const QByteArray &dataFolder, const QByteArray &content, const QDateTime &now);

// Deletes the versions beyond the newest kKeptNewest that are not the newest
// of one of the last kKeptDays days, then the oldest while the folder holds
// more than kKeptBytes (never the newest). Other files are left alone.
void pruneIndexVersions(const QByteArray &dataFolder, const QDateTime &now);

// Puts a kept version back as file.idx through writeIndexFile (so the
// current file.idx is kept too). Returns its number of lines. Throws
// FileError for a name that is not a kept version of this folder.
qsizetype restoreIndexVersion(const QByteArray &dataFolder, const QString &name,
                              const QDateTime &now = QDateTime::currentDateTime());

}  // namespace vorq
