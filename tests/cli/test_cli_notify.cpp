// vorq import --missing --notify against the local chart site, with a fake
// notification service on a private session bus (dbus-run-session): what the
// desktop is told, that it is told once, only when something is new, and
// that clicking it starts vorqview on the week.
#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "chartsite.h"
#include "core/text/sjistext.h"
#include "sjtest.h"
#include "testserver.h"
#include "vorqrun.h"

using vorq::test::ChartSite;

namespace {

struct ChildRun {
    int status = -1;
    QString err;
};

// Runs a program while this test's event loop serves the chart site.
ChildRun runServing(const QString &program, const QStringList &args, const QProcessEnvironment &env) {
    QProcess p;
    p.setProcessEnvironment(env);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(180000, &loop, &QEventLoop::quit);
    p.start(program, args);
    loop.exec();
    ChildRun r;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
        r.err = QStringLiteral("(timed out) ");
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err += QString::fromUtf8(p.readAllStandardError());
    return r;
}

QProcessEnvironment scratchEnv() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), scratchHome());
    env.insert(QStringLiteral("XDG_DATA_HOME"), scratchHome() + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratchHome() + QStringLiteral("/config"));
    env.remove(QStringLiteral("INVOCATION_ID"));
    return env;
}

QSet<QByteArray> songsOf(const QString &chartFile) {
    QSet<QByteArray> songs;
    for (const QByteArray &line : vorq::sjis::readLines(chartFile))
        songs.insert(line.mid(line.indexOf('\t') + 1));
    return songs;
}

class CliNotify : public ::testing::Test {
protected:
    void SetUp() override {
        busRunner = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
        if (busRunner.isEmpty())
            GTEST_SKIP() << "dbus-run-session is not installed (Debian package dbus-daemon)";
        ASSERT_TRUE(dir.isValid());
        data = dir.path() + QStringLiteral("/data");
        log = dir.path() + QStringLiteral("/notifications.jsonl");
        ChartSite::Options o;
        o.last = QDate(2001, 4, 14);
        site = std::make_unique<ChartSite>(o);
        ASSERT_TRUE(site->start());
        // vorqview shows the range up to 2001-03-31 only.
        const QString settings = scratchHome() + QStringLiteral("/share/Brelon/vorqview");
        ASSERT_TRUE(QDir().mkpath(settings));
        vorq::sjis::saveFile(settings + QStringLiteral("/vorqview.ini"),
                             sj("[ImportData]\r\nDataFolder=") + QFile::encodeName(data) +
                                 sj("/\r\n[Display]\r\nDateStart=2001年03月31日\r\nDateEndIsRecent=0\r\n"
                                    "DateEnd=2001年03月31日\r\n"));
    }
    void TearDown() override {
        QFile::remove(scratchHome() + QStringLiteral("/share/Brelon/vorqview/vorqview.ini"));
    }

    QStringList importArgs(std::initializer_list<const char *> extra) const {
        QStringList a{QStringLiteral("import"),
                      QStringLiteral("--today"),
                      QStringLiteral("2001-04-20"),
                      QStringLiteral("--url-template"),
                      QString::fromLatin1(site->urlTemplate()),
                      QStringLiteral("--delay"),
                      QStringLiteral("0")};
        for (const char *e : extra) a << QString::fromLatin1(e);
        return a;
    }
    // vorq under the fake service on a bus of its own.
    ChildRun underFakeService(const QStringList &serviceArgs, const QStringList &vorqArgs) const {
        QStringList a{QStringLiteral("--"), QStringLiteral(VORQ_BINARY_DIR "/tests/vorq-fakenotifyd"),
                      QStringLiteral("--log"), log};
        a << serviceArgs << QStringLiteral("--") << vorqCopy() << vorqArgs;
        return runServing(busRunner, a, scratchEnv());
    }
    QList<QJsonObject> notifications() const {
        QList<QJsonObject> out;
        QFile f(log);
        if (!f.open(QIODevice::ReadOnly)) return out;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (!line.isEmpty()) out.append(QJsonDocument::fromJson(line).object());
        return out;
    }

    QString busRunner;
    QTemporaryDir dir;
    QString data, log;
    std::unique_ptr<ChartSite> site;
};

}  // namespace

