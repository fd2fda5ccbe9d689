#pragma once
// Draws a date-list entry as a tab; dates without data look engraved.
#include <QColor>
#include <QStyledItemDelegate>

namespace vorq {

// The window colours of the design: button face and shadow.
inline const QColor kBtnFace(240, 240, 240);
inline const QColor kGray(128, 128, 128);

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
