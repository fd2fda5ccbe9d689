// vorq backups: the versions of file.idx kept in the data folder's backup/
// folder, and putting one back through the same write every save uses.
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/viewersettings.h"
#include "core/charts/indexfile.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

using namespace vorq;
using namespace vorq::cli;

int cmdBackups(const Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    if (!a.positional.isEmpty())
        throw UsageError(QStringLiteral("unexpected argument %1").arg(a.positional.first()));
    QString dir = a.has(QStringLiteral("data")) ? a.value(QStringLiteral("data"))
                                                : sjis::path(readViewerSettings().dataFolder);
    if (dir.isEmpty()) throw UsageError(QStringLiteral("--data needs a folder"));
    if (!QFileInfo(dir).isDir()) throw FileError(QStringLiteral("データフォルダ %1 がありません。").arg(dir));
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    const QByteArray folder = sjis::fromUnicode(dir);

    if (a.has(QStringLiteral("restore"))) {
        const QString name = a.value(QStringLiteral("restore"));
        const DataFolderLock lock(folder);
        const qsizetype lines = restoreIndexVersion(folder, name);
        printError(QStringLiteral("vorq: %1 (%2 lines) is file.idx again; the replaced file.idx is kept too")
                       .arg(name)
                       .arg(lines));
        return 0;
    }
    const QList<IndexVersion> versions = listIndexVersions(folder, true);
    const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");
    if (a.flags.contains(QStringLiteral("json"))) {
        QJsonArray out;
        for (const IndexVersion &v : versions)
            out.append(QJsonObject{{QStringLiteral("name"), v.name},
                                   {QStringLiteral("time"), v.time.toString(Qt::ISODate)},
                                   {QStringLiteral("lines"), v.lines},
                                   {QStringLiteral("bytes"), v.bytes}});
        writeRaw(QJsonDocument(out).toJson(QJsonDocument::Indented));
        return 0;
    }
    QByteArray text;
    for (const IndexVersion &v : versions)
        text += v.name.toUtf8() + '\t' + v.time.toString(timeFormat).toUtf8() + '\t' +
                QByteArray::number(v.lines) + '\n';
    writeRaw(text);
    return 0;
}
