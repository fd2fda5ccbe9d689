// vorq import and vorq associate killed at random moments: every file of
// the data folder is a whole old or whole new file afterwards, and the next
// run finishes the work. And a writer that finds the folder locked waits,
// then says so with its own exit status.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTimer>

#include "chartsite.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

using vorq::test::ChartSite;

namespace {

struct VorqRun {
    int exitCode = -1;  // -1: killed or did not end
    bool killed = false;
    qint64 ms = 0;
    QByteArray err;
};

// Runs vorq in a scratch home while this thread's event loop serves the
// chart site; killAfterMs >= 0 sends SIGKILL then.
VorqRun runVorq(const QStringList &args, const QString &home, int killAfterMs = -1,
                const QHash<QString, QString> &extraEnv = {}) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    for (auto it = extraEnv.cbegin(); it != extraEnv.cend(); ++it) env.insert(it.key(), it.value());
    p.setProcessEnvironment(env);
    p.setProgram(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"));
    p.setArguments(args);
    VorqRun r;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&p, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    if (killAfterMs >= 0)
        QTimer::singleShot(killAfterMs, &p, [&] {
            if (p.state() != QProcess::Running) return;
            r.killed = true;
            p.kill();
        });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    p.start();
    if (p.state() != QProcess::NotRunning) loop.exec();
    r.ms = clock.elapsed();
    if (p.state() != QProcess::NotRunning) {
        p.kill();
        p.waitForFinished();
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
}

QHash<QString, QByteArray> folderFiles(const QString &dir) {
    QHash<QString, QByteArray> out;
    for (const QString &n :
         QDir(dir).entryList({QStringLiteral("*.txt"), QStringLiteral("file.idx")}, QDir::Files)) {
        QFile f(dir + QLatin1Char('/') + n);
        if (f.open(QIODevice::ReadOnly)) out.insert(n, f.readAll());
    }
    return out;
}

QByteArray fileBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

class CrashSafety : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        home = dir.path() + QStringLiteral("/home");
        data = dir.path() + QStringLiteral("/data");
        ref = dir.path() + QStringLiteral("/ref");
    }
    QStringList importArgs(const ChartSite &site, const QString &folder) const {
        return {QStringLiteral("import"),
                QStringLiteral("--data"),
                folder,
                QStringLiteral("--today"),
                QStringLiteral("2001-05-01"),
                QStringLiteral("--from"),
                QStringLiteral("2000-10-07"),
                QStringLiteral("--to"),
                QStringLiteral("2001-03-31"),
                QStringLiteral("--url-template"),
                QString::fromLatin1(site.urlTemplate()),
                QStringLiteral("--delay"),
                QStringLiteral("0")};
    }
    QTemporaryDir dir;
    QString home, data, ref;
    QRandomGenerator random{QRandomGenerator::global()->generate()};
};

}  // namespace

