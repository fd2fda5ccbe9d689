#include "ui/library/libraryviewfit.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
#include <QScrollBar>
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
    // The texts of the rows shown, also those below the view, up to a bound
    // that keeps a long list quick.
    const QFontMetrics metrics(table->font());
    auto textWidth = [&](int column) {
        int widest = 0;
        for (int r = 0, seen = 0; r < table->rowCount() && seen < 5000; ++r) {
            if (table->isRowHidden(r)) continue;
            ++seen;
            if (const QTableWidgetItem *item = table->item(r, column))
                widest = std::max(widest, metrics.horizontalAdvance(item->text()));
        }
        return widest ? widest + 16 : 0;
    };
    const int columns = table->columnCount();
    if (columns == 0) return;
    QList<int> floor(columns), need(columns);
    for (int c = 0; c < columns; ++c) {
        if (table->isColumnHidden(c)) continue;
        floor[c] = header->sectionSizeHint(c);
        need[c] =
            std::max({floor[c], static_cast<QAbstractItemView *>(table)->sizeHintForColumn(c), textWidth(c)});
    }
    // The room inside the frame, less a vertical scroll bar whether it shows
    // yet or not (filling the table may bring it).
    const int room = table->width() - 2 * table->frameWidth() -
                     table->verticalHeader()->width() * table->verticalHeader()->isVisible() -
                     table->verticalScrollBar()->sizeHint().width();
    const bool stretch = header->stretchLastSection();
    header->setStretchLastSection(false);
    // Short columns get all they need; the room left is shared evenly by
    // the long ones (never below their headers).
    QList<int> width = need, open;
    for (int c = 0; c < columns; ++c)
        if (!table->isColumnHidden(c)) open << c;
    std::sort(open.begin(), open.end(), [&](int a, int b) { return need[a] < need[b]; });
    int left = room;
    for (qsizetype i = 0; i < open.size(); ++i) {
        const int fair = left / int(open.size() - i);
        const int c = open[i];
        width[c] = std::max(floor[c], std::min(need[c], fair));
        left -= width[c];
    }
    for (int c : open) header->resizeSection(c, width[c]);
    header->setStretchLastSection(stretch);
}

}  // namespace vorq
