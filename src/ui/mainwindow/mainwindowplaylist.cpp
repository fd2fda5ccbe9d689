// The main window's "リスト作成": the playlist maker over the loaded charts,
// showing its list in the result window.
#include "ui/mainwindow/mainwindow.h"
#include "ui/playlist/playlistmakerdialog.h"

void MainWindow::onMakePlaylistClicked() {
    PlaylistMakerDialog *maker = m_options ? m_options->playlistForm() : nullptr;
    if (!maker) return;
    maker->setChartStore(&m_store);
    maker->setResultWindow(m_resultWindow);
    maker->exec();
}
