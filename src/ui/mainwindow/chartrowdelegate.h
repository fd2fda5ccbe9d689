#pragma once
// Draws a chart row: associated rows red and bold, selection highlighted,
// the row the player is playing on a pale ground with "▶" before its rank.
#include <QStyledItemDelegate>

namespace vorq {

// The row the player plays: a week (yyyymmdd) and its table row; tag 0
// while nothing plays. The main window holds it, the player sets it.
struct PlayingMark {
    int tag = 0;
    int row = -1;
};

class ChartRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    // mark: the main window's playing row; tag: the week of this view.
    ChartRowDelegate(const PlayingMark *mark, int tag, QObject *parent)
        : QStyledItemDelegate(parent), m_mark(mark), m_tag(tag) {}
    void paint(QPainter *p, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const PlayingMark *m_mark = nullptr;
    int m_tag = 0;
};

}  // namespace vorq
