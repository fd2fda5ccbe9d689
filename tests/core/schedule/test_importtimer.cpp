// The weekly import timer as systemctl reports it, and the switch, through
// a scripted systemctl.
#include <gtest/gtest.h>

#include <QDateTime>
#include <deque>

#include "core/base/errors.h"
#include "core/schedule/importtimer.h"

using namespace vorq::schedule;

namespace {

class ScriptedSystemctl : public CommandRunner {
public:
    std::deque<CommandResult> results;
    QList<QStringList> calls;
    CommandResult run(const QString &program, const QStringList &args, int) override {
        calls.append(QStringList{program} + args);
        CommandResult r = results.front();
        results.pop_front();
        return r;
    }
};

CommandResult ran(int code, const QByteArray &out, const QByteArray &err = {}) {
    return {true, true, code, out, err};
}

// What systemctl show prints for both units (its own order, not -p's).
QByteArray show(const QByteArray &timer, const QByteArray &service) {
    return "Id=vorq-import.timer\n" + timer + "\n\nId=vorq-import.service\n" + service + "\n";
}

const QByteArray kEnabledTimer =
    "LoadState=loaded\nActiveState=active\nSubState=waiting\nUnitFileState=enabled\n"
    "NextElapseUSecRealtime=Sun 2024-01-14 06:00:00 JST\n"
    "LastTriggerUSec=Sun 2024-01-07 07:41:12 JST\nResult=success";

}  // namespace

