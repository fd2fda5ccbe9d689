#include "ui/mainwindow/datelistwidget.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vorq {

void DateListWidget::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::RightButton) {
        // Only a plain right press opens the date menu; it never moves the
        // selection.
        if (e->buttons() == Qt::RightButton && e->modifiers() == Qt::NoModifier)
            emit rightPressed(e->position().toPoint());
        return;
    }
    m_pressedOnItem = itemAt(e->position().toPoint()) != nullptr;
    QListWidget::mousePressEvent(e);
}

void DateListWidget::mouseReleaseEvent(QMouseEvent *e) {
    QListWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && m_pressedOnItem && itemAt(e->position().toPoint()) &&
        currentRow() >= 0)
        emit userClicked();
    m_pressedOnItem = false;
}

void DateListWidget::keyPressEvent(QKeyEvent *e) {
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() != before && currentRow() >= 0) emit userClicked();
}

}  // namespace vorq
