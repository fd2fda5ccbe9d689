// vorq import against the local chart site, run as a child process while the
// site answers from this test's event loop.
#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>

#include "chartsite.h"
#include "core/import/importdriver.h"
#include "core/text/sjistext.h"
#include "sjtest.h"

using vorq::test::ChartSite;

namespace {

struct VorqRun {
    int exitCode = -1;
    QStringList lines;  // stderr, UTF-8
};

VorqRun runVorq(const QStringList &args, const QString &home) {
    QProcess p;
    // The user's settings folder is the test's: no real settings are read.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.setProgram(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"));
    p.setArguments(args);
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    p.start();
    loop.exec();  // the site serves while we wait
    VorqRun r;
    r.exitCode = p.state() == QProcess::NotRunning ? p.exitCode() : -1;
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    r.lines = QString::fromUtf8(p.readAllStandardError()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return r;
}

class CliImport : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        data = dir.path() + QStringLiteral("/data");
    }
    QStringList args(ChartSite &site, const char *today, const char *from, const char *to) {
        QStringList a{QStringLiteral("import"), QStringLiteral("--data"), data};
        a << QStringLiteral("--today") << QString::fromLatin1(today);
        a << QStringLiteral("--from") << QString::fromLatin1(from);
        a << QStringLiteral("--to") << QString::fromLatin1(to);
        a << QStringLiteral("--url-template") << QString::fromLatin1(site.urlTemplate());
        a << QStringLiteral("--delay") << QStringLiteral("0");
        return a;
    }
    QTemporaryDir dir;
    QString data;
};

}  // namespace

TEST_F(CliImport, ImportsMissingDatesNewestFirstAndRecordsMissingPages) {
    ChartSite::Options o;
    o.missing = {QDate(2001, 3, 17)};
    o.last = QDate(2001, 3, 31);  // 2001-04-07 is not on the site yet
    ChartSite site(o);
    ASSERT_TRUE(site.start());
    // Today 2001-04-09: 2001-04-07 is only 2 days ago.
    const VorqRun r = runVorq(args(site, "2001-04-09", "2001-03-03", "2001-04-07"), dir.path());
    EXPECT_EQ(r.exitCode, 0);
    ASSERT_GT(r.lines.size(), 6) << r.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(r.lines[0].startsWith(QStringLiteral("2001-04-07\t"))) << r.lines[0].toStdString();
    EXPECT_TRUE(r.lines[0].endsWith(QStringLiteral("\tnot-yet")));
    EXPECT_TRUE(r.lines[1].endsWith(QStringLiteral("\timported")));
    EXPECT_EQ(r.lines[2].section(QLatin1Char('\t'), 0, 0), QStringLiteral("2001-03-24"));
    EXPECT_TRUE(r.lines[3].startsWith(QStringLiteral("2001-03-17\t")));
    EXPECT_TRUE(r.lines[3].endsWith(QStringLiteral("\tnot-found-recorded")));
    EXPECT_GT(r.lines[1].section(QLatin1Char('\t'), 1, 1).toInt(), 10000);
    // The run of six dates ends with its summary.
    EXPECT_EQ(r.lines[6], QStringLiteral("vorq: 一括で取得が終わりました (6 件の日付)。"));
    EXPECT_EQ(
        r.lines.mid(7, 3),
        QStringList(
            {QStringLiteral("取り込んだ日付: 4 件"), QStringLiteral("見つからなかった日付: 2 件"),
             QStringLiteral("  2001年04月07日 (最新の週: まだ掲載されていないようです。記録していません)")}));
    EXPECT_EQ(vorq::sjis::readLines(data + QStringLiteral("/notfound.txt")),
              QList<QByteArray>{sj("2001年03月17日")});
    const QList<QByteArray> chart = vorq::sjis::readLines(data + QStringLiteral("/20010310.txt"));
    ASSERT_EQ(chart.size(), 100);
    EXPECT_TRUE(chart[0].startsWith("1\t"));
    EXPECT_TRUE(vorq::sjis::readFile(data + QStringLiteral("/20010310.txt")).endsWith("\r\n"));
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/20010407.txt")));

    // A second run fetches only what is still missing.
    const int before = site.requests();
    const VorqRun again = runVorq(args(site, "2001-04-09", "2001-03-03", "2001-04-07"), dir.path());
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(site.requests(), before + 1);
    ASSERT_EQ(again.lines.size(), 1);
    EXPECT_TRUE(again.lines[0].startsWith(QStringLiteral("2001-04-07\t")));
}

