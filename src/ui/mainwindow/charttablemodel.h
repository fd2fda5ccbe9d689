#pragma once
// The rows of one chart table, read on demand from the store.
#include <QAbstractTableModel>

#include "core/charts/chartstore.h"

namespace vorq {

class ChartTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Roles beyond Qt's: the raw Shift-JIS field and the associated file.
    enum { FieldRole = Qt::UserRole + 1, AssociatedRole };
    ChartTableModel(const vorq::ChartStore *store, int table, QObject *parent);
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    // The table's rows changed (association edits, reload).
    void rowsChanged();

private:
    const vorq::ChartTable *table() const;
    const vorq::ChartStore *m_store;
    int m_table;
    int m_rows = 0;
};

}  // namespace vorq
