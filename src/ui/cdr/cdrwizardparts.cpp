#include "ui/cdr/cdrwizardparts.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>

#include "core/text/sjistext.h"

namespace vorq {

int AssocListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(m_session->items().size());
}

int AssocListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant AssocListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= m_session->items().size()) return {};
    const cdr::AssocItem &item = m_session->items().at(index.row());
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
            case 0: return sjis::toUnicode(item.name);
            case 1: return sjis::toUnicode(item.location);
            default: return cdr::sizeText(item.size);
        }
    }
    if (role == Qt::TextAlignmentRole && index.column() == 2)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant AssocListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0: return QStringLiteral("ファイル名");
        case 1: return QStringLiteral("場所");
        case 2: return QStringLiteral("サイズ");
    }
    return {};
}

void AssocListModel::reload() {
    beginResetModel();
    endResetModel();
}

void FolderItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const int depth = index.data(kFolderDepthRole).toInt();
    QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
    const bool highlighted = opt.state & QStyle::State_Selected;
    opt.icon = style->standardIcon(depth == 0    ? QStyle::SP_DriveCDIcon
                                   : highlighted ? QStyle::SP_DirOpenIcon
                                                 : QStyle::SP_DirClosedIcon);
    opt.rect.adjust(10 * depth, 0, 0, 0);
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
}

QSize FolderItemDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const {
    QSize s = QStyledItemDelegate::sizeHint(option, index);
    s.rwidth() += 10 * index.data(kFolderDepthRole).toInt() + 20;
    return s;
}

}  // namespace vorq
