#pragma once
// Playlist files (.m3u or .txt, the same content): one file path per line,
// Shift-JIS, CR LF, no header or extended lines.
#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;

namespace vorq {

// The associated files of a list's rows in list order, without empty texts
// and without repeats (byte for byte).
QList<QByteArray> distinctFiles(const QList<QByteArray> &rowFiles);

// The playlist of a list with `count` songs: walks the rows from the first,
// wrapping round to the first after the last; every row with a file gives
// one line, its file, until count lines are written (none when count <= 0),
// so songs repeat when count exceeds the rows with files. rowFiles holds
// the associated file of every row (empty: none). Returns false when the
// device fails.
bool writePlaylist(QIODevice *device, const QList<QByteArray> &rowFiles, qint64 count);

// The same through QSaveFile: the old file stays whole when writing fails.
// Throws FileError with the system's message.
void savePlaylist(const QString &fileName, const QList<QByteArray> &rowFiles, qint64 count);

}  // namespace vorq
