#include "ui/player/mprisservice.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QUrl>
#include <QWidget>

#include "core/text/sjistext.h"
#include "ui/player/queueplayer.h"

namespace vorq {

namespace {

const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kNoTrack = QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");

}  // namespace

MprisService::MprisService(QueuePlayer *player, QWidget *window, QObject *parent)
    : QObject(parent), m_player(player), m_window(window) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return;
    m_object = new QObject(this);
    new MprisRootAdaptor(this, m_object);
    auto *playerAdaptor = new MprisPlayerAdaptor(this, m_object);
    if (!bus.registerObject(kObjectPath, m_object, QDBusConnection::ExportAdaptors)) return;
    // A second vorqview takes a name of its own, as the MPRIS rules ask.
    const QString name = QStringLiteral("org.mpris.MediaPlayer2.vorqview");
    const QString instance = name + QStringLiteral(".instance%1").arg(QCoreApplication::applicationPid());
    if (bus.registerService(name))
        m_name = name;
    else if (bus.registerService(instance))
        m_name = instance;
    if (m_name.isEmpty()) {
        bus.unregisterObject(kObjectPath);
        return;
    }
    for (auto changed : {&QueuePlayer::queueChanged, &QueuePlayer::finished})
        connect(player, changed, this, &MprisService::announce);
    connect(player, &QueuePlayer::currentChanged, this, &MprisService::announce);
    connect(player, &QueuePlayer::stateChanged, this, &MprisService::announce);
    connect(player, &QueuePlayer::durationChanged, this, &MprisService::announce);
    connect(player, &QueuePlayer::seekableChanged, this, &MprisService::announce);
    connect(player, &QueuePlayer::volumeChanged, this, &MprisService::announce);
    connect(player, &QueuePlayer::playbackFailed, this, &MprisService::announce);
    connect(player, &QueuePlayer::seeked, playerAdaptor,
            [playerAdaptor](qint64 ms) { emit playerAdaptor->Seeked(ms * 1000); });
    announce();
}

MprisService::~MprisService() {
    if (m_name.isEmpty()) return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterService(m_name);
    bus.unregisterObject(kObjectPath);
}

QString MprisService::playbackStatus() const {
    switch (m_player->state()) {
        case QueuePlayer::State::Playing: return QStringLiteral("Playing");
        case QueuePlayer::State::Paused: return QStringLiteral("Paused");
        case QueuePlayer::State::Stopped: break;
    }
    return QStringLiteral("Stopped");
}

QDBusObjectPath MprisService::trackId() const {
    if (m_player->current() < 0) return QDBusObjectPath(kNoTrack);
    return QDBusObjectPath(
        QStringLiteral("/org/vorqview/track/%1_%2").arg(m_player->generation()).arg(m_player->current()));
}

QVariantMap MprisService::metadata() const {
    QVariantMap m{{QStringLiteral("mpris:trackid"), QVariant::fromValue(trackId())}};
    const QueueEntry *e = m_player->currentEntry();
    if (!e) return m;
    m.insert(QStringLiteral("xesam:title"), sjis::toUnicode(e->title));
    m.insert(QStringLiteral("xesam:artist"), QStringList{sjis::toUnicode(e->artist)});
    bool isNumber = false;
    const int rank = e->rank.toInt(&isNumber);
    if (isNumber) m.insert(QStringLiteral("xesam:trackNumber"), rank);
    if (e->tag) m.insert(QStringLiteral("xesam:album"), sjis::toUnicode(dateLabelFromTag(e->tag)));
    m.insert(QStringLiteral("xesam:url"), QUrl::fromLocalFile(e->path).toString());
    if (m_player->duration() > 0)
        m.insert(QStringLiteral("mpris:length"), qlonglong(m_player->duration()) * 1000);
    return m;
}

