// A notification service for tests, on whatever session bus it finds (run it
// under dbus-run-session): owns org.freedesktop.Notifications, writes each
// Notify call as one JSON line to the log, then runs COMMAND and exits with
// its status once it ends.
//
//   vorq-fakenotifyd --log FILE [--click | --keep] [--plain] -- COMMAND ARGS...
//
// After each Notify it closes the notification (reason 2, dismissed), or with
// --click invokes its "default" action first, or with --keep leaves it open.
// --plain offers neither actions nor markup.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTimer>
#include <cstdio>

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QString logPath;
    bool click = false, keep = false, plain = false;

public slots:
    QStringList GetCapabilities() {
        return plain ? QStringList{QStringLiteral("body")}
                     : QStringList{QStringLiteral("actions"), QStringLiteral("body"),
                                   QStringLiteral("body-markup")};
    }
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion) {
        vendor = QStringLiteral("vorq tests");
        version = QStringLiteral("1");
        specVersion = QStringLiteral("1.2");
        return QStringLiteral("vorq-fakenotifyd");
    }
    uint Notify(const QString &appName, uint replacesId, const QString &appIcon, const QString &summary,
                const QString &body, const QStringList &actions, const QVariantMap &hints,
                int expireTimeout) {
        const uint id = ++m_lastId;
        QJsonObject o{{QStringLiteral("app_name"), appName},
                      {QStringLiteral("replaces_id"), qint64(replacesId)},
                      {QStringLiteral("app_icon"), appIcon},
                      {QStringLiteral("summary"), summary},
                      {QStringLiteral("body"), body},
                      {QStringLiteral("actions"), QJsonArray::fromStringList(actions)},
                      {QStringLiteral("hints"), QJsonArray::fromStringList(hints.keys())},
                      {QStringLiteral("expire_timeout"), expireTimeout}};
        QFile log(logPath);
        if (log.open(QIODevice::Append)) log.write(QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n');
        // After the reply, as a real service signals.
        QTimer::singleShot(0, this, [this, id] {
            if (keep) return;
            if (click) emit ActionInvoked(id, QStringLiteral("default"));
            emit NotificationClosed(id, 2);
        });
        return id;
    }
    void CloseNotification(uint id) { emit NotificationClosed(id, 3); }

signals:
    void ActionInvoked(uint id, const QString &actionKey);
    void NotificationClosed(uint id, uint reason);

private:
    uint m_lastId = 0;
};

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    FakeNotifications service;
    QStringList args = app.arguments().mid(1);
    while (!args.isEmpty() && args.first() != QLatin1String("--")) {
        const QString a = args.takeFirst();
        if (a == QLatin1String("--log") && !args.isEmpty())
            service.logPath = args.takeFirst();
        else if (a == QLatin1String("--click"))
            service.click = true;
        else if (a == QLatin1String("--keep"))
            service.keep = true;
        else if (a == QLatin1String("--plain"))
            service.plain = true;
    }
    if (args.size() < 2 || service.logPath.isEmpty()) {
        std::fprintf(stderr, "usage: vorq-fakenotifyd --log FILE [--click|--keep] [--plain] -- COMMAND...\n");
        return 2;
    }
    args.removeFirst();
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "vorq-fakenotifyd: cannot own org.freedesktop.Notifications: %s\n",
                     qPrintable(bus.lastError().message()));
        return 125;
    }
    QProcess command;
    command.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&command, &QProcess::finished, &app, [&](int code, QProcess::ExitStatus status) {
        app.exit(status == QProcess::NormalExit ? code : 126);
    });
    QObject::connect(&command, &QProcess::errorOccurred, &app, [&](QProcess::ProcessError e) {
        if (e == QProcess::FailedToStart) app.exit(127);
    });
    command.start(args.takeFirst(), args);
    return app.exec();
}

#include "fakenotifyd.moc"
