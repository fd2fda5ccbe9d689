#include "core/cdr/stagesafety.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <optional>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"

namespace vorq::cdr {

namespace {

using FileKey = QPair<quint64, quint64>;  // device, inode

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

[[noreturn]] void refuseLink(const QString &path) {
    throw FileError(
        QStringLiteral("%1 はシンボリックリンクです。\nリンク先のファイルを書き換えないため、作成しません。"
                       "リンクを削除するか、別のフォルダを選んでください。")
            .arg(shown(path)));
}

bool isLink(const QString &path) {
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
}

// The files of the live folders and of their backup/ folders by what they
// are, not by name: a link in a live folder counts as what it points to.
QHash<FileKey, QString> liveFiles(const QStringList &live) {
    QHash<FileKey, QString> out;
    for (const QString &folder : live) {
        for (const QString &dir : QStringList{folder, folder + QStringLiteral("/backup")}) {
            const QDir d(dir);
            for (const QString &name : d.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
                const QString path = d.filePath(name);
                struct stat st;
                if (::stat(QFile::encodeName(path).constData(), &st) == 0)
                    out.insert({quint64(st.st_dev), quint64(st.st_ino)}, path);
            }
        }
    }
    return out;
}

// The folders from just below the root down to folder.
QStringList foldersBelow(const QString &root, const QString &folder) {
    QStringList out;
    if (!folder.startsWith(root)) return out;
    QString path = root;
    for (const QString &name : folder.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += name;
        out.append(path);
        path += QLatin1Char('/');
    }
    return out;
}

}  // namespace

QList<QByteArray> discNames(const QList<AssocItem> &items, const QSet<QByteArray> &taken) {
    QSet<QByteArray> used = taken;
    QList<QByteArray> names;
    QList<qsizetype> clashing;
    names.reserve(items.size());
    // First every file that can keep its own name, so "x (2).mp3" of its
    // own is not renamed for a second "x.mp3" listed before it.
    for (qsizetype i = 0; i < items.size(); ++i) {
        const QByteArray upper = upperAscii(items.at(i).name);
        names.append(items.at(i).name);
        if (used.contains(upper))
            clashing.append(i);
        else
            used.insert(upper);
    }
    for (const qsizetype i : clashing) {
        const QByteArray &name = items.at(i).name;
        // A "." cannot be a trailing byte of a two-byte character.
        const qsizetype dot = name.lastIndexOf('.');
        const QByteArray base = dot > 0 ? name.left(dot) : name;
        const QByteArray ext = dot > 0 ? name.mid(dot) : QByteArray();
        for (int n = 2;; ++n) {
            const QByteArray candidate = base + " (" + QByteArray::number(n) + ')' + ext;
            if (used.contains(upperAscii(candidate))) continue;
            used.insert(upperAscii(candidate));
            names[i] = candidate;
            break;
        }
    }
    return names;
}

QStringList liveFolders(const QByteArray &dataFolder, const QByteArray &iniBaseName) {
    QStringList out;
    auto add = [&out](const QString &folder) {
        const QString c = QFileInfo(folder).canonicalFilePath();
        if (!c.isEmpty() && !out.contains(c)) out.append(c);
    };
    add(sjis::path(dataFolder));
    add(sjis::path(env::programFolder()));
    const TDoubleIniFile ini(iniBaseName, TDoubleIniFile::Access::ReadOnly);
    for (const QByteArray &f : {ini.readOnlyPath(), ini.writeablePath()})
        if (!f.isEmpty()) add(QFileInfo(sjis::path(f)).absolutePath());
    add(sjis::path(GetUserSettingsFolder(iniBaseName)));
    return out;
}

void refuseUnsafeTargets(const StagePlan &plan, const QStringList &live) {
    for (const QString &folder : {plan.programFolder, plan.assocFolder}) {
        for (const QString &below : foldersBelow(plan.root, folder))
            if (isLink(below)) refuseLink(below);
        const QString target = QFileInfo(folder).canonicalFilePath();
        if (!target.isEmpty() && live.contains(target))
            throw FileError(
                QStringLiteral("%1 は使用中のデータフォルダ、プログラムフォルダまたは設定ファイルの"
                               "フォルダです。\nここに作成すると関連付けや設定が置き換わるため、"
                               "作成しません。別のフォルダを選んでください。")
                    .arg(shown(folder)));
    }
    std::optional<QHash<FileKey, QString>> liveByKey;  // read once, and only when a target exists
    for (const QString &t : plan.targets()) {
        struct stat st;
        if (::lstat(QFile::encodeName(t).constData(), &st) != 0) continue;
        if (S_ISLNK(st.st_mode)) refuseLink(t);
        if (!liveByKey) liveByKey = liveFiles(live);
        const auto it = liveByKey->constFind({quint64(st.st_dev), quint64(st.st_ino)});
        if (it != liveByKey->constEnd())
            throw FileError(QStringLiteral("%1 は使用中のファイル %2 と同じファイル (ハードリンク) です。\n"
                                           "置き換えると関連付けや設定が変わるため、作成しません。"
                                           "リンクを削除するか、別のフォルダを選んでください。")
                                .arg(shown(t), shown(*it)));
    }
}

}  // namespace vorq::cdr