void MprisService::announce() {
    if (m_name.isEmpty()) return;
    const QVariantMap meta = metadata();
    // The metadata is compared by what identifies it; QVariant does not
    // compare the object path inside.
    const QString fingerprint =
        trackId().path() + u'|' + QString::number(meta.value(QStringLiteral("mpris:length")).toLongLong());
    const QVariantMap now{
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("Metadata"), fingerprint},
        {QStringLiteral("Volume"), m_player->volume()},
        {QStringLiteral("CanGoNext"), m_player->canGoNext()},
        {QStringLiteral("CanGoPrevious"), m_player->canGoPrevious()},
        {QStringLiteral("CanPlay"), m_player->canPlay()},
        {QStringLiteral("CanPause"), m_player->canPause()},
        {QStringLiteral("CanSeek"), m_player->isSeekable()},
    };
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_announced.contains(it.key()) && m_announced.value(it.key()) == it.value()) continue;
        changed.insert(it.key(), it.key() == QLatin1String("Metadata") ? QVariant(meta) : it.value());
    }
    m_announced = now;
    if (changed.isEmpty()) return;
    QDBusMessage signal = QDBusMessage::createSignal(
        kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    QDBusConnection::sessionBus().send(signal);
}

// ---- org.mpris.MediaPlayer2 ----------------------------------------------------

MprisRootAdaptor::MprisRootAdaptor(MprisService *service, QObject *object)
    : QDBusAbstractAdaptor(object), m_service(service) {}

QString MprisRootAdaptor::identity() const { return QStringLiteral("VORQ data viewer"); }
// The base name of the menu entry, vorqview.desktop.
QString MprisRootAdaptor::desktopEntry() const { return QStringLiteral("vorqview"); }
// OpenUri is refused (the queue comes from the charts), so no scheme or
// type is offered for it.
QStringList MprisRootAdaptor::supportedUriSchemes() const { return {}; }
QStringList MprisRootAdaptor::supportedMimeTypes() const { return {}; }

void MprisRootAdaptor::Raise() {
    if (QWidget *w = m_service->window()) {
        if (w->isMinimized()) w->showNormal();
        w->raise();
        w->activateWindow();
    }
}

void MprisRootAdaptor::Quit() {
    // The window's own close: unsaved associations are still asked about.
    if (QWidget *w = m_service->window()) QMetaObject::invokeMethod(w, &QWidget::close, Qt::QueuedConnection);
}

// ---- org.mpris.MediaPlayer2.Player ---------------------------------------------

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisService *service, QObject *object)
    : QDBusAbstractAdaptor(object), m_service(service) {}

QString MprisPlayerAdaptor::playbackStatus() const { return m_service->playbackStatus(); }
QVariantMap MprisPlayerAdaptor::metadata() const { return m_service->metadata(); }
double MprisPlayerAdaptor::volume() const { return m_service->player()->volume(); }
void MprisPlayerAdaptor::setVolume(double volume) { m_service->player()->setVolume(volume); }
qlonglong MprisPlayerAdaptor::position() const { return m_service->player()->position() * 1000; }
bool MprisPlayerAdaptor::canGoNext() const { return m_service->player()->canGoNext(); }
bool MprisPlayerAdaptor::canGoPrevious() const { return m_service->player()->canGoPrevious(); }
bool MprisPlayerAdaptor::canPlay() const { return m_service->player()->canPlay(); }
bool MprisPlayerAdaptor::canPause() const { return m_service->player()->canPause(); }
bool MprisPlayerAdaptor::canSeek() const { return m_service->player()->isSeekable(); }

void MprisPlayerAdaptor::Next() { m_service->player()->next(); }
void MprisPlayerAdaptor::Previous() { m_service->player()->previous(); }
void MprisPlayerAdaptor::Pause() { m_service->player()->pause(); }
void MprisPlayerAdaptor::PlayPause() { m_service->player()->playPause(); }
void MprisPlayerAdaptor::Stop() { m_service->player()->stop(); }
void MprisPlayerAdaptor::Play() { m_service->player()->play(); }
void MprisPlayerAdaptor::Seek(qlonglong offset) { m_service->player()->seekBy(offset / 1000); }

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &trackId, qlonglong position) {
    // A position meant for another track is ignored, as the protocol asks.
    if (trackId != m_service->trackId() || position < 0) return;
    if (m_service->player()->duration() > 0 && position / 1000 > m_service->player()->duration()) return;
    m_service->player()->setPosition(position / 1000);
}

void MprisPlayerAdaptor::OpenUri(const QString &uri, const QDBusMessage &message) {
    // The queue comes from the charts; a file from elsewhere is refused
    // plainly rather than accepted and dropped.
    message.setDelayedReply(true);
    QDBusConnection::sessionBus().send(
        message.createErrorReply(QDBusError::NotSupported,
                                 QStringLiteral("vorqview plays the songs of its charts only: %1").arg(uri)));
}

}  // namespace vorq