TEST_F(CliImport, PagesInEveryEncodingGiveTheSameChart) {
    ChartSite site(ChartSite::Options{});
    ASSERT_TRUE(site.start());
    // Three consecutive weeks are served in Shift-JIS, EUC-JP and JIS.
    const VorqRun r = runVorq(args(site, "2001-05-01", "2001-03-03", "2001-03-17"), dir.path());
    EXPECT_EQ(r.exitCode, 0);
    for (const char *name : {"/20010303.txt", "/20010310.txt", "/20010317.txt"}) {
        const QString file = data + QLatin1String(name);
        const QDate d = QDate::fromString(QString::fromLatin1(name + 1, 8), QStringLiteral("yyyyMMdd"));
        const QList<QByteArray> lines = vorq::sjis::readLines(file);
        ASSERT_EQ(lines.size(), 100) << name;
        // The site's page holds the same titles the file does (EditData
        // only changes full-width letters, which the page may hold).
        const QByteArray page = vorq::test::chartPageSjis(d);
        const QByteArray title = lines[0].split('\t').value(1);
        EXPECT_FALSE(title.isEmpty());
        EXPECT_TRUE(page.contains(title) || vorq::sjis::normalizeTitle(page).contains(title)) << name;
    }
}

TEST_F(CliImport, ThroughAProxyAndWithBadArguments) {
    ChartSite site(ChartSite::Options{});
    ASSERT_TRUE(site.start());
    QStringList a = args(site, "2001-05-01", "2001-03-03", "2001-03-03");
    a[a.indexOf(QStringLiteral("--url-template")) + 1] =
        QStringLiteral("\"http://www.vorq.example/vorq/cddb/countdown\"yyyymmdd\"-j.html\"");
    a << QStringLiteral("--proxy") << QStringLiteral("127.0.0.1:%1").arg(site.serverPort());
    const VorqRun r = runVorq(a, dir.path());
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_TRUE(QFile::exists(data + QStringLiteral("/20010303.txt")));

    EXPECT_EQ(
        runVorq({QStringLiteral("import"), QStringLiteral("--proxy"), QStringLiteral("nohost")}, dir.path())
            .exitCode,
        2);
    EXPECT_EQ(runVorq({QStringLiteral("import"), QStringLiteral("--today"), QStringLiteral("yesterday")},
                      dir.path())
                  .exitCode,
              2);
}

