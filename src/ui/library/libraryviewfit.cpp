#include "ui/library/libraryviewfit.h"

#include <QHeaderView>
#include <QScreen>
#include <QTableWidget>
#include <QWidget>
#include <algorithm>

namespace vorq {

namespace {
// Title bar and borders the window manager adds around the window.
constexpr QSize kFrame(16, 48);
}  // namespace

void fitWindowToScreen(QWidget *window, QSize wanted) {
    const QWidget *anchor = window->parentWidget() ? window->parentWidget()->window() : window;
    const QScreen *screen = anchor->screen();
    if (!screen) {
        window->resize(wanted);
        return;
    }
    const QRect area = screen->availableGeometry();
    const QSize room = (area.size() - kFrame).expandedTo(QSize(200, 150));
    const QSize size = wanted.boundedTo(room).expandedTo(window->minimumSizeHint().boundedTo(room));
    window->resize(size);
    QRect frame(window->pos(), size + kFrame);
    if (!area.contains(frame)) {
        frame.moveLeft(
            std::clamp(frame.left(), area.left(), std::max(area.left(), area.right() - frame.width())));
        frame.moveTop(
            std::clamp(frame.top(), area.top(), std::max(area.top(), area.bottom() - frame.height())));
        window->move(frame.topLeft());
    }
}

void fitTableColumns(QTableWidget *table) {
    QHeaderView *header = table->horizontalHeader();
    const int columns = table->columnCount();
    if (columns == 0) return;
    QList<int> floor(columns), need(columns);
    int floorSum = 0, needSum = 0;
    for (int c = 0; c < columns; ++c) {
        if (table->isColumnHidden(c)) continue;
        floor[c] = header->sectionSizeHint(c);
        need[c] = std::max(floor[c], static_cast<QAbstractItemView *>(table)->sizeHintForColumn(c));
        floorSum += floor[c];
        needSum += need[c];
    }
    const int room = table->viewport()->width();
    const bool stretch = header->stretchLastSection();
    header->setStretchLastSection(false);
    for (int c = 0; c < columns; ++c) {
        if (table->isColumnHidden(c)) continue;
        int width = need[c];
        if (needSum > room && needSum > floorSum) {
            const double share = std::max(0, room - floorSum) / double(needSum - floorSum);
            width = floor[c] + int((need[c] - floor[c]) * std::min(share, 1.0));
        }
        header->resizeSection(c, width);
    }
    header->setStretchLastSection(stretch);
}

}  // namespace vorq
