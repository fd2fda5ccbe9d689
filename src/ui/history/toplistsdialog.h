#pragma once
// The top lists over the loaded range, and the year-end and decade charts
// of a year or decade chosen beside them. The list saves through the
// result window's list and playlist writers and plays through the player.
#include <QDialog>
#include <QList>
#include <functional>

#include "core/history/charthistory.h"
#include "core/history/toplistrows.h"

class QComboBox;
class QPushButton;
class QTableWidget;

namespace vorq {

class ResultListWindow;

class TopListsDialog : public QDialog {
    Q_OBJECT
public:
    // orderBox: the five TopOrder lists, then these charts by points.
    enum PointsList { SongsOfYear = 5, SongsOfDecade, ArtistsOfYear, ArtistsOfDecade };

    explicit TopListsDialog(QWidget *parent = nullptr);
    // The index is asked for at every fill: it may be rebuilt in between.
    // The tables give the saved rows their files.
    void setHistory(std::function<const vorq::ChartHistory &()> history,
                    std::function<const QList<vorq::ChartTab> &()> tabs = {});
    void setResultWindow(ResultListWindow *window) { m_resultWindow = window; }

    void onSaveClicked(bool playlist);
    const QList<vorq::TopListItem> &items() const { return m_items; }

    QComboBox *orderBox = nullptr;
    QComboBox *periodBox = nullptr;  // the year or decade of the charts by points
    QTableWidget *table = nullptr;
    QPushButton *saveListButton = nullptr;
    QPushButton *savePlaylistButton = nullptr;
    QPushButton *playButton = nullptr;  // "再生", song lists only; its menu is the player's

signals:
    void songChosen(const vorq::SongKey &song);
    void artistChosen(const QByteArray &artist);

private:
    void fill();
    void fillPeriods(bool decades);
    void fillPoints(bool decade, bool artists);
    std::function<const vorq::ChartHistory &()> m_history;
    std::function<const QList<vorq::ChartTab> &()> m_tabs;
    ResultListWindow *m_resultWindow = nullptr;
    QList<vorq::TopListItem> m_items;  // the table's rows
};

}  // namespace vorq
