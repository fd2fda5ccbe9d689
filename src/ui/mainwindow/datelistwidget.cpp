#include "ui/mainwindow/datelistwidget.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>

namespace vorq {

namespace {

// Asks the list whether its date has a chart when a screen reader asks for
// the description, so it never goes stale as charts come and go.
class DateItem : public QListWidgetItem {
public:
    using QListWidgetItem::QListWidgetItem;
    QVariant data(int role) const override {
        if (role != Qt::AccessibleDescriptionRole) return QListWidgetItem::data(role);
        auto *list = static_cast<DateListWidget *>(listWidget());
        const bool has = list && list->hasData && list->hasData(list->row(this));
        return has ? QString() : QStringLiteral("チャート未取得");
    }
};

}  // namespace

void DateListWidget::setDates(const QStringList &labels) {
    clear();
    for (const QString &label : labels) addItem(new DateItem(label));
}

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
    if (e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier) {
        const QRect r = currentItem() ? visualItemRect(currentItem()) : QRect();
        QContextMenuEvent menu(QContextMenuEvent::Keyboard, r.center(), viewport()->mapToGlobal(r.center()));
        QCoreApplication::sendEvent(this, &menu);
        return;
    }
    if ((e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) && currentRow() >= 0) {
        emit userClicked();
        return;
    }
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() != before && currentRow() >= 0) emit keyboardMoved();
}

}  // namespace vorq
