// The result list window's commands: print, save, playlist files, copy.
#include <QDate>
#include <QDir>
#include <QSet>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/storedtarget.h"
#include "core/playlist/playlistwriter.h"
#include "core/settings/doubleini.h"
#include "core/settings/settingstable.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/shell.h"
#include "ui/results/listcommands.h"
#include "ui/results/resultlistview.h"
#include "ui/results/resultlistwindow.h"

namespace vorq {

namespace {

// Copy with playlist also writes filelist.m3u8 for today's players: a
// settings key only, off by default, so the designed dialogs stay as they are.
bool alsoWriteM3u8() {
    try {
        const TDoubleIniFile ini(env::programBaseName(), TDoubleIniFile::Access::ReadOnly);
        return settings::readBool(ini, settings::Key::ListAlsoM3u8);
    } catch (const Error &) {
        return false;
    }
}

}  // namespace

QStringList ResultListWindow::selectedFiles() const {
    return selectedLocalFiles(rows(), selectedRows(), [](const QString &p) { return shell().exists(p); });
}

void ResultListWindow::onPrintClicked() {
    printListCommand(this, resultCaptions(), ResultRows(rows()), outputChoice(), outputCount());
}

void ResultListWindow::onSaveClicked() {
    const QString proposed = QStringLiteral("曲目リスト ") +
                             env::today().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".txt");
    const QString file = askListFileName(this, proposed);
    if (file.isEmpty()) return;
    CursorGuard busy;
    saveList(file, resultCaptions(), ResultRows(rows()), outputChoice(), outputCount());
}

void ResultListWindow::onSavePlaylistClicked() {
    if (distinctFiles(rows()).isEmpty()) {
        writePlaylist({}, false);  // the message
        return;
    }
    const QString file = prompter().saveFile(
        this, QString(), QString(),
        extendedPlaylistFilter(
            QStringLiteral("All (*.m3u *.txt);;WinAMP Playlist (*.m3u);;Text file (*.txt)")),
        QStringLiteral("m3u"));
    if (file.isEmpty()) return;
    writePlaylist(file, false);
}

void ResultListWindow::onCopyClicked() {
    if (distinctFiles(rows()).isEmpty()) {
        writePlaylist({}, true);
        return;
    }
    const QString folder =
        prompter().folder(this, QStringLiteral("ファイルをファイルリストとともにコピーします。"), QString());
    if (folder.isEmpty()) return;
    QString target = QDir::fromNativeSeparators(folder);
    if (!target.endsWith(QLatin1Char('/'))) target += QLatin1Char('/');
    writePlaylist(target + QStringLiteral("filelist.m3u"), true);
}

void ResultListWindow::writePlaylist(const QString &path, bool copyMode) {
    const QList<QByteArray> distinct = distinctFiles(rows());
    if (distinct.isEmpty()) {
        prompter().message(this, QMessageBox::Warning, QStringLiteral("保存できません"),
                           QStringLiteral("関連付けされたファイルがありません。"), QMessageBox::Ok,
                           QMessageBox::Ok);
        return;
    }
    const qint64 n = songCount();
    if (!copyMode) {
        CursorGuard busy;
        saveResultPlaylist(path, rows(), n);  // .m3u8 and .xspf by their extension
        return;
    }
    const QString folder = QFileInfo(path).path();
    PlaylistCopy copy = playlistCopy(distinct, n, sjis::fromUnicode(folder));
    if (!copy.sources.isEmpty()) {
        QStringList sources;
        for (const QByteArray &s : copy.sources) sources << resolveStoredTarget(s).displayText();
        // The shell reports its own failures; the playlist lists only the
        // files that are now in the folder, so it never names a missing one.
        CopyOutcome outcome;
        shell().copyFiles(this, sources, folder, &outcome);
        const QSet<QString> present(outcome.present.begin(), outcome.present.end());
        PlaylistCopy landed;
        for (qsizetype i = 0; i < copy.sources.size(); ++i) {
            if (!present.contains(sources.at(i))) continue;
            landed.sources.append(copy.sources.at(i));
            landed.lines.append(copy.lines.at(i));
        }
        copy = std::move(landed);
        if (copy.sources.isEmpty()) return;  // nothing copied: no playlist either
    }
    sjis::saveLines(path, copy.lines);
    if (alsoWriteM3u8()) {
        PlaylistOptions options;
        options.relativePaths = true;
        options.baseFolder = folder;
        saveExtendedPlaylist(folder + QStringLiteral("/filelist.m3u8"), PlaylistFormat::M3u8,
                             playlistCopyEntries(rows(), copy), options);
    }
}

}  // namespace vorq
