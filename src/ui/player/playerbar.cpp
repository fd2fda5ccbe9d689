#include "ui/player/playerbar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <cmath>

#include "core/player/playqueue.h"
#include "ui/common/readablecolours.h"
#include "ui/player/queueplayer.h"

namespace vorq {

PlayerBar::PlayerBar(QueuePlayer *player, QWidget *parent) : QFrame(parent), m_player(player) {
    setObjectName(QStringLiteral("PlayerBar"));
    setFrameShape(QFrame::StyledPanel);
    setAccessibleName(QStringLiteral("プレーヤー"));
    auto button = [this](const char *name, QStyle::StandardPixmap icon, const QString &text) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(name));
        b->setIcon(colours::glyphIcon(style(), icon, palette()));
        b->setToolTip(text);
        b->setAccessibleName(text);
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus);
        return b;
    };
    previousButton = button("PreviousButton", QStyle::SP_MediaSkipBackward, QStringLiteral("前の曲"));
    playPauseButton = button("PlayPauseButton", QStyle::SP_MediaPlay, QStringLiteral("再生"));
    nextButton = button("NextButton", QStyle::SP_MediaSkipForward, QStringLiteral("次の曲"));
    stopButton = button("StopButton", QStyle::SP_MediaStop, QStringLiteral("停止"));

    nowPlayingLabel = new QLabel(this);
    nowPlayingLabel->setObjectName(QStringLiteral("NowPlayingLabel"));
    // Titles come from chart pages: never rich text.
    nowPlayingLabel->setTextFormat(Qt::PlainText);
    nowPlayingLabel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    nowPlayingLabel->setMinimumWidth(160);

    positionSlider = new QSlider(Qt::Horizontal, this);
    positionSlider->setObjectName(QStringLiteral("PositionSlider"));
    positionSlider->setAccessibleName(QStringLiteral("再生位置"));
    positionSlider->setSingleStep(5000);
    positionSlider->setPageStep(30000);
    positionSlider->setMinimumWidth(120);
    timeLabel = new QLabel(playTimeText(0) + QStringLiteral(" / ") + playTimeText(0), this);
    timeLabel->setObjectName(QStringLiteral("TimeLabel"));
    timeLabel->setAccessibleName(QStringLiteral("再生時間"));

    auto *volumeIcon = new QLabel(this);
    volumeIcon->setPixmap(colours::glyphIcon(style(), QStyle::SP_MediaVolume, palette()).pixmap(16, 16));
    volumeSlider = new QSlider(Qt::Horizontal, this);
    volumeSlider->setObjectName(QStringLiteral("VolumeSlider"));
    volumeSlider->setAccessibleName(QStringLiteral("音量"));
    volumeSlider->setToolTip(QStringLiteral("音量"));
    volumeSlider->setRange(0, 100);
    volumeSlider->setPageStep(10);
    volumeSlider->setValue(int(std::lround(player->volume() * 100)));
    volumeSlider->setFixedWidth(90);
    volumeIcon->setBuddy(volumeSlider);

    queueButton = button("QueueButton", QStyle::SP_FileDialogDetailedView, QStringLiteral("再生キュー"));
    queueButton->setText(QStringLiteral("キュー"));
    queueButton->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));  // a picture, not a glyph
    queueButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    closeButton =
        button("ClosePlayerButton", QStyle::SP_TitleBarCloseButton, QStringLiteral("プレーヤーを閉じる"));

    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(4);
    for (QWidget *w : {static_cast<QWidget *>(previousButton), static_cast<QWidget *>(playPauseButton),
                       static_cast<QWidget *>(nextButton), static_cast<QWidget *>(stopButton)})
        row->addWidget(w);
    row->addWidget(nowPlayingLabel, 2);
    row->addWidget(positionSlider, 3);
    row->addWidget(timeLabel);
    row->addWidget(volumeIcon);
    row->addWidget(volumeSlider);
    row->addWidget(queueButton);
    row->addWidget(closeButton);

    connect(playPauseButton, &QToolButton::clicked, player, &QueuePlayer::playPause);
    connect(previousButton, &QToolButton::clicked, player, &QueuePlayer::previous);
    connect(nextButton, &QToolButton::clicked, player, &QueuePlayer::next);
    connect(stopButton, &QToolButton::clicked, player, &QueuePlayer::stop);
    connect(queueButton, &QToolButton::clicked, this, &PlayerBar::queueRequested);
    connect(closeButton, &QToolButton::clicked, this, &PlayerBar::closeRequested);
    connect(positionSlider, &QSlider::sliderPressed, this, [this] { m_dragging = true; });
    connect(positionSlider, &QSlider::sliderMoved, this, [this] { updateTime(); });
    connect(positionSlider, &QSlider::sliderReleased, this, [this] {
        m_dragging = false;
        m_player->setPosition(positionSlider->value());
    });
    // A click beside the handle or a key moves by a step.
    connect(positionSlider, &QSlider::actionTriggered, this, [this](int action) {
        if (action != QAbstractSlider::SliderMove && !m_dragging)
            m_player->setPosition(positionSlider->sliderPosition());
    });
    connect(volumeSlider, &QSlider::valueChanged, this, [this](int v) { m_player->setVolume(v / 100.0); });
    connect(player, &QueuePlayer::volumeChanged, this, [this](double v) {
        const QSignalBlocker quiet(volumeSlider);
        volumeSlider->setValue(int(std::lround(v * 100)));
    });
    connect(player, &QueuePlayer::stateChanged, this, [this] { updateState(); });
    connect(player, &QueuePlayer::currentChanged, this, [this] { updateEntry(); });
    connect(player, &QueuePlayer::queueChanged, this, [this] { updateEntry(); });
    connect(player, &QueuePlayer::durationChanged, this, [this](qint64 ms) {
        positionSlider->setRange(0, int(std::min<qint64>(ms, INT_MAX)));
        updateTime();
    });
    connect(player, &QueuePlayer::positionChanged, this, [this](qint64 ms) {
        if (m_dragging) return;
        const QSignalBlocker quiet(positionSlider);
        positionSlider->setValue(int(std::min<qint64>(ms, INT_MAX)));
        updateTime();
    });
    connect(player, &QueuePlayer::seekableChanged, this, [this] { updateState(); });
    updateEntry();
}

