#include "core/base/appenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "core/base/errors.h"
#include "core/text/sjistext.h"

namespace vorq::env {

namespace {
QDate g_today;
QByteArray g_programFolder;
}  // namespace

QDate today() { return g_today.isValid() ? g_today : QDate::currentDate(); }
void setToday(const QDate &d) { g_today = d; }

QByteArray programFolder() {
    if (!g_programFolder.isEmpty()) return g_programFolder;
    return folderBytes(QCoreApplication::applicationDirPath(), FolderKind::Program);
}

QByteArray folderBytes(const QString &folder, FolderKind kind) {
    QString dir = folder;
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    QByteArray out;
    if (sjis::tryFromUnicode(dir, &out)) return out;
    if (kind == FolderKind::Program) {
        throw EncodingError(
            QStringLiteral(
                "プログラムのあるフォルダ\n%1\nの名前に Shift-JIS で表せない文字が含まれているため、"
                "設定とデータを読み書きできません。\n"
                "プログラムを、名前に Shift-JIS で表せる文字だけを使ったフォルダに移してから"
                "起動してください。")
                .arg(dir));
    }
    throw EncodingError(
        QStringLiteral(
            "設定とデータを置くユーザーのフォルダ\n%1\nの名前に Shift-JIS で表せない文字が含まれているため、"
            "設定とデータを読み書きできません。\n"
            "環境変数 XDG_DATA_HOME に、名前に Shift-JIS で表せる文字だけを使ったフォルダ"
            "(例: /var/tmp/vorqview-data)を指定してから起動してください。")
            .arg(dir));
}

void setProgramFolder(const QByteArray &folder) { g_programFolder = folder; }

QString findReadme(const QString &programFolder, const QString &docDir) {
    const QDir program(programFolder);
    for (const QString &candidate :
         {program.filePath(QStringLiteral("../") + docDir + QStringLiteral("/README.md")),
          program.filePath(QStringLiteral("../../../README.md"))}) {
        const QFileInfo readme(candidate);
        if (readme.isFile()) return QDir::cleanPath(readme.absoluteFilePath());
    }
    return {};
}

}  // namespace vorq::env
