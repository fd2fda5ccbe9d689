#include "ui/mainwindow/mainwindowkeys.h"

#include <QContextMenuEvent>
#include <QKeySequence>
#include <QPushButton>
#include <QShortcut>
#include <QStackedWidget>

#include "ui/mainwindow/datelistwidget.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

namespace {

// Opens the date menu for a keyboard request; the mouse keeps its own path
// (a plain right press).
class DateMenuKey : public QObject {
public:
    explicit DateMenuKey(MainWindow *form) : QObject(form), m_form(form) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::ContextMenu &&
            static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard) {
            QListWidget *list = m_form->dateList;
            if (QListWidgetItem *item = list->currentItem()) {
                list->scrollToItem(item);
                m_form->onDateListRightPressed(list->visualItemRect(item).center());
            }
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    MainWindow *m_form;
};

}  // namespace

void installMainWindowKeys(MainWindow *form) {
    for (const QKeySequence &key : {QKeySequence(Qt::Key_Return), QKeySequence(Qt::Key_Enter)}) {
        auto *open = new QShortcut(key, form->pageStack, nullptr, nullptr, Qt::WidgetWithChildrenShortcut);
        QObject::connect(open, &QShortcut::activated, form, [form] {
            if (form->openButton->isEnabled()) form->onOpenClicked();
        });
    }
    auto *save = new QShortcut(QKeySequence::Save, form);
    QObject::connect(save, &QShortcut::activated, form, [form] { form->onStatusBarDoubleClicked(); });
    // A keyboard request goes to the focused list itself, not its viewport.
    form->dateList->installEventFilter(new DateMenuKey(form));
}

}  // namespace vorq
