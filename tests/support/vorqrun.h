#pragma once
// Runs the built vorq the way the CLI tests need it: a scratch home, so the
// developer's own vorqview settings never leak into the tests, and a copy of
// the program in a scratch program folder, so settings beside the build's
// program (after a `make run`) cannot change the defaults either.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

struct VorqRun {
    int status = -1;
    QByteArray out, err;
};

inline QString scratchHome() {
    static QTemporaryDir home;
    return home.path();
}

inline QString vorqCopy() {
    static const QString copy = [] {
        const QString prog = scratchHome() + QStringLiteral("/prog");
        QDir().mkpath(prog);
        const QString to = prog + QStringLiteral("/vorq");
        QFile::copy(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), to);
        return to;
    }();
    return copy;
}

// This environment with the user folders in the scratch home.
inline QProcessEnvironment scratchEnvironment() {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), scratchHome());
    env.insert(QStringLiteral("XDG_DATA_HOME"), scratchHome() + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), scratchHome() + QStringLiteral("/config"));
    return env;
}

// Runs program (a copy of vorq placed where a test needs it) in workDir.
inline VorqRun runVorqAt(const QString &program, const QStringList &args, const QString &workDir = {}) {
    QProcess p;
    if (!workDir.isEmpty()) p.setWorkingDirectory(workDir);
    p.setProcessEnvironment(scratchEnvironment());
    p.start(program, args);
    VorqRun r;
    if (!p.waitForFinished(60000)) return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

inline VorqRun runVorq(const QStringList &args) { return runVorqAt(vorqCopy(), args); }
