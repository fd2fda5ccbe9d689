#pragma once
// Plays a play queue through Qt Multimedia, one entry after the other, each
// file with a media backend of its own (a window that never plays never
// loads one; shutdown() lets the last go). Nothing here waits: loading,
// playing and failing arrive as signals, so the window and an import run
// on. A file that will not play is reported once and passed over.
#include <QObject>
#include <QUrl>

#include "core/player/playqueue.h"

class QAudioOutput;
class QMediaPlayer;

namespace vorq {

class QueuePlayer : public QObject {
    Q_OBJECT
public:
    enum class State { Stopped, Playing, Paused };

    explicit QueuePlayer(QObject *parent = nullptr);
    ~QueuePlayer() override;

    // Replaces the queue and plays from start (the first entry by default).
    void setQueue(vorq::PlayQueue queue, int start = 0);
    const vorq::PlayQueue &queue() const { return m_queue; }
    // Counts up with every queue: track ids stay unique across queues.
    int generation() const { return m_generation; }

    int current() const { return m_cursor.current(); }
    const vorq::QueueEntry *currentEntry() const;
    bool hasFailed(int index) const { return m_cursor.hasFailed(index); }
    State state() const { return m_state; }
    qint64 position() const;  // ms
    qint64 duration() const;  // ms, 0 while unknown
    bool isSeekable() const;
    double volume() const { return m_volume; }  // 0..1, linear

    bool canGoNext() const { return m_cursor.next() >= 0; }
    bool canGoPrevious() const { return m_cursor.current() >= 0 && m_cursor.previous() >= 0; }
    bool canPlay() const { return current() >= 0 || m_cursor.next() >= 0; }
    bool canPause() const { return current() >= 0; }

    void play();
    void pause();
    void playPause();
    void stop();
    void next();
    void previous();
    void jumpTo(int index);
    void setPosition(qint64 ms);
    void seekBy(qint64 ms);  // past the end goes to the next entry
    void setVolume(double volume);
    // Stops at once and lets the media backend go (the window closes).
    void shutdown();

signals:
    void queueChanged();
    void currentChanged(int index);
    void stateChanged(vorq::QueuePlayer::State state);
    void positionChanged(qint64 ms);
    void durationChanged(qint64 ms);
    void seekableChanged(bool seekable);
    void volumeChanged(double volume);
    // After a jump within the entry (not the steady advance of playing).
    void seeked(qint64 ms);
    // An entry's file would not play; reported once per entry.
    void playbackFailed(int index, const QString &message);
    // The last entry has ended; nothing is current any more.
    void finished();

private:
    void ensureBackend();
    void releaseBackend();
    void load(int index, bool start);
    void setState(State state);
    void onMediaStatus(int status);
    void onError(const QString &message);
    void advance();
    bool isCurrentSource() const;

    vorq::PlayQueue m_queue;
    vorq::QueueCursor m_cursor;
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
    QUrl m_source;  // the current entry's file as given to the backend
    State m_state = State::Stopped;
    double m_volume = 1.0;
    int m_generation = 0;
};

}  // namespace vorq
