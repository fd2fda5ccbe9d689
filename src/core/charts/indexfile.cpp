#include "core/charts/indexfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <algorithm>

#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

const QRegularExpression &versionName() {
    static const QRegularExpression re(QStringLiteral("^file-(\\d{8}-\\d{6})(?:-(\\d{1,6}))?\\.idx$"));
    return re;
}

QString indexPath(const QByteArray &dataFolder) { return sjis::path(dataFolder + "file.idx"); }

bool newerFirst(const IndexVersion &a, const IndexVersion &b) {
    if (a.time != b.time) return a.time > b.time;
    return a.sequence > b.sequence;
}

// Lines as sjis::splitLines counts them, read in pieces.
qint64 countLines(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    qint64 lines = 0;
    char last = '\n';
    bool afterCr = false;
    QByteArray chunk(1 << 20, Qt::Uninitialized);
    for (;;) {
        const qint64 n = f.read(chunk.data(), chunk.size());
        if (n < 0) return -1;
        if (n == 0) break;
        for (qint64 i = 0; i < n; ++i) {
            const char c = chunk[i];
            if (c == '\n' && afterCr) {
                afterCr = false;
                continue;  // the LF of a CR LF
            }
            afterCr = c == '\r';
            if (c == '\r' || c == '\n') ++lines;
        }
        last = chunk[n - 1];
    }
    if (last != '\n' && last != '\r') ++lines;
    return lines;
}

}  // namespace

IndexFile readIndexFile(const QByteArray &dataFolder) {
    IndexFile f;
    const QString path = indexPath(dataFolder);
    if (!QFileInfo::exists(path)) return f;
    f.exists = true;
    f.data = readWholeFile(path, kMaxIndexFileBytes);
    f.lines = lineViews(f.data);
    return f;
}

void writeIndexFile(const QByteArray &dataFolder, const QByteArray &content, const IndexFile &replaced,
                    const QDateTime &now) {
    // An empty file holds nothing to have back.
    if (replaced.exists && !replaced.data.isEmpty()) keepIndexVersion(dataFolder, replaced.data, now);
    sjis::saveFile(indexPath(dataFolder), content);
}

QString backupFolder(const QByteArray &dataFolder) {
    return sjis::path(dataFolder) + QLatin1String(kBackupFolderName) + QLatin1Char('/');
}

QList<IndexVersion> listIndexVersions(const QByteArray &dataFolder, bool countLinesToo) {
    const QString folder = backupFolder(dataFolder);
    QList<IndexVersion> out;
    const QFileInfoList infos = QDir(folder).entryInfoList({QStringLiteral("file-*.idx")}, QDir::Files);
    for (const QFileInfo &info : infos) {
        const QRegularExpressionMatch m = versionName().match(info.fileName());
        if (!m.hasMatch()) continue;
        IndexVersion v;
        v.name = info.fileName();
        v.time = QDateTime::fromString(m.captured(1), QStringLiteral("yyyyMMdd-HHmmss"));
        if (!v.time.isValid()) continue;
        v.sequence = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
        v.bytes = info.size();
        if (countLinesToo) v.lines = countLines(info.filePath());
        out.append(v);
    }
    std::sort(out.begin(), out.end(), newerFirst);
    return out;
}

QString keepIndexVersion(const QByteArray &dataFolder, const QByteArray &content, const QDateTime &now) {
    const QString folder = backupFolder(dataFolder);
    if (!QDir().mkpath(folder))
        throw FileError(
            QStringLiteral("フォルダ %1 を作れません。file.idx は書き換えていません。").arg(folder));
    const QString stamp = now.toString(QStringLiteral("yyyyMMdd-HHmmss"));
    // Several saves within one second get rising numbers: the order of the
    // names is the order of the versions.
    int sequence = 0;
    for (const IndexVersion &v : listIndexVersions(dataFolder))
        if (v.name.mid(5, 15) == stamp) sequence = std::max(sequence, v.sequence);
    const QString name = sequence == 0 ? QStringLiteral("file-%1.idx").arg(stamp)
                                       : QStringLiteral("file-%1-%2.idx").arg(stamp).arg(sequence + 1);
    sjis::saveFile(folder + name, content);
    pruneIndexVersions(dataFolder, now);
    return name;
}

void pruneIndexVersions(const QByteArray &dataFolder, const QDateTime &now) {
    const QList<IndexVersion> versions = listIndexVersions(dataFolder);
    QList<IndexVersion> kept;
    QSet<QDate> days;
    const QDate firstDay = now.date().addDays(1 - kKeptDays);
    const QString folder = backupFolder(dataFolder);
    for (qsizetype i = 0; i < versions.size(); ++i) {
        const IndexVersion &v = versions.at(i);
        const QDate day = v.time.date();
        // Newest first, so the first version met of a day is its newest.
        const bool dayNewest = day >= firstDay && !days.contains(day);
        if (day >= firstDay) days.insert(day);
        if (i < kKeptNewest || dayNewest)
            kept.append(v);
        else
            QFile::remove(folder + v.name);
    }
    qint64 total = 0;
    for (const IndexVersion &v : kept) total += v.bytes;
    while (total > kKeptBytes && kept.size() > 1) {
        total -= kept.last().bytes;
        QFile::remove(folder + kept.takeLast().name);
    }
}

qsizetype restoreIndexVersion(const QByteArray &dataFolder, const QString &name, const QDateTime &now) {
    const QString path = backupFolder(dataFolder) + name;
    if (!versionName().match(name).hasMatch() || !QFileInfo(path).isFile())
        throw FileError(QStringLiteral("%1 は file.idx の保存された版ではありません。").arg(name));
    const QByteArray content = readWholeFile(path, kMaxIndexFileBytes);
    writeIndexFile(dataFolder, content, readIndexFile(dataFolder), now);
    return lineViews(content).size();
}

}  // namespace vorq
