#pragma once
// The main window's player: the countdown of a week ("カウントダウン再生" in
// the date menu and the chart's menu, with the top-N choice), the result
// window's, the playlist maker's and the top lists' "再生", the player bar,
// the queue window and the desktop's media controls. It marks the playing
// row in the chart view and follows it from week to week.
#include <QList>
#include <QObject>
#include <functional>

#include "core/player/playqueue.h"

class QAction;
class QLabel;
class QMenu;
class QWidget;

namespace vorq {

class MainWindow;
class MprisService;
class PlayerBar;
class QueuePlayer;
class QueueWindow;

class PlayerCommands : public QObject {
    Q_OBJECT
public:
    explicit PlayerCommands(MainWindow *form);
    ~PlayerCommands() override;

    QueuePlayer *player() const { return m_player; }
    // Hidden until something is played; the main window lays it out.
    PlayerBar *bar() const { return m_bar; }
    QueueWindow *queueWindow();  // made when first shown
    MprisService *mpris() const { return m_mpris; }
    // Right of the status bar's panels: what would not play.
    QLabel *messageLabel() const { return m_message; }
    // The countdown choices for the week on view, for the chart's menu.
    QAction *chartCountdownAction() const;

    // The sources. A week must be loaded.
    void countdown(int tag, const vorq::CountdownOptions &options);
    void playResultRows(const vorq::ResultList &rows);
    void playPlaylist(const vorq::ResultList &rows, qint64 count);
    void playTopList(const QList<vorq::TopListItem> &items, const vorq::CountdownOptions &options);
    void play(vorq::PlayQueue queue);

    // Stops the sound and leaves the desktop's media controls (the window
    // closes).
    void shutdown();

    // A "カウントダウン再生" menu: all places or the top N, and "1位から順に";
    // play receives the choice.
    QMenu *makeCountdownMenu(QWidget *parent, const QString &name,
                             std::function<void(const vorq::CountdownOptions &)> play);

private:
    void onCurrentChanged(int index);
    void mark(int tag, int row);
    void follow(const vorq::QueueEntry &entry);
    bool busy() const;
    void repaintWeek(int tag);

    MainWindow *m_form;
    QueuePlayer *m_player = nullptr;
    PlayerBar *m_bar = nullptr;
    QueueWindow *m_queueWindow = nullptr;
    MprisService *m_mpris = nullptr;
    QLabel *m_message = nullptr;
    QMenu *m_chartMenu = nullptr;
    QList<QAction *> m_fromTopActions;  // one per menu, checked alike
    bool m_fromTop = false;             // the menus' "1位から順に", for the run
};

}  // namespace vorq