TEST_F(CliNotify, TwoNewWeeksGiveOneNotificationAndANothingNewRunNone) {
    // The week vorqview shows, imported without a word.
    ChildRun first = runServing(vorqCopy(), importArgs({}), scratchEnv());
    ASSERT_EQ(first.status, 0) << first.err.toStdString();
    ASSERT_TRUE(QFile::exists(data + QStringLiteral("/20010331.txt")));
    ASSERT_FALSE(QFile::exists(data + QStringLiteral("/20010407.txt")));  // after vorqview's range

    // --missing goes past the displayed range to the newest week: two new weeks.
    ChildRun run = underFakeService({}, importArgs({"--missing", "--notify", "--notify-wait", "60"}));
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    ASSERT_TRUE(QFile::exists(data + QStringLiteral("/20010407.txt")));
    ASSERT_TRUE(QFile::exists(data + QStringLiteral("/20010414.txt")));
    const QList<QJsonObject> shown = notifications();
    ASSERT_EQ(shown.size(), 1) << run.err.toStdString();
    const QJsonObject n = shown.first();
    EXPECT_EQ(n[QStringLiteral("app_name")].toString(), QStringLiteral("vorqview"));
    EXPECT_EQ(n[QStringLiteral("summary")].toString(), u8("新しいチャート: 2001年04月14日 ほか 1 週"));
    // The #1 as stored, and the new entries counted against the week before.
    const QByteArray top = vorq::sjis::readLines(data + QStringLiteral("/20010414.txt")).first();
    const QList<QByteArray> topFields = top.split('\t');
    const QSet<QByteArray> now = songsOf(data + QStringLiteral("/20010414.txt"));
    const QSet<QByteArray> before = songsOf(data + QStringLiteral("/20010407.txt"));
    const qsizetype entered = (now - before).size();
    ASSERT_GT(entered, 0);
    // Nothing is associated, so every new entry is wanted.
    const QString topLine = u8("1位: ") + vorq::sjis::toUnicode(topFields.value(1)) + u8(" / ") +
                            vorq::sjis::toUnicode(topFields.value(2));
    const QString expected =
        topLine.toHtmlEscaped() + u8("\n新しく入った曲 %1 曲 (うち未所有 %1 曲)").arg(entered);
    EXPECT_EQ(n[QStringLiteral("body")].toString(), expected);
    EXPECT_TRUE(n[QStringLiteral("actions")].toArray().contains(QStringLiteral("default")));
    EXPECT_TRUE(n[QStringLiteral("hints")].toArray().contains(QStringLiteral("desktop-entry")));

    // Nothing new: no notification at all.
    ChildRun again = underFakeService({}, importArgs({"--missing", "--notify", "--notify-wait", "60"}));
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(notifications().size(), 1);
}

TEST_F(CliNotify, ClickingOpensVorqviewOnTheWeekAndAServiceWithoutActionsIsNotWaitedFor) {
    // A stand-in for vorqview beside the vorq copy records how it was started.
    const QString viewer = QFileInfo(vorqCopy()).path() + QStringLiteral("/vorqview");
    const QString started = dir.path() + QStringLiteral("/viewer-args");
    QFile script(viewer);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly | QIODevice::Truncate));
    script.write("#!/bin/sh\necho \"$@\" > " + QFile::encodeName(started) + ".tmp && mv " +
                 QFile::encodeName(started) + ".tmp " + QFile::encodeName(started) + "\n");
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);

    struct Case {
        QStringList service;
        bool opens;
    };
    const Case cases[] = {{{QStringLiteral("--click")}, true},
                          {{QStringLiteral("--plain"), QStringLiteral("--keep")}, false}};
    for (const Case &c : cases) {
        QDir(data).removeRecursively();
        QFile::remove(log);
        QFile::remove(started);
        // An hour's wait would time the test out: only a click or the lack
        // of actions may end it.
        ChildRun run = underFakeService(c.service, importArgs({"--missing", "--notify", "--notify-wait",
                                                               "3600", "--from", "2001-04-14"}));
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const QList<QJsonObject> shown = notifications();
        ASSERT_EQ(shown.size(), 1);
        EXPECT_EQ(shown.first()[QStringLiteral("actions")].toArray().isEmpty(), !c.opens);
        if (c.opens) {
            QEventLoop loop;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (QFile::exists(started)) loop.quit();
            });
            poll.start(50);
            QTimer::singleShot(60000, &loop, &QEventLoop::quit);
            loop.exec();
            QFile f(started);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << run.err.toStdString();
            EXPECT_EQ(f.readAll().trimmed(), QByteArray("--date 2001-04-14"));
        } else {
            EXPECT_FALSE(QFile::exists(started));
        }
    }
    QFile::remove(viewer);
}

