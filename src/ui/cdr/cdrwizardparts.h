#pragma once
// Parts of the CD-R wizard: the associated file list as a model over the
// session's items, and the folder lists' drawing (folder images indented by
// depth).
#include <QAbstractTableModel>
#include <QStyledItemDelegate>

#include "core/cdr/cdrstage.h"

namespace vorq {

class AssocListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit AssocListModel(const vorq::cdr::CdrSession *session, QObject *parent = nullptr)
        : QAbstractTableModel(parent), m_session(session) {}
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    // The session's list changed.
    void reload();

private:
    const vorq::cdr::CdrSession *m_session;
};

// Role holding a folder item's depth (0 for the root).
inline constexpr int kFolderDepthRole = Qt::UserRole + 1;

// Draws a folder list item: the root's image at depth 0, a closed folder
// below it, an open one for the highlighted item; indented 10 pixels per
// depth level in the open list.
class FolderItemDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

}  // namespace vorq
