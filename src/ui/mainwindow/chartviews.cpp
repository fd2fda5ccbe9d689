#include "ui/mainwindow/chartviews.h"

#include <algorithm>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "core/text/sjistext.h"
#include "ui/mainwindow/mainwindow.h"

using namespace vorq;

// ---- status bar -------------------------------------------------------------

PanelStatusBar::PanelStatusBar(QWidget *parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    const int widths[4] = {80, 50, 500, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        // Panels show stored paths and methods: never as rich text (an
        // "<img src=...>" would make the label read that file).
        m_panels[i]->setTextFormat(Qt::PlainText);
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        // The bar itself takes every double click.
        m_panels[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        addWidget(m_panels[i]);
    }
}

void PanelStatusBar::fitPanel(int i, const QStringList &texts) {
    QLabel *label = m_panels[i];
    const QFontMetrics metrics(label->font());
    int width = label->width();
    for (const QString &text : texts)
        width = std::max(width,
                         metrics.horizontalAdvance(text) + 2 * label->frameWidth() + 2 * label->margin() + 4);
    label->setFixedWidth(width);
}

QString PanelStatusBar::panelText(int i) const { return m_panels[i]->text(); }
void PanelStatusBar::setPanelText(int i, const QString &text) { m_panels[i]->setText(text); }

void PanelStatusBar::mouseDoubleClickEvent(QMouseEvent *e) {
    QStatusBar::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

// ---- date list --------------------------------------------------------------

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

    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(r, kBtnFace);
    p->setPen(Qt::white);
    p->setBrush(kBtnFace);
    p->drawPolygon(
        QPolygon({QPoint(L, B - 1), QPoint(L, T + 3), QPoint(L + 1, T + 2), QPoint(L + 2, T + 1),
                  QPoint(R - 3, T + 1), QPoint(R - 2, T + 2), QPoint(R - 1, T + 3), QPoint(R - 1, B - 1)}));
    p->setPen(kGray);
    p->drawLine(R - 2, T + 3, R - 2, B - 2);
    p->setPen(Qt::black);
    p->drawPoint(R - 2, T + 2);
    p->drawLine(R - 1, T + 3, R - 1, B - 2);
    p->setPen(kBtnFace);
    p->drawLine(R - 2, B - 1, L + 1, B - 1);  // open at the bottom

    QFont font = option.font;
    if (selected) {
        p->setPen(kGray);
        p->drawLine(L + 5, B - 1, L + 5, T + 4);
        p->drawLine(L + 5, T + 3, R - 6, T + 3);
        p->setPen(Qt::white);
        p->drawLine(R - 6, T + 3, R - 6, B - 2);
        font.setBold(true);
        font.setUnderline(true);
    }
    p->setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    if (!data) {
        // A white copy one pixel down-right under a grey one: engraved.
        p->setPen(Qt::white);
        p->drawText(L + 21, T + 7 + ascent, label);
        p->setPen(kGray);
    } else {
        p->setPen(Qt::black);
    }
    p->drawText(L + 20, T + 6 + ascent, label);
    if (selected) {
        QStyleOptionFocusRect focus;
        focus.initFrom(option.widget);
        focus.rect = r;
        focus.backgroundColor = kBtnFace;
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, option.widget);
    }
    p->restore();
}

QSize DateEntryDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    return QSize(option.rect.width(), 23);
}

// ---- chart views --------------------------------------------------------------

ChartTableModel::ChartTableModel(const ChartStore *store, int table, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_table(table) {
    if (const ChartTable *t = this->table()) m_rows = static_cast<int>(t->size());
}

const ChartTable *ChartTableModel::table() const {
    if (m_table < 0 || m_table >= m_store->tabs.size()) return nullptr;
    return &m_store->tabs.at(m_table).rows;
}

int ChartTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }
int ChartTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant ChartTableModel::data(const QModelIndex &index, int role) const {
    const ChartTable *t = table();
    if (!t || !index.isValid() || index.row() >= t->size()) return {};
    const ChartEntry &e = t->at(index.row());
    switch (role) {
        case Qt::DisplayRole: return sjis::toUnicode(e.field(index.column()));
        case FieldRole: return e.field(index.column());
        case AssociatedRole: return !e.file.isEmpty();
        default: return {};
    }
}

QVariant ChartTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0: return QStringLiteral("順位");
        case 1: return QStringLiteral("曲名");
        case 2: return QStringLiteral("アーティスト名");
        default: return {};
    }
}

void ChartTableModel::rowsChanged() {
    const ChartTable *t = table();
    const int rows = t ? static_cast<int>(t->size()) : 0;
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, 2));
    }
}

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

DatePage::DatePage(int tag, const QString &caption, QWidget *parent)
    : QWidget(parent), m_tag(tag), m_caption(caption) {}

void DatePage::setListView(QTableView *view) {
    m_view = view;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}
