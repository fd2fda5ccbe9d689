#include "ui/mainwindow/chartrowdelegate.h"

#include <QPainter>

#include "ui/mainwindow/charttablemodel.h"

namespace vorq {

void ChartRowDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool associated = index.data(ChartTableModel::AssociatedRole).toBool();
    p->save();
    p->fillRect(option.rect, option.palette.base());
    if (selected) p->fillRect(option.rect, option.palette.brush(QPalette::Active, QPalette::Highlight));
    QFont font = option.font;
    QColor colour = option.palette.color(QPalette::Active, QPalette::Text);
    if (associated) {
        colour = Qt::red;
        font.setBold(true);
    } else if (selected) {
        colour = option.palette.color(QPalette::Active, QPalette::HighlightedText);
    }
    p->setFont(font);
    p->setPen(colour);
    p->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                index.data(Qt::DisplayRole).toString());
    p->restore();
}

}  // namespace vorq
