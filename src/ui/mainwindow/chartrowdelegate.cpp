#include "ui/mainwindow/chartrowdelegate.h"

#include <QPainter>

#include "ui/mainwindow/charttablemodel.h"

namespace vorq {

void ChartRowDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool associated = index.data(ChartTableModel::AssociatedRole).toBool();
    const bool playing = m_mark && m_tag && m_mark->tag == m_tag && m_mark->row == index.row();
    p->save();
    p->fillRect(option.rect, playing ? QColor(0xff, 0xf0, 0xa8) : option.palette.base().color());
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
    QString text = index.data(Qt::DisplayRole).toString();
    if (playing && index.column() == 0) text.prepend(QStringLiteral("▶"));
    p->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    p->restore();
}

}  // namespace vorq
