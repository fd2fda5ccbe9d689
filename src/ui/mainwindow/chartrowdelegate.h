#pragma once
// Draws a chart row: associated rows red and bold, selection highlighted.
#include <QStyledItemDelegate>

namespace vorq {

class ChartRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

}  // namespace vorq
