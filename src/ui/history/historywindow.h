#pragma once
// The chart history windows: a song's or an artist's figures, appearances
// and chart-run plot, and the top lists over the loaded range. They read a
// ChartHistory the main window keeps current (HistoryCommands).
#include <QDialog>
#include <QObject>
#include <functional>
#include <memory>

#include "core/history/charthistory.h"
#include "core/history/toplistrows.h"

class ChartRunPlot;
class QAction;
class MainWindow;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class ResultListWindow;

class HistoryWindow : public QDialog {
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *parent = nullptr);

    void showSong(const vorq::SongFigures &song);
    void showArtist(const vorq::ArtistFigures &artist);

    ChartRunPlot *plot = nullptr;
    QLabel *figuresLabel = nullptr;
    QTableWidget *appearanceTable = nullptr;  // song: date, rank; artist: its songs
    QPushButton *savePngButton = nullptr;
    QPushButton *saveSvgButton = nullptr;

signals:
    // A double click on a week of the song's appearances.
    void weekChosen(int tag);
    // A double click on one of the artist's songs.
    void songChosen(const vorq::SongKey &song);

private:
    void onExport(bool svg);
    bool m_artistMode = false;
    QList<vorq::SongKey> m_songs;  // artist mode: the table's rows
};

// The top lists over the loaded range, and the year-end and decade charts
// of a year or decade chosen beside them. The list saves through the
// result window's list and playlist writers.
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

// The main window's history commands: shortcuts Ctrl+H (the selected
// song), Ctrl+Shift+H (its artist) and Ctrl+T (top lists). The index is
// rebuilt when the loaded dates changed (load, import, reload).
class HistoryCommands : public QObject {
    Q_OBJECT
public:
    explicit HistoryCommands(MainWindow *window);
    const vorq::ChartHistory &history();

    void showSongOfSelection();
    void showArtistOfSelection();
    void showSong(const vorq::SongKey &song);
    void showArtist(const QByteArray &artist);
    void showTopLists();
    HistoryWindow *historyWindow() const { return m_window; }
    // The selected row's song and artist history, for the row's menu.
    QAction *songAction = nullptr;
    QAction *artistAction = nullptr;

private:
    void showWeek(int tag);
    void ensureWindow();
    MainWindow *m_main;
    std::unique_ptr<vorq::ChartHistory> m_history;
    size_t m_key = 0;
    HistoryWindow *m_window = nullptr;
    TopListsDialog *m_top = nullptr;
};
