#include "ui/mainwindow/charttablemodel.h"

#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"

namespace vorq {

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
        // A screen reader reads the row, whichever cell has the focus, and
        // the file as the status bar shows it.
        case Qt::AccessibleTextRole:
            return QStringLiteral("%1位 %2 %3")
                .arg(sjis::toUnicode(e.rank), sjis::toUnicode(e.title), sjis::toUnicode(e.artist));
        case Qt::AccessibleDescriptionRole:
            return e.file.isEmpty() ? QString() : resolveStoredTarget(e.file).displayText();
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

}  // namespace vorq
