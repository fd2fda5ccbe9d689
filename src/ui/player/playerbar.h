#pragma once
// The player bar of the main window: play/pause, previous, next, stop, the
// position and volume sliders, the time, the song playing ("N位 曲名 /
// アーティスト") and the button that shows the queue. It only shows the
// player's state and passes the clicks on.
#include <QFrame>

class QLabel;
class QSlider;
class QToolButton;

namespace vorq {

class QueuePlayer;

class PlayerBar : public QFrame {
    Q_OBJECT
public:
    PlayerBar(QueuePlayer *player, QWidget *parent);

    QToolButton *playPauseButton = nullptr;  // "PlayPauseButton"
    QToolButton *previousButton = nullptr;   // "PreviousButton"
    QToolButton *nextButton = nullptr;       // "NextButton"
    QToolButton *stopButton = nullptr;       // "StopButton"
    QSlider *positionSlider = nullptr;       // "PositionSlider", in ms
    QLabel *timeLabel = nullptr;             // "TimeLabel": "0:12 / 3:45"
    QLabel *nowPlayingLabel = nullptr;       // "NowPlayingLabel"
    QSlider *volumeSlider = nullptr;         // "VolumeSlider", 0..100
    QToolButton *queueButton = nullptr;      // "QueueButton"
    QToolButton *closeButton = nullptr;      // "ClosePlayerButton": stop and hide

signals:
    void queueRequested();
    void closeRequested();

private:
    void updateState();
    void updateEntry();
    void updateTime();

    QueuePlayer *m_player;
    bool m_dragging = false;  // the slider is held: playing does not move it
};

}  // namespace vorq