TEST(ImportTimer, ReadsWhatSystemctlShows) {
    struct Case {
        const char *name;
        QByteArray output;
        bool enabled, waiting;
        QString serviceState;
        int exitCode, signal;
        QDateTime lastStart;
        const char *text;  // found in the status text
    };
    const QDateTime started(QDate(2024, 1, 7), QTime(7, 41, 12));
    const Case cases[] = {
        {"never ran, off",
         show("LoadState=loaded\nActiveState=inactive\nUnitFileState=disabled\nLastTriggerUSec=n/a\n"
              "NextElapseUSecRealtime=",
              "LoadState=loaded\nActiveState=inactive\nSubState=dead\nResult=success\nExecMainCode=0\n"
              "ExecMainStatus=0\nExecMainStartTimestamp="),
         false,
         false,
         QStringLiteral("inactive"),
         -1,
         0,
         {},
         "オフです。\nまだ一度も実行されていません。"},
        {"on, last run fine",
         show(kEnabledTimer,
              "LoadState=loaded\nActiveState=inactive\nSubState=dead\nResult=success\n"
              "ExecMainCode=1\nExecMainStatus=0\nExecMainStartTimestamp=Sun 2024-01-07 07:41:12 JST"),
         true, true, QStringLiteral("inactive"), 0, 0, started,
         "前回: 2024年01月07日 07:41、正常に終了しました。"},
        {"weeks failed, retrying in an hour (weekday in the user's language)",
         show(kEnabledTimer,
              "ActiveState=activating\nSubState=auto-restart\nResult=exit-code\nExecMainCode=1\n"
              "ExecMainStatus=3\nExecMainStartTimestamp=日 2024-01-07 07:41:12 JST\nLoadState=loaded"),
         true, true, QStringLiteral("activating"), 3, 0, started,
         "取得できなかった週があります。あとで再試行します。"},
        {"killed",
         show(kEnabledTimer,
              "LoadState=loaded\nActiveState=failed\nResult=signal\nExecMainCode=2\nExecMainStatus=9\n"
              "ExecMainStartTimestamp=@1704611472"),
         true, true, QStringLiteral("failed"), -1, 9, QDateTime::fromSecsSinceEpoch(1704611472),
         "シグナル 9"},
        {"running now",
         show(kEnabledTimer,
              "LoadState=loaded\nActiveState=activating\nSubState=start\nResult=success\n"
              "ExecMainCode=0\nExecMainStatus=0\nExecMainStartTimestamp=Sun 2024-01-07 07:41:12 JST"),
         true, true, QStringLiteral("activating"), -1, 0, started,
         "取り込み中です (2024年01月07日 07:41 から)。"},
        {"the manager restarted: only the timer remembers",
         show(kEnabledTimer,
              "LoadState=loaded\nActiveState=inactive\nResult=success\nExecMainStartTimestamp="),
         true,
         true,
         QStringLiteral("inactive"),
         -1,
         0,
         {},
         "前回: 2024年01月07日 07:41 (結果はログにあります)。"},
        {"enabled, timer stopped",
         show("LoadState=loaded\nActiveState=inactive\nUnitFileState=enabled", "LoadState=loaded"),
         true,
         false,
         {},
         -1,
         0,
         {},
         "オンですが、タイマーが止まっています。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const TimerStatus s = parseTimerStatus(c.output);
        EXPECT_TRUE(s.usable());
        EXPECT_EQ(s.enabled, c.enabled);
        EXPECT_EQ(s.waiting, c.waiting);
        EXPECT_EQ(s.serviceState, c.serviceState);
        EXPECT_EQ(s.exitCode, c.exitCode);
        EXPECT_EQ(s.signal, c.signal);
        EXPECT_EQ(s.lastStart, c.lastStart);
        EXPECT_TRUE(timerStatusText(s).contains(QString::fromUtf8(c.text)))
            << timerStatusText(s).toStdString();
    }
    // The next run, in local time whatever zone systemctl named; UTC is UTC.
    EXPECT_EQ(parseTimerStatus(show(kEnabledTimer, {})).nextElapse,
              QDateTime(QDate(2024, 1, 14), QTime(6, 0)));
    EXPECT_EQ(parseTimerStatus(show("LoadState=loaded\nLastTriggerUSec=Sun 2024-01-07 07:41:12 UTC", {}))
                  .lastTrigger,
              QDateTime(QDate(2024, 1, 7), QTime(7, 41, 12), Qt::UTC));
}

TEST(ImportTimer, UnavailableWithTheReason) {
    ScriptedSystemctl systemctl;
    systemctl.results = {CommandResult{},  // not installed at all
                         ran(1, {}, "Failed to connect to bus: No medium found\n"),
                         CommandResult{true, false, -1, {}, {}},  // hangs
                         ran(0, show("LoadState=not-found\nActiveState=inactive", "LoadState=not-found"))};
    ImportTimer timer(systemctl);
    const TimerStatus none = timer.status();
    EXPECT_EQ(none.availability, TimerStatus::Availability::NoSystemctl);
    const TimerStatus noManager = timer.status();
    EXPECT_EQ(noManager.availability, TimerStatus::Availability::NoUserManager);
    EXPECT_TRUE(unavailableText(noManager).contains(QStringLiteral("No medium found")));
    EXPECT_EQ(timer.status().availability, TimerStatus::Availability::NoUserManager);
    const TimerStatus missing = timer.status();
    EXPECT_EQ(missing.availability, TimerStatus::Availability::NotInstalled);
    EXPECT_FALSE(missing.enabled);
    EXPECT_EQ(systemctl.calls.first(), QStringList{QStringLiteral("systemctl")} + statusArguments());
}

TEST(ImportTimer, SwitchesForThisUserAndReportsSystemctlsWords) {
    ScriptedSystemctl systemctl;
    systemctl.results = {ran(0, {}, "Created symlink ...\n"), ran(0, {}),
                         ran(1, {}, "Failed to enable unit: Unit file vorq-import.timer does not exist.\n")};
    ImportTimer timer(systemctl);
    timer.setEnabled(true);
    timer.setEnabled(false);
    EXPECT_EQ(systemctl.calls[0].join(QLatin1Char(' ')),
              QStringLiteral("systemctl --user enable --now vorq-import.timer"));
    EXPECT_EQ(systemctl.calls[1].join(QLatin1Char(' ')),
              QStringLiteral("systemctl --user disable --now vorq-import.timer"));
    try {
        timer.setEnabled(true);
        FAIL() << "a failed enable passed for success";
    } catch (const vorq::Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("does not exist"))) << e.what();
    }
}

TEST(ImportTimer, TheViewerOutlivesTheServiceThatStartsIt) {
    const QStringList week = {QStringLiteral("--date"), QStringLiteral("2024-01-06")};
    const LaunchCommand plain = viewerLaunchCommand(QStringLiteral("/usr/bin/vorqview"), week, false,
                                                    QStringLiteral("/usr/bin/systemd-run"));
    EXPECT_EQ(plain.program, QStringLiteral("/usr/bin/vorqview"));
    EXPECT_EQ(plain.arguments, week);
    EXPECT_FALSE(plain.waitForIt);
    const LaunchCommand unit = viewerLaunchCommand(QStringLiteral("/usr/bin/vorqview"), week, true,
                                                   QStringLiteral("/usr/bin/systemd-run"));
    EXPECT_EQ(unit.program, QStringLiteral("/usr/bin/systemd-run"));
    EXPECT_EQ(unit.arguments.first(), QStringLiteral("--user"));
    EXPECT_EQ(unit.arguments.mid(unit.arguments.indexOf(QStringLiteral("--")) + 1),
              QStringList{QStringLiteral("/usr/bin/vorqview")} + week);
    EXPECT_TRUE(unit.waitForIt);
    EXPECT_EQ(viewerLaunchCommand(QStringLiteral("vorqview"), week, true, {}).program,
              QStringLiteral("vorqview"));
}
