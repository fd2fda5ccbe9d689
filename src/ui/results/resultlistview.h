#pragma once
// The result list window's list: a virtual table over the window's rows,
// and the view that starts drag-outs and the file context menu.
#include <QAbstractTableModel>
#include <QPoint>
#include <QTableView>

#include "core/lists/resultlist.h"

namespace vorq {

// Item i is row i of the result list; only texts 0..5 have columns.
class ResultListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;

    const vorq::ResultList &rows() const { return m_rows; }
    void clear();
    void append(const vorq::ResultRow &row);
    void setRows(vorq::ResultList rows);
    // Changes the rows in place (sorting); the view is reset.
    void rearrange(const std::function<void(vorq::ResultList &)> &change);

private:
    vorq::ResultList m_rows;
};

class ResultListView : public QTableView {
    Q_OBJECT
public:
    explicit ResultListView(QWidget *parent = nullptr);
    // How far the pointer must move from the press before a drag starts.
    static constexpr int kDragDistance = 10;
    bool dragInProgress() const { return m_dragging; }

    // Asked for the files of the selected rows at each drag and menu.
    std::function<QStringList()> selectedFiles;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;

private:
    QPoint m_pressPos;
    bool m_dragging = false;
};

}  // namespace vorq
