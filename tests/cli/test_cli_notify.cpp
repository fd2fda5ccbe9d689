// vorq import --missing --notify under a fake notification service on a bus of its own (dbus-run-session):
// told once, of what is new only, also after an error; no service leaves the status; a click opens the week.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QStandardPaths>
#include <QThread>

#include "chartsite.h"
#include "sjtest.h"
#include "testserver.h"
#include "vorqrun.h"

using namespace vorq::test;

namespace {

// The child runs while this test's event loop serves the chart site.
std::pair<int, QString> serving(const QStringList &command) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_DATA_HOME"), scratchHome() + QStringLiteral("/share"));
    p.setProcessEnvironment(env);
    p.start(command.first(), command.mid(1));
    for (QDeadlineTimer limit(180000); p.state() != QProcess::NotRunning && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    p.kill();
    p.waitForFinished();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardError())};
}

QSet<QByteArray> songs(const QString &chart) {
    QSet<QByteArray> out;
    for (const QByteArray &line : vorq::sjis::readLines(chart)) out.insert(line.mid(line.indexOf('\t')));
    return out;
}

ChartSite::Options siteUpTo(const QDate &last) {
    ChartSite::Options o;
    o.last = last;
    return o;
}

class CliNotify : public ::testing::Test {
protected:
    void SetUp() override {
        if (bus.isEmpty()) GTEST_SKIP() << "no dbus-run-session (Debian package dbus-daemon)";
        ASSERT_TRUE(site.start());
        // vorqview shows weeks up to 2001-03-31; its settings name the data folder.
        QDir().mkpath(scratchHome() + QStringLiteral("/share/Brelon/vorqview"));
        vorq::sjis::saveFile(scratchHome() + QStringLiteral("/share/Brelon/vorqview/vorqview.ini"),
                             "[ImportData]\r\nDataFolder=" + QFile::encodeName(data) +
                                 sj("\r\n[Display]\r\nDateStart=2001年03月31日\r\nDateEndIsRecent=0\r\n"
                                    "DateEnd=2001年03月31日\r\n"));
    }
    QStringList vorq(const QStringList &extra, const QByteArray &site = {}) const {
        return QStringList{vorqCopy()} +
               u8("import --today 2001-04-20 --delay 0 --url-template").split(u' ') +
               QStringList{QString::fromLatin1(site.isEmpty() ? this->site.urlTemplate() : site)} + extra;
    }
    QStringList underFakeService(const char *how, const QStringList &command) const {
        return QStringList{bus, u8("--"), u8(VORQ_BINARY_DIR "/tests/vorq-fakenotifyd"), log, u8(how)} +
               command;
    }
    QList<QJsonObject> shown() const {
        QList<QJsonObject> out;
        QFile f(log);
        if (f.open(QIODevice::ReadOnly))
            for (const QByteArray &line : f.readAll().split('\n'))
                if (!line.isEmpty()) out.append(QJsonDocument::fromJson(line).object());
        return out;
    }
    QString chart(const char *day) const { return data + u8(day) + u8(".txt"); }

    QString bus = QStandardPaths::findExecutable(QStringLiteral("dbus-run-session"));
    QTemporaryDir dir;
    const QString data = dir.path() + u8("/data/"), log = dir.path() + u8("/shown");
    ChartSite site{siteUpTo(QDate(2001, 4, 14))};
    const QStringList missing = u8("--missing --notify --notify-wait 60").split(u' ');
};

}  // namespace

TEST_F(CliNotify, TwoNewWeeksGiveOneNotificationAndNothingNewNone) {
    // vorqview's range, on a bus without a notification service: the status stays.
    const auto [before, said] = serving(QStringList{bus, u8("--")} + vorq({u8("--notify")}));
    ASSERT_EQ(before, 0) << said.toStdString();
    EXPECT_TRUE(said.contains(u8("デスクトップ通知を表示できませんでした"))) << said.toStdString();
    ASSERT_TRUE(QFile::exists(chart("20010331")) && !QFile::exists(chart("20010407")));

    // --missing runs past that range to the newest week: two new weeks.
    const auto [status, err] = serving(underFakeService("dismiss", vorq(missing)));
    ASSERT_EQ(status, 0) << err.toStdString();
    ASSERT_EQ(shown().size(), 1) << err.toStdString();
    const QJsonObject n = shown().first();
    EXPECT_EQ(n[u8("summary")].toString(), u8("新しいチャート: 2001年04月14日 ほか 1 週"));
    // The #1 as stored, the new entries against the week before, all wanted.
    const QList<QByteArray> top = vorq::sjis::readLines(chart("20010414")).first().split('\t');
    const QString first =
        u8("1位: %1 / %2").arg(vorq::sjis::toUnicode(top[1]), vorq::sjis::toUnicode(top[2]));
    EXPECT_EQ(n[u8("body")].toString(),
              first.toHtmlEscaped() + u8("\n新しく入った曲 %1 曲 (うち未所有 %1 曲)")
                                          .arg((songs(chart("20010414")) - songs(chart("20010407"))).size()));

    EXPECT_EQ(serving(underFakeService("dismiss", vorq(missing))).first, 0);
    EXPECT_EQ(shown().size(), 1);
}

TEST_F(CliNotify, WeeksStoredBeforeAnErrorAreToldAndAClickOpensVorqviewOnTheNewest) {
    // 04-07's page has a rank that is not a number: the run ends with an
    // error after storing 04-14, which the next run will not see as new.
    TestServer server;
    server.setHandler([this](const HttpRequest &request) {
        ScriptedReply reply;
        reply.data = request.path.contains("20010407")
                         ? httpResponse(200, "OK", chartPageSjis(QDate(2001, 4, 7)).replace(">1.<", ">x.<"))
                         : site.response(request.path);
        return reply;
    });
    ASSERT_TRUE(server.listen(0));
    // A stand-in vorqview beside the vorq copy records how it was started.
    const QByteArray started = QFile::encodeName(dir.path()) + "/viewer";
    const QString viewer = QFileInfo(vorqCopy()).path() + QStringLiteral("/vorqview");
    vorq::sjis::saveFile(
        viewer, "#!/bin/sh\necho \"$@\" >" + started + ".part && mv " + started + ".part " + started);
    QFile::setPermissions(viewer, QFile::permissions(viewer) | QFileDevice::ExeOwner);

    const auto [status, err] = serving(
        underFakeService("click", vorq(u8("--missing --notify --from 2001-04-07").split(u' '),
                                       "\"" + server.url({}) + "/vorq/cddb/countdown\"yyyymmdd\"-j.html\"")));
    EXPECT_EQ(status, 1) << err.toStdString();
    ASSERT_EQ(shown().size(), 1) << err.toStdString();
    EXPECT_EQ(shown().first()[u8("summary")].toString(), u8("新しいチャート: 2001年04月14日"));
    for (QDeadlineTimer limit(60000); !QFile::exists(QFile::decodeName(started)) && !limit.hasExpired();)
        QThread::msleep(20);
    EXPECT_EQ(vorq::sjis::readFile(QFile::decodeName(started)), QByteArray("--date 2001-04-14\n"));
    QFile::remove(viewer);
}
