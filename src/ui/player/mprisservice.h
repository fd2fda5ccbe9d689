#pragma once
// The player on the desktop's media controls: MPRIS2 on the session bus as
// org.mpris.MediaPlayer2.vorqview (".instance<pid>" when another vorqview
// holds the name), so media keys, panels and playerctl drive it. QtDBus
// never announces property changes by itself: every change of the player
// is compared with what was last announced and sent as PropertiesChanged.
// Without a session bus nothing is registered and the player plays on.
#include <QDBusAbstractAdaptor>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QPointer>
#include <QStringList>
#include <QVariantMap>

class QWidget;

namespace vorq {

class QueuePlayer;

class MprisService : public QObject {
    Q_OBJECT
public:
    // window: raised by Raise, closed by Quit.
    MprisService(QueuePlayer *player, QWidget *window, QObject *parent = nullptr);
    ~MprisService() override;

    bool isRegistered() const { return !m_name.isEmpty(); }
    QString serviceName() const { return m_name; }

    QueuePlayer *player() const { return m_player; }
    QWidget *window() const { return m_window; }
    // The Player interface's values as the bus sees them.
    QString playbackStatus() const;
    QVariantMap metadata() const;
    QDBusObjectPath trackId() const;  // the NoTrack path without a current entry

private:
    void announce();

    QueuePlayer *m_player;
    QPointer<QWidget> m_window;
    QObject *m_object = nullptr;  // the exported object holding the adaptors
    QString m_name;
    QVariantMap m_announced;  // property -> the value last sent (Metadata by its fingerprint)
};

// org.mpris.MediaPlayer2
class MprisRootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ canQuit)
    Q_PROPERTY(bool CanRaise READ canRaise)
    Q_PROPERTY(bool HasTrackList READ hasTrackList)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ supportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ supportedMimeTypes)
public:
    MprisRootAdaptor(MprisService *service, QObject *object);
    bool canQuit() const { return true; }
    bool canRaise() const { return true; }
    bool hasTrackList() const { return false; }
    QString identity() const;
    QString desktopEntry() const;
    QStringList supportedUriSchemes() const;
    QStringList supportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    MprisService *m_service;
};

// org.mpris.MediaPlayer2.Player
class MprisPlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ rate WRITE setRate)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(double MinimumRate READ rate)
    Q_PROPERTY(double MaximumRate READ rate)
    Q_PROPERTY(bool CanGoNext READ canGoNext)
    Q_PROPERTY(bool CanGoPrevious READ canGoPrevious)
    Q_PROPERTY(bool CanPlay READ canPlay)
    Q_PROPERTY(bool CanPause READ canPause)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ canControl)
public:
    MprisPlayerAdaptor(MprisService *service, QObject *object);
    QString playbackStatus() const;
    double rate() const { return 1.0; }
    void setRate(double) {}  // one speed only (MinimumRate = MaximumRate = 1)
    QVariantMap metadata() const;
    double volume() const;
    void setVolume(double volume);
    qlonglong position() const;  // microseconds
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canPlay() const;
    bool canPause() const;
    bool canSeek() const;
    bool canControl() const { return true; }

public slots:
    void Next();
    void Previous();
    void Pause();
    void PlayPause();
    void Stop();
    void Play();
    void Seek(qlonglong offset);
    void SetPosition(const QDBusObjectPath &trackId, qlonglong position);
    void OpenUri(const QString &uri, const QDBusMessage &message);

signals:
    void Seeked(qlonglong position);

private:
    MprisService *m_service;
};

}  // namespace vorq
