// vorq --help, vorq COMMAND --help and vorq --version.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

struct VorqRun {
    int status = -1;
    QString out;
};

VorqRun vorq(const QStringList &args, const QString &home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), args);
    VorqRun r;
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) return r;
    r.status = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    return r;
}

}  // namespace

TEST(CliHelp, VersionAndEveryCommandsHelpWithoutRunningIt) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const VorqRun version = vorq({QStringLiteral("--version")}, home.path());
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, QStringLiteral("vorq " VORQ_VERSION "\n"));

    const VorqRun help = vorq({QStringLiteral("--help")}, home.path());
    ASSERT_EQ(help.status, 0);
    QStringList commands;
    for (const auto &m :
         QRegularExpression(QStringLiteral("^  vorq ([a-z-]+)"), QRegularExpression::MultilineOption)
             .globalMatch(help.out))
        commands << m.captured(1);
    EXPECT_TRUE(commands.contains(QStringLiteral("import"))) << help.out.toStdString();
    for (const QString &c : commands) {
        // After other options too; import would otherwise write into the data folder.
        const VorqRun r =
            vorq({c, QStringLiteral("--data"), home.filePath(QStringLiteral("d")), QStringLiteral("--help")},
                 home.path());
        EXPECT_EQ(r.status, 0) << c.toStdString();
        EXPECT_TRUE(r.out.startsWith(QStringLiteral("usage: vorq ") + c + QLatin1Char(' ')))
            << r.out.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("d"))));
}