void PlayerBar::updateState() {
    const bool playing = m_player->state() == QueuePlayer::State::Playing;
    const QString text = playing ? QStringLiteral("一時停止") : QStringLiteral("再生");
    playPauseButton->setIcon(
        colours::glyphIcon(style(), playing ? QStyle::SP_MediaPause : QStyle::SP_MediaPlay, palette()));
    playPauseButton->setToolTip(text);
    playPauseButton->setAccessibleName(text);
    playPauseButton->setEnabled(playing || m_player->canPlay());
    previousButton->setEnabled(m_player->canGoPrevious());
    nextButton->setEnabled(m_player->canGoNext());
    stopButton->setEnabled(m_player->state() != QueuePlayer::State::Stopped);
    positionSlider->setEnabled(m_player->isSeekable());
}

void PlayerBar::updateEntry() {
    const QueueEntry *e = m_player->currentEntry();
    const QString text = e ? nowPlayingText(*e) : QString();
    nowPlayingLabel->setText(text);
    nowPlayingLabel->setToolTip(text);
    nowPlayingLabel->setAccessibleName(text.isEmpty() ? QStringLiteral("再生中の曲なし") : text);
    if (!e) {
        const QSignalBlocker quiet(positionSlider);
        positionSlider->setRange(0, 0);
    }
    updateTime();
    updateState();
}

void PlayerBar::updateTime() {
    const qint64 at = m_dragging ? positionSlider->sliderPosition() : positionSlider->value();
    timeLabel->setText(playTimeText(at) + QStringLiteral(" / ") + playTimeText(positionSlider->maximum()));
}

}  // namespace vorq
