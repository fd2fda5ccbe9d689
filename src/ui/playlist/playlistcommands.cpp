#include "ui/playlist/playlistcommands.h"

#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/player/playercommands.h"
#include "ui/playlist/playlistmakerdialog.h"

namespace vorq {

PlaylistCommands::PlaylistCommands(MainWindow *form) : QObject(form), m_form(form) {}

void PlaylistCommands::onMakePlaylistClicked() {
    PlaylistMakerDialog *maker = m_form->options() ? m_form->options()->playlistForm() : nullptr;
    if (!maker) return;
    maker->setChartStore(&m_form->store());
    maker->setResultWindow(m_form->resultWindow());
    connect(maker, &PlaylistMakerDialog::playRequested, m_form->playerCommands, &PlayerCommands::playPlaylist,
            Qt::UniqueConnection);
    maker->exec();
}

}  // namespace vorq
