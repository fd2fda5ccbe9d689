#include "cli/importnotifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTimer>
#include <QVariantMap>
#include <algorithm>

#include "cli/clicommon.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/import/newchartnotice.h"
#include "core/schedule/importtimer.h"
#include "core/text/sjistext.h"

namespace vorq::cli {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
constexpr int kCallTimeoutMs = 10000;

// The service's signals for any notification; the one of ours is picked by
// its id once Notify has answered (a quick service may signal before).
class NotificationSignals : public QObject {
    Q_OBJECT
public:
    QList<std::pair<uint, QString>> actions;
    QList<uint> closed;
    QEventLoop *loop = nullptr;

public slots:
    void actionInvoked(uint id, const QString &key) {
        actions.append({id, key});
        if (loop) loop->quit();
    }
    void notificationClosed(uint id, uint reason) {
        Q_UNUSED(reason);
        closed.append(id);
        if (loop) loop->quit();
    }
};

void tellFailure(const QString &why) {
    printError(QStringLiteral("vorq: デスクトップ通知を表示できませんでした: ") + why);
}

// vorqview beside this vorq (an installed or built pair), else on PATH.
QString viewerProgram() {
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/vorqview");
    if (QFileInfo(beside).isExecutable()) return beside;
    return QStandardPaths::findExecutable(QStringLiteral("vorqview"));
}

void openViewer(const QDate &week) {
    const QString viewer = viewerProgram();
    if (viewer.isEmpty()) {
        printError(QStringLiteral("vorq: vorqview が見つからないため、開けません。"));
        return;
    }
    const schedule::LaunchCommand launch =
        schedule::viewerLaunchCommand(viewer, {QStringLiteral("--date"), week.toString(Qt::ISODate)},
                                      qEnvironmentVariableIsSet("INVOCATION_ID"),
                                      QStandardPaths::findExecutable(QStringLiteral("systemd-run")));
    printError(QStringLiteral("vorq: vorqview で %1 を開きます。").arg(sjis::toUnicode(dateLabel(week))));
    bool ok = true;
    if (launch.waitForIt) {
        const schedule::CommandResult r =
            schedule::processRunner().run(launch.program, launch.arguments, 30000);
        ok = r.started && r.finished && r.exitCode == 0;
        if (!ok && !r.err.isEmpty())
            printError(QStringLiteral("vorq: ") + QString::fromLocal8Bit(r.err).trimmed());
    } else {
        ok = QProcess::startDetached(launch.program, launch.arguments);
    }
    if (!ok) printError(QStringLiteral("vorq: vorqview を起動できませんでした。"));
}

void showNotice(const NewChartNotice &notice, int waitSeconds) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) return tellFailure(bus.lastError().message());
    const QDBusMessage caps = bus.call(
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities")),
        QDBus::Block, kCallTimeoutMs);
    if (caps.type() != QDBusMessage::ReplyMessage) return tellFailure(caps.errorMessage());
    const QStringList capabilities = caps.arguments().value(0).toStringList();
    const bool markup = capabilities.contains(QStringLiteral("body-markup"));
    // A service without actions cannot be clicked: nothing to wait for.
    const bool clickable = capabilities.contains(QStringLiteral("actions"));

    // From any sender: matching the service's name would have the bus
    // library look up its owner, and a signal arriving before that answer
    // is dropped. The id tells ours apart.
    NotificationSignals heard;
    if (clickable) {
        bus.connect(QString(), kPath, kInterface, QStringLiteral("ActionInvoked"), &heard,
                    SLOT(actionInvoked(uint, QString)));
        bus.connect(QString(), kPath, kInterface, QStringLiteral("NotificationClosed"), &heard,
                    SLOT(notificationClosed(uint, uint)));
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QStringLiteral("vorqview"));
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue(uchar(1)));
    const QStringList actions =
        clickable ? QStringList{QStringLiteral("default"), QStringLiteral("表示")} : QStringList();
    call << QStringLiteral("vorqview") << uint(0) << QStringLiteral("vorqview") << noticeSummary(notice)
         << noticeBody(notice, markup) << actions << hints << int(-1);
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage) return tellFailure(reply.errorMessage());
    const uint id = reply.arguments().value(0).toUInt();
    if (!clickable || waitSeconds <= 0) return;

    printError(QStringLiteral("vorq: 通知をクリックすると vorqview で開きます (最長 %1 秒待ちます)。")
                   .arg(waitSeconds));
    QEventLoop loop;
    heard.loop = &loop;
    QTimer::singleShot(qint64(waitSeconds) * 1000, &loop, &QEventLoop::quit);
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < qint64(waitSeconds) * 1000) {
        for (const auto &[which, key] : std::as_const(heard.actions))
            if (which == id && key == QLatin1String("default")) return openViewer(notice.newest);
        if (heard.closed.contains(id)) return;
        loop.exec();
    }
}

}  // namespace

void notifyImportedWeeks(const QByteArray &dataFolder, const QDate &from, const QList<int> &importedTags,
                         int waitSeconds) {
    if (importedTags.isEmpty()) return;
    ChartStore store;
    store.dataFolder = dataFolder;
    store.programFolder = env::programFolder();
    const int newest = *std::max_element(importedTags.begin(), importedTags.end());
    const int first = from.isValid() ? std::min(dateTag(from), newest) : newest;
    try {
        store.fullLoad(dateLabelFromTag(first), dateLabelFromTag(newest));
    } catch (const Error &e) {
        // Whatever loaded still makes a notice; the weeks are stored.
        printError(QStringLiteral("vorq: ") + e.message());
    }
    showNotice(newChartNotice(importedTags, store.tabs), waitSeconds);
}

}  // namespace vorq::cli

#include "importnotifier.moc"
