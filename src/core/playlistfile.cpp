#include "playlistfile.h"

#include <QIODevice>
#include <QSaveFile>
#include <QSet>

#include "errors.h"

namespace vorq {

QList<QByteArray> distinctFiles(const QList<QByteArray> &rowFiles) {
    QList<QByteArray> files;
    QSet<QByteArray> seen;
    for (const QByteArray &f : rowFiles) {
        if (f.isEmpty() || seen.contains(f)) continue;
        seen.insert(f);
        files.append(f);
    }
    return files;
}

bool writePlaylist(QIODevice *device, const QList<QByteArray> &rowFiles, qint64 count) {
    QList<qsizetype> withFile;
    for (qsizetype i = 0; i < rowFiles.size(); ++i)
        if (!rowFiles.at(i).isEmpty()) withFile.append(i);
    if (withFile.isEmpty()) return true;
    // A count far beyond the list makes a long file: write it in pieces so
    // memory stays flat.
    QByteArray chunk;
    for (qint64 n = 0; n < count; ++n) {
        chunk += rowFiles.at(withFile.at(n % withFile.size()));
        chunk += "\r\n";
        if (chunk.size() >= 64 * 1024) {
            if (device->write(chunk) != chunk.size()) return false;
            chunk.clear();
        }
    }
    return chunk.isEmpty() || device->write(chunk) == chunk.size();
}

void savePlaylist(const QString &fileName, const QList<QByteArray> &rowFiles, qint64 count) {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2").arg(fileName, f.errorString()));
    if (!writePlaylist(&f, rowFiles, count) || !f.commit())
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2").arg(fileName, f.errorString()));
}

}  // namespace vorq
