#pragma once
// The play queue in a small window of its own: the songs in the order they
// play, the one playing marked (double-click or Enter plays another), and
// below them "再生できない曲", the songs left out with the reason.
#include <QWidget>

class QLabel;
class QTreeWidget;

namespace vorq {

class QueuePlayer;

class QueueWindow : public QWidget {
    Q_OBJECT
public:
    QueueWindow(QueuePlayer *player, QWidget *parent);

    QTreeWidget *queueList = nullptr;    // "QueueList"
    QLabel *skippedLabel = nullptr;      // "再生できない曲"
    QTreeWidget *skippedList = nullptr;  // "SkippedList"

private:
    void fill();
    void markCurrent();
    void jumpToItem(int index);

    QueuePlayer *m_player;
    int m_marked = -1;
};

}  // namespace vorq
