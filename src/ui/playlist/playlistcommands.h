#pragma once
// The main window's "リスト作成": the playlist maker over the loaded charts,
// showing its list in the result window. Created and wired by the main window.
#include <QObject>

namespace vorq {

class MainWindow;

class PlaylistCommands : public QObject {
public:
    explicit PlaylistCommands(MainWindow *form);
    void onMakePlaylistClicked();

private:
    MainWindow *m_form;
};

}  // namespace vorq
