#include "ui/player/queueplayer.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <algorithm>

namespace vorq {

QueuePlayer::QueuePlayer(QObject *parent) : QObject(parent) {}

QueuePlayer::~QueuePlayer() { shutdown(); }

void QueuePlayer::ensureBackend() {
    if (m_player) return;
    m_player = new QMediaPlayer(this);
    m_output = new QAudioOutput(this);
    m_output->setVolume(float(m_volume));
    m_player->setAudioOutput(m_output);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus s) { onMediaStatus(int(s)); });
    connect(m_player, &QMediaPlayer::errorOccurred, this, [this](QMediaPlayer::Error, const QString &text) {
        if (isCurrentSource()) onError(text);
    });
    connect(m_player, &QMediaPlayer::positionChanged, this, [this](qint64 ms) {
        if (isCurrentSource()) emit positionChanged(ms);
    });
    connect(m_player, &QMediaPlayer::durationChanged, this, [this](qint64 ms) {
        if (isCurrentSource()) emit durationChanged(ms);
    });
    connect(m_player, &QMediaPlayer::seekableChanged, this, &QueuePlayer::seekableChanged);
}

bool QueuePlayer::isCurrentSource() const {
    return m_player && !m_source.isEmpty() && m_player->source() == m_source;
}

const QueueEntry *QueuePlayer::currentEntry() const {
    const int i = current();
    return i >= 0 && i < m_queue.entries.size() ? &m_queue.entries.at(i) : nullptr;
}

qint64 QueuePlayer::position() const { return isCurrentSource() ? m_player->position() : 0; }
qint64 QueuePlayer::duration() const { return isCurrentSource() ? m_player->duration() : 0; }
bool QueuePlayer::isSeekable() const { return isCurrentSource() && m_player->isSeekable(); }

void QueuePlayer::setQueue(PlayQueue queue, int start) {
    if (m_player) m_player->stop();
    m_queue = std::move(queue);
    m_cursor.reset(m_queue.entries.size());
    m_source.clear();
    ++m_generation;
    emit queueChanged();
    if (m_queue.entries.isEmpty()) {
        if (m_player) m_player->setSource({});
        setState(State::Stopped);
        emit currentChanged(-1);
        return;
    }
    load(std::clamp(start, 0, int(m_queue.entries.size()) - 1), true);
}

// Every file gets a backend of its own. One reused after an error fails the
// next file too ("Internal data stream error"), and one given a new source
// right after stop() skips its loading and may not report the new length.
void QueuePlayer::load(int index, bool start) {
    releaseBackend();
    ensureBackend();
    m_cursor.setCurrent(index);
    m_source = QUrl::fromLocalFile(m_queue.entries.at(index).path);
    m_player->setSource(m_source);
    emit currentChanged(index);
    emit durationChanged(m_player->duration());
    emit positionChanged(m_player->position());
    if (start) {
        m_player->play();
        setState(State::Playing);
    } else {
        setState(State::Stopped);
    }
}

void QueuePlayer::setState(State state) {
    if (state == m_state) return;
    m_state = state;
    emit stateChanged(state);
}

void QueuePlayer::onMediaStatus(int status) {
    if (!isCurrentSource()) return;
    if (status == QMediaPlayer::EndOfMedia) {
        advance();
    } else if (status == QMediaPlayer::InvalidMedia) {
        onError(m_player->errorString());
    }
}

void QueuePlayer::onError(const QString &message) {
    const int i = current();
    if (i < 0 || m_cursor.hasFailed(i)) return;
    m_cursor.markFailed(i);
    emit playbackFailed(i, message.isEmpty() ? QStringLiteral("再生できない形式です。") : message);
    if (m_state == State::Playing) advance();
}

// The backend is in the middle of its own signal: move on once it is out.
void QueuePlayer::advance() {
    const int from = current();
    const QUrl source = m_source;
    QMetaObject::invokeMethod(
        this,
        [this, from, source] {
            // A command in between (next, a jump, a new queue) has moved on.
            if (current() != from || m_source != source) return;
            const int n = m_cursor.next();
            if (n >= 0) {
                load(n, true);
                return;
            }
            if (m_player) {
                m_player->stop();
                m_player->setSource({});
            }
            m_source.clear();
            m_cursor.setCurrent(-1);
            setState(State::Stopped);
            emit currentChanged(-1);
            emit finished();
        },
        Qt::QueuedConnection);
}

void QueuePlayer::play() {
    if (current() < 0 || !m_player) {
        const int n = m_cursor.next();
        if (n >= 0) load(n, true);
        return;
    }
    if (m_cursor.hasFailed(current())) return;
    m_player->play();
    setState(State::Playing);
}

void QueuePlayer::pause() {
    if (m_state != State::Playing || !m_player) return;
    m_player->pause();
    setState(State::Paused);
}

void QueuePlayer::playPause() {
    if (m_state == State::Playing)
        pause();
    else
        play();
}

void QueuePlayer::stop() {
    if (m_player) m_player->stop();
    setState(State::Stopped);
    emit positionChanged(0);
}

void QueuePlayer::next() {
    if (const int n = m_cursor.next(); n >= 0) load(n, true);
}

void QueuePlayer::previous() {
    if (current() < 0) return;
    if (const int p = m_cursor.previous(); p >= 0) load(p, true);
}

void QueuePlayer::jumpTo(int index) {
    if (index < 0 || index >= m_queue.entries.size() || m_cursor.hasFailed(index)) return;
    load(index, true);
}

void QueuePlayer::setPosition(qint64 ms) {
    if (!isSeekable()) return;
    const qint64 length = m_player->duration();
    ms = std::max<qint64>(ms, 0);
    if (length > 0) ms = std::min(ms, length);
    m_player->setPosition(ms);
    emit seeked(ms);
}

void QueuePlayer::seekBy(qint64 ms) {
    if (!isSeekable()) return;
    const qint64 target = m_player->position() + ms;
    if (m_player->duration() > 0 && target > m_player->duration()) {
        next();
        return;
    }
    setPosition(target);
}

void QueuePlayer::setVolume(double volume) {
    volume = std::clamp(volume, 0.0, 1.0);
    if (qFuzzyCompare(volume + 1.0, m_volume + 1.0)) return;
    m_volume = volume;
    if (m_output) m_output->setVolume(float(volume));
    emit volumeChanged(volume);
}

void QueuePlayer::releaseBackend() {
    if (!m_player) return;
    m_player->stop();
    // Its queued signals must not reach us any more.
    m_player->disconnect(this);
    delete m_player;
    delete m_output;
    m_player = nullptr;
    m_output = nullptr;
}

void QueuePlayer::shutdown() {
    releaseBackend();
    m_source.clear();
    setState(State::Stopped);
}

}  // namespace vorq
