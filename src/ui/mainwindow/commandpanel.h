#pragma once
// The main window's bottom panel "Panel1": the command buttons in their
// groups (曲目リスト, 関連付けファイル) as the user reads them, then Option,
// 終了 and the about button.
#include <QSize>

class QWidget;

namespace vorq {

class MainWindow;

// Room for the window manager's frame around the window.
inline constexpr QSize kFrameAllowance(16, 48);

// Creates the panel and its controls into the window's members and
// returns it (a child of parent); the caller connects the buttons.
QWidget *buildCommandPanel(MainWindow *w, QWidget *parent);

// On a screen narrower than the window's central widget needs (a small one,
// or a large scale factor), Option, 終了 and the about button go to a second
// row rather than off the screen.
void fitCommandPanelToScreen(MainWindow *w, QWidget *central);

}  // namespace vorq
