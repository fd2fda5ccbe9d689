#pragma once
// The top lists over the loaded range: songs or artists by their figures.
#include <QDialog>
#include <QList>
#include <functional>

#include "core/history/charthistory.h"

class QComboBox;
class QTableWidget;

namespace vorq {

class TopListsDialog : public QDialog {
    Q_OBJECT
public:
    explicit TopListsDialog(QWidget *parent = nullptr);
    // The index is asked for at every fill: it may be rebuilt in between.
    void setHistory(std::function<const vorq::ChartHistory &()> history);

    QComboBox *orderBox = nullptr;
    QTableWidget *table = nullptr;

signals:
    void songChosen(const vorq::SongKey &song);
    void artistChosen(const QByteArray &artist);

private:
    void fill();
    std::function<const vorq::ChartHistory &()> m_history;
    QList<vorq::TopEntry> m_entries;
};

}  // namespace vorq
