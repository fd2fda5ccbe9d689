#pragma once
// The weekly import of this user: the systemd user units an installed
// vorqview brings (vorq-import.timer starts vorq-import.service, which runs
// `vorq import --missing --notify`). Switched on and off and read through
// systemctl; the commands go through an injectable runner, so the rules and
// the texts are tested without a user manager.
#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

namespace vorq::schedule {

inline constexpr char kTimerUnit[] = "vorq-import.timer";
inline constexpr char kServiceUnit[] = "vorq-import.service";

struct CommandResult {
    bool started = false;   // false: the program could not be run
    bool finished = false;  // false: still running at the timeout (then killed)
    int exitCode = -1;
    QByteArray out, err;
};

class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    virtual CommandResult run(const QString &program, const QStringList &args, int timeoutMs) = 0;
};

// Runs the program with QProcess and waits for it, at most timeoutMs.
CommandRunner &processRunner();

struct TimerStatus {
    enum class Availability {
        Available,
        NoSystemctl,    // systemctl cannot be run
        NoUserManager,  // systemctl runs, but there is no user instance to ask
        NotInstalled,   // the user manager does not know vorq-import.timer
    };
    Availability availability = Availability::Available;
    QString problem;  // systemctl's own words when it failed

    bool enabled = false;  // started with the user's session (UnitFileState)
    bool waiting = false;  // the timer is active and counts down
    QDateTime lastTrigger, nextElapse;

    // The service's last run as the user manager remembers it (forgotten
    // when the manager restarts; the timer's last trigger is kept on disk).
    QString serviceState;  // ActiveState: inactive, activating, failed...
    QString serviceSubState;
    QDateTime lastStart;
    QString result;     // success, exit-code, signal, timeout...
    int exitCode = -1;  // the exit status when it exited, -1 otherwise
    int signal = 0;     // the signal that ended it

    bool usable() const { return availability == Availability::Available; }
};

// The arguments of the one `systemctl --user show` that reads both units.
QStringList statusArguments();

// Reads what statusArguments() printed (one block of Key=Value lines per
// unit, blocks apart by an empty line). Timestamps may be "@seconds" or
// systemctl's "Sun 2024-01-07 06:12:01 JST" (local time unless UTC).
TimerStatus parseTimerStatus(const QByteArray &showOutput);

// The Option page's texts: why the box is greyed out, and what the timer
// does and how its last run ended.
QString unavailableText(const TimerStatus &status);
QString timerStatusText(const TimerStatus &status);

// What each exit status of `vorq import` means.
QString importExitText(int exitCode);

class ImportTimer {
public:
    explicit ImportTimer(CommandRunner &runner) : m_runner(runner) {}

    TimerStatus status();
    // enable --now / disable --now for this user. Throws Error with
    // systemctl's message when it fails.
    void setEnabled(bool on);

private:
    CommandRunner &m_runner;
};

// How to start the viewer from the run so that it outlives it: inside a
// systemd service (INVOCATION_ID set) every process left when the service
// ends is stopped, so the viewer gets a unit of its own through systemd-run.
struct LaunchCommand {
    QString program;
    QStringList arguments;
    bool waitForIt = false;  // systemd-run returns once the unit started
};
LaunchCommand viewerLaunchCommand(const QString &viewer, const QStringList &arguments, bool insideService,
                                  const QString &systemdRun);

}  // namespace vorq::schedule
