#include "ui/mainwindow/chartrowdelegate.h"

#include <QAbstractItemView>
#include <QPainter>

#include "ui/common/readablecolours.h"
#include "ui/mainwindow/charttablemodel.h"

namespace vorq {

void ChartRowDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool associated = index.data(ChartTableModel::AssociatedRole).toBool();
    const bool playing = m_mark && m_tag && m_mark->tag == m_tag && m_mark->row == index.row();
    p->save();
    const QPalette &pal = option.palette;
    QColor ground = playing ? colours::playingGround(pal) : pal.color(QPalette::Active, QPalette::Base);
    if (selected) ground = pal.color(QPalette::Active, QPalette::Highlight);
    p->fillRect(option.rect, ground);
    QFont font = option.font;
    // Red and bold whether selected or not, in the shade of red this ground
    // reads with.
    QColor colour = pal.color(QPalette::Active, selected ? QPalette::HighlightedText : QPalette::Text);
    if (associated) {
        colour = colours::associatedText(ground);
        font.setBold(true);
    } else if (playing && !selected) {
        colour = colours::readableOn(colour, ground);
    }
    p->setFont(font);
    p->setPen(colour);
    QString text = index.data(Qt::DisplayRole).toString();
    if (playing && index.column() == 0) text.prepend(QStringLiteral("▶"));
    p->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    // The keyboard's row, framed while the chart has the focus: the
    // selection alone looks the same with the focus elsewhere.
    const auto *view = qobject_cast<const QAbstractItemView *>(option.widget);
    if (view && view->hasFocus() && view->currentIndex().row() == index.row()) {
        p->setPen(QPen(colour, 1, Qt::DotLine));
        const QRect r = option.rect.adjusted(0, 0, -1, -1);
        p->drawLine(r.topLeft(), r.topRight());
        p->drawLine(r.bottomLeft(), r.bottomRight());
        if (index.column() == 0) p->drawLine(r.topLeft(), r.bottomLeft());
        if (index.column() == index.model()->columnCount() - 1) p->drawLine(r.topRight(), r.bottomRight());
    }
    p->restore();
}

}  // namespace vorq