TEST_F(CliImport, UnreachableSiteIsReportedPerDateAndTheRunEnds) {
    ChartSite site(ChartSite::Options{});
    ASSERT_TRUE(site.start());
    QStringList a = args(site, "2001-05-01", "2001-03-03", "2001-03-10");
    site.close();  // refused from now on
    const VorqRun r = runVorq(a << QStringLiteral("--retries") << QStringLiteral("0"), dir.path());
    EXPECT_EQ(r.exitCode, 3);  // completed, with failed dates
    int failed = 0;
    for (const QString &l : r.lines) failed += l.endsWith(QStringLiteral("\tfailed"));
    EXPECT_EQ(failed, 2) << r.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/20010303.txt")));
    // The summary names both dates with the reason.
    const QString all = r.lines.join(QLatin1Char('\n'));
    EXPECT_TRUE(all.contains(QStringLiteral("2001年03月10日: エラーコード : 111"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("2001年03月03日: エラーコード : 111")));

    // Eight dates: five failed in a row end the run, three left untried.
    QStringList eight = args(site, "2001-05-01", "2001-03-03", "2001-04-21");
    const VorqRun more = runVorq(eight << QStringLiteral("--retries") << QStringLiteral("0"), dir.path());
    EXPECT_EQ(more.exitCode, 3);
    EXPECT_EQ(more.lines.filter(QRegularExpression(QStringLiteral("\tfailed$"))).size(), 5);
    EXPECT_TRUE(more.lines.join(QLatin1Char('\n'))
                    .contains(QStringLiteral(
                        "5 件続けて取得できなかったため、残りの 3 件は取得せずに終了しました。")))
        << more.lines.join(QLatin1Char('\n')).toStdString();
}

TEST_F(CliImport, FlakySiteOverHttpsEndsWithEveryPageAndASummaryOfWhatFailed) {
    ChartSite::Options o;
    o.tlsCert = QStringLiteral(VORQ_FIXTURES_DIR "/tls/server.pem");
    o.tlsKey = QStringLiteral(VORQ_FIXTURES_DIR "/tls/server.key");
    o.flaky = true;
    o.failing = {QDate(2001, 3, 17)};
    ChartSite site(o);
    ASSERT_TRUE(site.start());
    QStringList a = args(site, "2001-05-01", "2001-03-03", "2001-03-31");
    a << QStringLiteral("--retries") << QStringLiteral("2");
    a << QStringLiteral("--ca-file") << QStringLiteral(VORQ_FIXTURES_DIR "/tls/ca.pem");
    const VorqRun r = runVorq(a, dir.path());
    const QString all = r.lines.join(QLatin1Char('\n'));
    EXPECT_EQ(r.exitCode, 3) << all.toStdString();
    for (const char *day : {"20010303", "20010310", "20010324", "20010331"})
        EXPECT_TRUE(QFile::exists(data + QStringLiteral("/") + QLatin1String(day) + QStringLiteral(".txt")))
            << day;
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("/20010317.txt")));
    EXPECT_EQ(all.count(QStringLiteral("再試行 1/2")), 5 * 2);  // announced, then under way
    EXPECT_TRUE(all.contains(QStringLiteral("取得できなかった日付: 1 件")));
    EXPECT_TRUE(all.contains(
        QStringLiteral("2001年03月17日: サーバーが混み合っているため、取得できませんでした。 HTTP 429")));
    // The run resumes where it stopped: only the failed date is asked for again.
    const int before = site.requests();
    const VorqRun again = runVorq(a, dir.path());
    EXPECT_EQ(again.exitCode, 3);
    EXPECT_EQ(site.requests() - before, 3);
}

// A Friday typed as --from and --to: the weeks are the Saturdays between,
// and only a broadcast date can ever be recorded as not broadcast, whatever
// path reaches notfound.txt.
TEST_F(CliImport, TypedDatesMoveOntoBroadcastDatesAndNotFoundGetsNoOtherDay) {
    ChartSite::Options o;
    o.missing = {QDate(2001, 3, 17)};
    ChartSite site(o);
    ASSERT_TRUE(site.start());
    const VorqRun r = runVorq(args(site, "2001-05-01", "2001-03-02", "2001-03-30"), dir.path());
    EXPECT_EQ(r.exitCode, 0) << r.lines.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(QDir(data).entryList(QDir::Files),
              QStringList({QStringLiteral("20010303.txt"), QStringLiteral("20010310.txt"),
                           QStringLiteral("20010324.txt"), QStringLiteral("notfound.txt")}));
    EXPECT_EQ(vorq::sjis::readLines(data + QStringLiteral("/notfound.txt")),
              QList<QByteArray>{sj("2001年03月17日")});
    EXPECT_FALSE(
        vorq::recordNotFound(vorq::sjis::fromUnicode(data + QLatin1Char('/')), {}, sj("2001年03月30日")));
    EXPECT_EQ(vorq::sjis::readLines(data + QStringLiteral("/notfound.txt")),
              QList<QByteArray>{sj("2001年03月17日")});
}
