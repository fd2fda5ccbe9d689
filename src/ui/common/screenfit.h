#pragma once
// Every window fits the screen it opens on: a window larger than the room
// that screen has is brought down to it and kept inside the screen, so no
// button ends up where a small screen (1024 x 600) cannot show it.
#include <QRect>
#include <QSize>

class QCoreApplication;
class QWidget;

namespace vorq {

// What the window manager's frame (title bar, borders) may take; it is not
// known before the window shows.
inline constexpr QSize kScreenFrameAllowance(16, 48);

// The room for a window's client area on the screen it opens on: the
// screen's available area less the frame allowance. Empty without a screen.
QRect roomOnScreen(const QWidget *window);

// Brings a top-level window down to the room (never below its minimum size)
// and moves it inside the screen. Maximised and full-screen windows, and
// windows that fit, are left as they are.
void fitToScreen(QWidget *window);

// Fits every top-level window of the application as it is shown.
void installScreenFit(QCoreApplication *app);

}  // namespace vorq
