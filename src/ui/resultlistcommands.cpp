// The result list window's commands: print, save, playlist files, copy.
#include <QDate>

#include "appenv.h"
#include "errors.h"
#include "resultlistview.h"
#include "resultlistwindow.h"
#include "shellparts.h"
#include "sjistext.h"

QStringList ResultListWindow::selectedFiles() const {
    return vorq::selectedLocalFiles(rows(), selectedRows(),
                                    [](const QString &p) { return vorq::shell().exists(p); });
}

void ResultListWindow::onPrintClicked() {}

void ResultListWindow::onSaveClicked() {}

void ResultListWindow::onSavePlaylistClicked() {}

void ResultListWindow::onCopyClicked() {}

void ResultListWindow::writePlaylist(const QString &, bool) {}
