#pragma once
// Draws a date-list entry as a tab; dates without data look engraved.
#include <QStyledItemDelegate>

namespace vorq {

class MainWindow;

class DateEntryDelegate : public QStyledItemDelegate {
public:
    explicit DateEntryDelegate(MainWindow *form);
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    MainWindow *m_form;
};

}  // namespace vorq
