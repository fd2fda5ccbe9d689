#include "ui/common/screenfit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace vorq {

namespace {

class ScreenFitFilter : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override {
        // A window is shown: sent before it is mapped, so the window manager
        // sees the size it will have.
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto *w = static_cast<QWidget *>(watched);
            const Qt::WindowType type = w->windowType();
            if (w->isWindow() && (type == Qt::Window || type == Qt::Dialog)) fitToScreen(w);
        }
        return false;
    }
};

}  // namespace

QRect roomOnScreen(const QWidget *window) {
    const QScreen *display = window->screen();
    if (!display) return {};
    const QRect available = display->availableGeometry();
    return {available.topLeft(), available.size() - kScreenFrameAllowance};
}

void fitToScreen(QWidget *window) {
    if (window->isMaximized() || window->isFullScreen()) return;
    const QRect room = roomOnScreen(window);
    if (room.isEmpty()) return;
    const QSize size = window->size();
    if (size.width() > room.width() || size.height() > room.height()) {
        // A fixed size (min = max) is fixed anew at what the screen holds;
        // otherwise never below the window's minimum.
        if (window->minimumSize() == window->maximumSize())
            window->setFixedSize(size.boundedTo(room.size()));
        else
            window->resize(size.boundedTo(room.size()).expandedTo(window->minimumSize()));
    }
    // Inside the screen, the frame included (the allowance while the frame
    // is not known yet).
    const QRect available = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QSize outer =
        frame.size() != window->size() ? frame.size() : window->size() + kScreenFrameAllowance;
    const int x = std::clamp(frame.left(), available.left(),
                             std::max(available.left(), available.right() + 1 - outer.width()));
    const int y = std::clamp(frame.top(), available.top(),
                             std::max(available.top(), available.bottom() + 1 - outer.height()));
    if (x != frame.left() || y != frame.top()) window->move(x, y);
}

void installScreenFit(QCoreApplication *app) {
    static ScreenFitFilter *filter = nullptr;
    if (filter) return;
    filter = new ScreenFitFilter(app);
    app->installEventFilter(filter);
}

}  // namespace vorq