TEST_F(CrashSafety, KilledImportsAndAssociationsLeaveWholeFilesAndTheNextRunFinishes) {
    ChartSite::Options o;
    o.missingEvery = 4;  // notfound.txt is written too
    ChartSite site(o);
    ASSERT_TRUE(site.start());
    const VorqRun full = runVorq(importArgs(site, ref), home);
    ASSERT_EQ(full.exitCode, 0) << full.err.toStdString();
    const QHash<QString, QByteArray> want = folderFiles(ref);
    ASSERT_GT(want.size(), 15);
    const QSet<QByteArray> notFound = [&] {
        const QList<QByteArray> l = vorq::sjis::readLines(ref + QStringLiteral("/notfound.txt"));
        return QSet<QByteArray>(l.begin(), l.end());
    }();
    ASSERT_FALSE(notFound.isEmpty());

    QElapsedTimer budget;
    budget.start();
    int kills = 0;
    // Import: each round deletes some charts (and now and then the not-found
    // list) so the killed run has writes to do.
    for (int round = 0; kills < 25 && round < 80 && budget.elapsed() < 60000; ++round) {
        SCOPED_TRACE(round);
        for (const QString &n : QDir(data).entryList({QStringLiteral("*.txt")}, QDir::Files))
            if (random.bounded(3) == 0 && (n != QLatin1String("notfound.txt") || random.bounded(3) == 0))
                QFile::remove(data + QLatin1Char('/') + n);
        const VorqRun killed =
            runVorq(importArgs(site, data), home, int(random.bounded(qint64(full.ms) + 1)));
        kills += killed.killed;
        const QHash<QString, QByteArray> now = folderFiles(data);
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            if (it.key() == QLatin1String("notfound.txt")) {
                // Whole: ends with a line end, every line a recorded date.
                EXPECT_TRUE(it.value().endsWith("\r\n"));
                for (const QByteArray &line : vorq::sjis::splitLines(it.value()))
                    EXPECT_TRUE(notFound.contains(line)) << line.toStdString();
            } else {
                EXPECT_TRUE(it.value() == want.value(it.key()))
                    << it.key().toStdString() << ": " << it.value().size() << " bytes";
            }
        }
        const VorqRun next = runVorq(importArgs(site, data), home);
        ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
        QHash<QString, QByteArray> done = folderFiles(data);
        const QList<QByteArray> nf = vorq::sjis::splitLines(done.take(QStringLiteral("notfound.txt")));
        EXPECT_EQ(QSet<QByteArray>(nf.begin(), nf.end()), notFound);
        QHash<QString, QByteArray> charts = want;
        charts.remove(QStringLiteral("notfound.txt"));
        ASSERT_TRUE(done == charts) << "the next run left " << done.size() << " of " << charts.size();
    }
    EXPECT_GE(kills, 25);

    // Associate: a large index (unloaded dates kept) toggled between two
    // files; whatever the moment, file.idx is the old or the new one.
    QList<QByteArray> seed;
    for (int i = 0; i < 20000; ++i)
        seed.append("19" + QByteArray::number(900000 + i) + "001\t/m/old" + QByteArray::number(i) +
                    ".mp3\topen");
    vorq::sjis::saveLines(data + QStringLiteral("/file.idx"), seed);
    QString date;  // the newest chart imported
    for (const QString &n : want.keys())
        if (n != QLatin1String("notfound.txt")) date = std::max(date, n.left(8));
    date = QDate::fromString(date, QStringLiteral("yyyyMMdd")).toString(Qt::ISODate);
    auto setArgs = [&](int k) {
        return QStringList{QStringLiteral("associate"),
                           QStringLiteral("--data"),
                           data,
                           QStringLiteral("--today"),
                           QStringLiteral("2001-05-01"),
                           QStringLiteral("--from"),
                           QStringLiteral("2000-10-07"),
                           QStringLiteral("--to"),
                           QStringLiteral("2001-03-31"),
                           QStringLiteral("--date"),
                           date,
                           QStringLiteral("--rank"),
                           QStringLiteral("1"),
                           QStringLiteral("--file"),
                           QStringLiteral("/m/x%1.mp3").arg(k)};
    };
    const QString idx = data + QStringLiteral("/file.idx");
    QByteArray states[2];
    qint64 longest = 0;
    for (int k = 0; k < 2; ++k) {
        const VorqRun r = runVorq(setArgs(k), home);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        states[k] = fileBytes(idx);
        longest = std::max(longest, r.ms);
    }
    ASSERT_NE(states[0], states[1]);
    const int importKills = kills;
    for (int round = 0; kills - importKills < 25 && round < 80 && budget.elapsed() < 120000; ++round) {
        SCOPED_TRACE(round);
        const int k = round % 2;
        const QByteArray old = fileBytes(idx);
        const VorqRun killed = runVorq(setArgs(k), home, int(random.bounded(longest + 1)));
        kills += killed.killed;
        const QByteArray now = fileBytes(idx);
        EXPECT_TRUE(now == old || now == states[k]) << "round " << round;
        const VorqRun next = runVorq(setArgs(k), home);
        ASSERT_EQ(next.exitCode, 0) << next.err.toStdString();
        ASSERT_TRUE(fileBytes(idx) == states[k]);
    }
    EXPECT_GE(kills, 50);
}

TEST_F(CrashSafety, AWriterFindingTheFolderLockedWaitsThenExitsFour) {
    ASSERT_TRUE(QDir().mkpath(data));
    QLockFile other(data + QLatin1Char('/') + QLatin1String(vorq::kWriteLockName));
    ASSERT_TRUE(other.tryLock(0));
    const VorqRun r =
        runVorq({QStringLiteral("associate"), QStringLiteral("--data"), data, QStringLiteral("--auto")}, home,
                -1, {{QStringLiteral("VORQ_LOCK_WAIT_MS"), QStringLiteral("300")}});
    EXPECT_EQ(r.exitCode, 4);
    EXPECT_TRUE(
        QString::fromUtf8(r.err).contains(QString::fromUtf8("データフォルダは他のプログラムが使用中です。")))
        << r.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(data)) << r.err.toStdString();
}