TEST_F(CliNotify, WithoutANotificationServiceTheExitStatusStays) {
    // Failing the week before gives status 3 with or without --notify.
    site.reset();
    ChartSite::Options o;
    o.last = QDate(2001, 4, 14);
    o.failing = {QDate(2001, 4, 7)};
    site = std::make_unique<ChartSite>(o);
    ASSERT_TRUE(site->start());
    QProcessEnvironment noBus = scratchEnv();
    noBus.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                 QStringLiteral("unix:path=") + dir.path() + QStringLiteral("/no-bus"));
    noBus.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.path());
    noBus.remove(QStringLiteral("DISPLAY"));
    for (bool emptyBus : {false, true}) {
        QDir(data).removeRecursively();
        const QStringList args =
            importArgs({"--missing", "--notify", "--from", "2001-04-07", "--retries", "0"});
        const ChildRun run =
            emptyBus ? runServing(busRunner, QStringList{QStringLiteral("--"), vorqCopy()} << args, noBus)
                     : runServing(vorqCopy(), args, noBus);
        EXPECT_EQ(run.status, 3) << emptyBus << run.err.toStdString();
        EXPECT_TRUE(QFile::exists(data + QStringLiteral("/20010414.txt")));
        EXPECT_TRUE(run.err.contains(u8("デスクトップ通知を表示できませんでした"))) << run.err.toStdString();
    }
}

TEST_F(CliNotify, MissingTakesNoEndDateAndTheWaitIsBounded) {
    for (const QStringList &bad :
         {QStringList{QStringLiteral("--missing"), QStringLiteral("--to"), QStringLiteral("2001-04-07")},
          QStringList{QStringLiteral("--notify-wait"), QStringLiteral("-1")},
          QStringList{QStringLiteral("--notify-wait"), QStringLiteral("86401")}}) {
        const ChildRun run =
            runServing(vorqCopy(), QStringList{QStringLiteral("import")} << bad, scratchEnv());
        EXPECT_EQ(run.status, 2) << bad.join(QLatin1Char(' ')).toStdString();
    }
}

TEST_F(CliNotify, WeeksStoredBeforeAnErrorEndedTheRunAreStillTold) {
    // 2001-04-14 is stored first (newest first); 2001-04-07's page holds a
    // rank that is not a number, which ends the run before anything of it
    // is written. The next run will not see 04-14 as missing: this is the
    // only time the user can hear of it.
    vorq::test::TestServer server;
    server.setHandler([this](const vorq::test::HttpRequest &request) {
        vorq::test::ScriptedReply reply;
        if (request.path.contains("20010407")) {
            QByteArray page = vorq::test::chartPageSjis(QDate(2001, 4, 7));
            page.replace("<TD ALIGN=right>1.</TD>", "<TD ALIGN=right>x.</TD>");
            reply.data = vorq::test::httpResponse(200, "OK", page);
        } else {
            reply.data = site->response(request.path);
        }
        return reply;
    });
    ASSERT_TRUE(server.listen(0));
    QStringList args = importArgs({"--missing", "--notify", "--notify-wait", "60", "--from", "2001-04-07"});
    args[args.indexOf(QStringLiteral("--url-template")) + 1] =
        QStringLiteral("\"") + QString::fromLatin1(server.url(QByteArray())) +
        QStringLiteral("/vorq/cddb/countdown\"yyyymmdd\"-j.html\"");
    const ChildRun run = underFakeService({}, args);
    EXPECT_EQ(run.status, 1) << run.err.toStdString();
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/20010414.txt")));
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/20010407.txt")));
    const QList<QJsonObject> shown = notifications();
    ASSERT_EQ(shown.size(), 1) << run.err.toStdString();
    EXPECT_EQ(shown.first()[QStringLiteral("summary")].toString(), u8("新しいチャート: 2001年04月14日"));
}
