// The desktop's media controls drive the player: playerctl talks MPRIS2 to
// it over a session bus of the test's own (ctest runs this program under
// dbus-run-session through tests/support/with-session-bus).
#include <gtest/gtest.h>

#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <QToolButton>

#include "playerfixture.h"
#include "ui/player/mprisservice.h"
#include "ui/player/playerbar.h"
#include "ui/player/playercommands.h"
#include "ui/player/queueplayer.h"

VORQ_PLAYER_LEAK_SUPPRESSIONS

using namespace vorq;

namespace {

// Long enough that no song ends while the test drives it.
class MprisTest : public PlayerWindowTest {
protected:
    void SetUp() override {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no session bus: run under dbus-run-session (scripts/install-deps installs it)";
        if (QStandardPaths::findExecutable(QStringLiteral("playerctl")).isEmpty())
            GTEST_SKIP() << "no playerctl (scripts/install-deps installs it)";
        prepare(60000);
    }
    QueuePlayer *player() { return form->playerCommands->player(); }
    // playerctl's answer; the event loop runs meanwhile, so the window
    // answers the bus.
    QString playerctl(const QStringList &args) {
        QProcess p;
        p.start(QStringLiteral("playerctl"),
                QStringList{QStringLiteral("-p"), QStringLiteral("vorqview")} + args);
        if (!QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 60000)) {
            p.kill();
            p.waitForFinished();
            return QStringLiteral("<no answer>");
        }
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    }
};

TEST_F(MprisTest, PlayerctlReadsTheSongMovesToTheNextRankAndPauses) {
    form->playerCommands->countdown(19950422, {});
    ASSERT_TRUE(form->playerCommands->mpris());
    ASSERT_TRUE(form->playerCommands->mpris()->isRegistered());
    EXPECT_EQ(form->playerCommands->mpris()->serviceName(),
              QStringLiteral("org.mpris.MediaPlayer2.vorqview"));

    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("title")}), QStringLiteral("Four"));
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("xesam:trackNumber")}),
              QStringLiteral("4"));
    EXPECT_EQ(playerctl({QStringLiteral("status")}), QStringLiteral("Playing"));

    // A listener hears every change: the bus sends none by itself.
    QProcess follow;
    follow.start(
        QStringLiteral("playerctl"),
        {QStringLiteral("-p"), QStringLiteral("vorqview"), QStringLiteral("--follow"),
         QStringLiteral("metadata"), QStringLiteral("--format"), QStringLiteral("{{status}} {{title}}")});
    QByteArray heard;
    auto hears = [&](const char *line) {
        return QTest::qWaitFor(
            [&] {
                heard += follow.readAllStandardOutput();
                return heard.contains(line);
            },
            60000);
    };
    ASSERT_TRUE(hears("Playing Four")) << heard.constData();

    EXPECT_EQ(playerctl({QStringLiteral("next")}), QString());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return player()->currentEntry() && player()->currentEntry()->rank == "3"; }, 60000));
    EXPECT_EQ(playerctl({QStringLiteral("metadata"), QStringLiteral("title")}), QStringLiteral("Three"));
    EXPECT_TRUE(hears("Playing Three")) << heard.constData();

    playerctl({QStringLiteral("play-pause")});
    EXPECT_EQ(player()->state(), QueuePlayer::State::Paused);
    EXPECT_EQ(playerctl({QStringLiteral("status")}), QStringLiteral("Paused"));
    EXPECT_TRUE(hears("Paused Three")) << heard.constData();

    // The bar's own button is heard on the bus too.
    form->playerCommands->bar()->playPauseButton->click();
    EXPECT_EQ(player()->state(), QueuePlayer::State::Playing);
    EXPECT_TRUE(hears("Playing Three\n")) << heard.constData();
    follow.kill();
    follow.waitForFinished();

    // Leaving: the name is given back.
    ASSERT_TRUE(form->close());
    form.reset();
    const QStringList names = QDBusConnection::sessionBus().interface()->registeredServiceNames();
    EXPECT_FALSE(names.contains(QStringLiteral("org.mpris.MediaPlayer2.vorqview")));
}

}  // namespace
