#include "ui/results/resultlistview.h"

#include <QHeaderView>
#include <QMouseEvent>

#include "core/lists/listoutput.h"
#include "core/text/sjistext.h"
#include "ui/common/shell.h"

namespace vorq {

int ResultListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ResultListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 6; }

QVariant ResultListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size()) return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return vorq::sjis::toUnicode(m_rows.at(index.row()).text(index.column()));
    return {};
}

QVariant ResultListModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= 6) return {};
    return vorq::sjis::toUnicode(vorq::resultCaptions().at(section));
}

void ResultListModel::clear() { setRows({}); }

void ResultListModel::append(const vorq::ResultRow &row) {
    const int n = int(m_rows.size());
    beginInsertRows({}, n, n);
    m_rows.append(row);
    endInsertRows();
}

void ResultListModel::setRows(vorq::ResultList rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void ResultListModel::rearrange(const std::function<void(vorq::ResultList &)> &change) {
    beginResetModel();
    change(m_rows);
    endResetModel();
}

ResultListView::ResultListView(QWidget *parent) : QTableView(parent) {
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setTabKeyNavigation(false);
    setDragEnabled(false);  // drags are started by hand, with the shell's files
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(true);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    // The selection stays visible when the window loses focus.
    QPalette pal = palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    setPalette(pal);
}

void ResultListView::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::LeftButton) m_pressPos = e->position().toPoint();
    QTableView::mousePressEvent(e);
    if (e->button() == Qt::RightButton && selectionModel()->hasSelection() && selectedFiles) {
        const QStringList files = selectedFiles();
        vorq::shell().contextMenu(this, files, e->globalPosition().toPoint());
    }
}

void ResultListView::mouseMoveEvent(QMouseEvent *e) {
    const bool held = e->buttons() & (Qt::LeftButton | Qt::RightButton);
    if (held && !m_dragging && selectionModel()->hasSelection()) {
        const QPoint d = e->position().toPoint() - m_pressPos;
        if ((std::abs(d.x()) >= kDragDistance || std::abs(d.y()) >= kDragDistance) && selectedFiles) {
            const QStringList files = selectedFiles();
            if (!files.isEmpty()) {
                m_dragging = true;
                vorq::shell().dragFiles(this, files);
                m_dragging = false;
                return;
            }
        }
    }
    // Moving with the button held would otherwise extend the selection.
    if (!(e->buttons() & Qt::LeftButton)) QTableView::mouseMoveEvent(e);
}

}  // namespace vorq
