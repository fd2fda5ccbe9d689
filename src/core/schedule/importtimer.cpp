#include "core/schedule/importtimer.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>

#include "core/base/errors.h"

namespace vorq::schedule {

namespace {

class ProcessRunner : public CommandRunner {
public:
    CommandResult run(const QString &program, const QStringList &args, int timeoutMs) override {
        CommandResult r;
        QProcess p;
        p.start(program, args);
        if (!p.waitForStarted(timeoutMs)) return r;
        r.started = true;
        r.finished = p.waitForFinished(timeoutMs);
        if (!r.finished) {
            p.kill();
            p.waitForFinished(1000);
        }
        r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        r.out = p.readAllStandardOutput();
        r.err = p.readAllStandardError();
        return r;
    }
};

const QString kSystemctl = QStringLiteral("systemctl");
constexpr int kSystemctlTimeoutMs = 20000;

QDateTime parseTimestamp(const QByteArray &raw) {
    const QByteArray v = raw.trimmed();
    if (v.isEmpty() || v == "n/a" || v == "0") return {};
    if (v.startsWith('@')) {
        bool ok = false;
        const qint64 secs = v.mid(1).toLongLong(&ok);
        return ok && secs > 0 ? QDateTime::fromSecsSinceEpoch(secs) : QDateTime();
    }
    // The weekday may be in the user's language; the rest is fixed.
    static const QRegularExpression re(
        QStringLiteral("(\\d{4})-(\\d{2})-(\\d{2}) (\\d{2}):(\\d{2}):(\\d{2})(?: (\\S+))?"));
    const QRegularExpressionMatch m = re.match(QString::fromLatin1(v));
    if (!m.hasMatch()) return {};
    const QDate d(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    const QTime t(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!d.isValid() || !t.isValid()) return {};
    const QString zone = m.captured(7);
    return zone == QLatin1String("UTC") ? QDateTime(d, t, Qt::UTC) : QDateTime(d, t);
}

QString when(const QDateTime &t) { return t.toLocalTime().toString(QStringLiteral("yyyy年MM月dd日 HH:mm")); }

QString systemctlWords(const CommandResult &r) {
    QString text = QString::fromLocal8Bit(r.err.isEmpty() ? r.out : r.err).trimmed();
    if (!r.started)
        text = QStringLiteral("systemctl を実行できません。");
    else if (!r.finished)
        text = QStringLiteral("systemctl が応答しません。");
    return text;
}

}  // namespace

CommandRunner &processRunner() {
    static ProcessRunner runner;
    return runner;
}

QStringList statusArguments() {
    return {
        QStringLiteral("--user"),
        QStringLiteral("show"),
        QStringLiteral("-p"),
        QStringLiteral("Id,LoadState,UnitFileState,ActiveState,SubState,LastTriggerUSec,"
                       "NextElapseUSecRealtime,Result,ExecMainCode,ExecMainStatus,ExecMainStartTimestamp"),
        QString::fromLatin1(kTimerUnit),
        QString::fromLatin1(kServiceUnit)};
}

TimerStatus parseTimerStatus(const QByteArray &showOutput) {
    // Blocks by their Id; a block without one belongs to the unit asked for
    // in that place.
    QList<QHash<QByteArray, QByteArray>> blocks(1);
    for (const QByteArray &rawLine : showOutput.split('\n')) {
        const QByteArray line = rawLine.trimmed();
        if (line.isEmpty()) {
            if (!blocks.last().isEmpty()) blocks.append(QHash<QByteArray, QByteArray>());
            continue;
        }
        const qsizetype eq = line.indexOf('=');
        if (eq > 0) blocks.last().insert(line.left(eq), line.mid(eq + 1));
    }
    QHash<QByteArray, QByteArray> timer, service;
    for (int i = 0; i < blocks.size(); ++i) {
        const QByteArray id = blocks[i].value("Id");
        if (id == kTimerUnit || (id.isEmpty() && i == 0))
            timer = blocks[i];
        else if (id == kServiceUnit || (id.isEmpty() && i == 1))
            service = blocks[i];
    }

    TimerStatus s;
    if (timer.value("LoadState") != "loaded") {
        s.availability = TimerStatus::Availability::NotInstalled;
        return s;
    }
    const QByteArray fileState = timer.value("UnitFileState");
    s.enabled = fileState == "enabled" || fileState == "enabled-runtime";
    s.waiting = timer.value("ActiveState") == "active";
    s.lastTrigger = parseTimestamp(timer.value("LastTriggerUSec"));
    s.nextElapse = parseTimestamp(timer.value("NextElapseUSecRealtime"));
    s.serviceState = QString::fromLatin1(service.value("ActiveState"));
    s.serviceSubState = QString::fromLatin1(service.value("SubState"));
    s.lastStart = parseTimestamp(service.value("ExecMainStartTimestamp"));
    s.result = QString::fromLatin1(service.value("Result"));
    // ExecMainCode: 1 exited (the status is its exit code), 2 killed and
    // 3 dumped (the status is the signal).
    const int code = service.value("ExecMainCode").toInt();
    const int status = service.value("ExecMainStatus").toInt();
    if (code == 1)
        s.exitCode = status;
    else if (code == 2 || code == 3)
        s.signal = status;
    return s;
}

QString unavailableText(const TimerStatus &s) {
    switch (s.availability) {
        case TimerStatus::Availability::Available: return {};
        case TimerStatus::Availability::NoSystemctl:
            return QStringLiteral(
                "この環境では使えません: systemctl がありません (systemd のないシステムです)。");
        case TimerStatus::Availability::NoUserManager:
            return QStringLiteral("この環境では使えません: systemd のユーザー インスタンスが動いていません") +
                   (s.problem.isEmpty() ? QStringLiteral("。")
                                        : QStringLiteral(" (") + s.problem + QStringLiteral(")。"));
        case TimerStatus::Availability::NotInstalled:
            return QStringLiteral(
                "vorq-import.timer がインストールされていません (make install またはパッケージで入ります)。");
    }
    return {};
}

QString importExitText(int exitCode) {
    switch (exitCode) {
        case 0: return QStringLiteral("正常に終了しました");
        case 1: return QStringLiteral("エラーで終了しました");
        case 2: return QStringLiteral("引数の誤りで終了しました");
        case 3: return QStringLiteral("取得できなかった週があります");
        case 4: return QStringLiteral("データフォルダが他のプログラムに使われていたため、終了しました");
    }
    return QStringLiteral("終了コード %1 で終了しました").arg(exitCode);
}

QString timerStatusText(const TimerStatus &s) {
    if (!s.usable()) return unavailableText(s);
    QStringList lines;
    if (!s.enabled)
        lines << QStringLiteral("オフです。");
    else if (!s.waiting)
        lines << QStringLiteral("オンですが、タイマーが止まっています。");
    else if (s.nextElapse.isValid())
        lines << QStringLiteral("オンです。次回: %1 以降").arg(when(s.nextElapse));
    else
        lines << QStringLiteral("オンです。");

    const bool retrying = s.serviceSubState == QLatin1String("auto-restart");
    if (s.serviceState == QLatin1String("activating") && !retrying) {
        lines << QStringLiteral("取り込み中です (%1 から)。")
                     .arg(when(s.lastStart.isValid() ? s.lastStart : s.lastTrigger));
    } else if (s.lastStart.isValid() && !s.result.isEmpty()) {
        QString how;
        if (s.result == QLatin1String("success") || s.result == QLatin1String("exit-code"))
            how = s.exitCode >= 0 ? importExitText(s.exitCode) : QStringLiteral("終了しました");
        else if (s.result == QLatin1String("signal") || s.result == QLatin1String("core-dump"))
            how = QStringLiteral("シグナル %1 で止められました").arg(s.signal);
        else if (s.result == QLatin1String("timeout"))
            how = QStringLiteral("時間切れで止められました");
        else
            how = QStringLiteral("失敗しました (%1)").arg(s.result);
        QString line = QStringLiteral("前回: %1、%2。").arg(when(s.lastStart), how);
        if (retrying) line += QStringLiteral("あとで再試行します。");
        lines << line;
    } else if (s.lastTrigger.isValid()) {
        lines << QStringLiteral("前回: %1 (結果はログにあります)。").arg(when(s.lastTrigger));
    } else {
        lines << QStringLiteral("まだ一度も実行されていません。");
    }
    return lines.join(QLatin1Char('\n'));
}

TimerStatus ImportTimer::status() {
    const CommandResult r = m_runner.run(kSystemctl, statusArguments(), kSystemctlTimeoutMs);
    TimerStatus s;
    if (!r.started) {
        s.availability = TimerStatus::Availability::NoSystemctl;
        return s;
    }
    if (!r.finished || r.exitCode != 0) {
        s.availability = TimerStatus::Availability::NoUserManager;
        s.problem = systemctlWords(r);
        return s;
    }
    return parseTimerStatus(r.out);
}

void ImportTimer::setEnabled(bool on) {
    const QStringList args = {QStringLiteral("--user"),
                              on ? QStringLiteral("enable") : QStringLiteral("disable"),
                              QStringLiteral("--now"), QString::fromLatin1(kTimerUnit)};
    const CommandResult r = m_runner.run(kSystemctl, args, kSystemctlTimeoutMs);
    if (r.started && r.finished && r.exitCode == 0) return;
    throw Error((on ? QStringLiteral("毎週の自動取り込みをオンにできませんでした。")
                    : QStringLiteral("毎週の自動取り込みをオフにできませんでした。")) +
                QLatin1Char('\n') + systemctlWords(r));
}

LaunchCommand viewerLaunchCommand(const QString &viewer, const QStringList &arguments, bool insideService,
                                  const QString &systemdRun) {
    if (!insideService || systemdRun.isEmpty()) return {viewer, arguments, false};
    QStringList args = {QStringLiteral("--user"), QStringLiteral("--quiet"), QStringLiteral("--collect"),
                        QStringLiteral("--description=vorqview"), QStringLiteral("--")};
    args << viewer << arguments;
    return {systemdRun, args, true};
}

}  // namespace vorq::schedule
