#include "ui/mainwindow/dateentrydelegate.h"

#include <QApplication>
#include <QPainter>

#include "ui/common/readablecolours.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

// Owned by the main window, so it goes with it.
DateEntryDelegate::DateEntryDelegate(MainWindow *form) : QStyledItemDelegate(form), m_form(form) {}

void DateEntryDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
    // Right and bottom are exclusive, as the tab outline is laid out.
    const QRect r = option.rect;
    const int L = r.x(), T = r.y(), R = r.x() + r.width(), B = r.y() + r.height();
    const bool data = m_form->dateHasData(index.row());
    const bool selected = option.state & QStyle::State_Selected;
    const QString label = index.data(Qt::DisplayRole).toString();

    // The design's button face, white, grey and black are the palette's
    // button, light, dark and shadow, so the tabs follow a dark palette too.
    const QPalette &pal = option.palette;
    const QColor face = pal.color(QPalette::Active, QPalette::Button);
    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(r, face);
    p->setPen(pal.color(QPalette::Active, QPalette::Light));
    p->setBrush(face);
    p->drawPolygon(
        QPolygon({QPoint(L, B - 1), QPoint(L, T + 3), QPoint(L + 1, T + 2), QPoint(L + 2, T + 1),
                  QPoint(R - 3, T + 1), QPoint(R - 2, T + 2), QPoint(R - 1, T + 3), QPoint(R - 1, B - 1)}));
    p->setPen(pal.color(QPalette::Active, QPalette::Dark));
    p->drawLine(R - 2, T + 3, R - 2, B - 2);
    p->setPen(pal.color(QPalette::Active, QPalette::Shadow));
    p->drawPoint(R - 2, T + 2);
    p->drawLine(R - 1, T + 3, R - 1, B - 2);
    p->setPen(face);
    p->drawLine(R - 2, B - 1, L + 1, B - 1);  // open at the bottom

    QFont font = option.font;
    if (selected) {
        p->setPen(pal.color(QPalette::Active, QPalette::Dark));
        p->drawLine(L + 5, B - 1, L + 5, T + 4);
        p->drawLine(L + 5, T + 3, R - 6, T + 3);
        p->setPen(pal.color(QPalette::Active, QPalette::Light));
        p->drawLine(R - 6, T + 3, R - 6, B - 2);
        font.setBold(true);
        font.setUnderline(true);
    }
    p->setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    if (!data) {
        // A copy one pixel down-right under a grey one: engraved. The copy
        // is lighter than the face on a light palette and darker on a dark
        // one, so it never blurs the grey, the shade that still reads.
        p->setPen(colours::isDark(pal) ? face.darker(160) : pal.color(QPalette::Active, QPalette::Light));
        p->drawText(L + 21, T + 7 + ascent, label);
        p->setPen(colours::engravedText(pal, face));
    } else {
        p->setPen(pal.color(QPalette::Active, QPalette::ButtonText));
    }
    p->drawText(L + 20, T + 6 + ascent, label);
    if (selected) {
        QStyleOptionFocusRect focus;
        focus.initFrom(option.widget);
        focus.rect = r;
        focus.backgroundColor = face;
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, option.widget);
    }
    // The style may show its focus frame only after keyboard use: the date
    // the keys act on is always framed while the list has the focus.
    if (option.state & QStyle::State_HasFocus) {
        p->setPen(QPen(pal.color(QPalette::Active, QPalette::ButtonText), 1, Qt::DotLine));
        p->setBrush(Qt::NoBrush);
        p->drawRect(QRect(L + 8, T + 5, R - L - 17, B - T - 7));
    }
    p->restore();
}

QSize DateEntryDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    return QSize(option.rect.width(), 23);
}

}  // namespace vorq
