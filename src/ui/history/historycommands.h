#pragma once
#include <QObject>
#include <memory>

#include "core/history/charthistory.h"

class QAction;

namespace vorq {

class HistoryWindow;
class MainWindow;
class TopListsDialog;

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

}  // namespace vorq
