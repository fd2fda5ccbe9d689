// vorq-fakenotifyd LOG dismiss|click COMMAND...: a notification service on the session bus (dbus-run-session)
// that logs each Notify as a JSON line and dismisses it, or clicks it ("default") first, while COMMAND runs.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QString log;
    bool click = false;
public slots:
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body-markup")}; }
    uint Notify(const QString &, uint, const QString &, const QString &summary, const QString &body,
                const QStringList &, const QVariantMap &, int) {
        const QJsonObject seen{{QStringLiteral("summary"), summary}, {QStringLiteral("body"), body}};
        QFile f(log);
        if (f.open(QIODevice::Append)) f.write(QJsonDocument(seen).toJson(QJsonDocument::Compact) + '\n');
        QTimer::singleShot(0, this, [this, id = ++m_lastId] {  // after the reply, as a real service
            if (click) emit ActionInvoked(id, QStringLiteral("default"));
            emit NotificationClosed(id, 2);
        });
        return m_lastId;
    }
signals:
    void ActionInvoked(uint id, const QString &key);
    void NotificationClosed(uint id, uint reason);

private:
    uint m_lastId = 0;
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 3) return 2;
    FakeNotifications service;
    service.log = args.takeFirst();
    service.click = args.takeFirst() == QLatin1String("click");
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")))
        return 125;
    QProcess command;
    command.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&command, &QProcess::finished, &app, [&](int code) { app.exit(code); });
    QObject::connect(&command, &QProcess::errorOccurred, &app, [&] { app.exit(127); });
    command.start(args.takeFirst(), args);
    return app.exec();
}

#include "fakenotifyd.moc"
