#pragma once
// Fitting the library windows to small screens: a window no larger than
// the screen it opens on, and table columns that share the room there is
// instead of cutting their headers or running off the right edge.
#include <QSize>

class QTableWidget;
class QWidget;

namespace vorq {

// Resizes window to wanted, bounded by the available area of the screen it
// is on (less a frame), and moves it inside that area.
void fitWindowToScreen(QWidget *window, QSize wanted);

// Every column at least as wide as its header; the short ones as wide as
// their texts, the room left shared evenly by the long ones (a path is
// elided in its middle rather than pushing the others out of view).
void fitTableColumns(QTableWidget *table);

}  // namespace vorq
