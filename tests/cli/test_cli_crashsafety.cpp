// vorq import and associate killed at random moments; vorq finding the lock held.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLockFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>

#include "chartsite.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

namespace {

QTemporaryDir scratch;

struct Result {
    int status = -1;  // -1: killed
    bool killed = false;
    qint64 ms = 0;
    QByteArray err;
};

// vorq in a scratch home; this thread's event loop serves the chart site
// meanwhile. killAfterMs >= 0: SIGKILL then.
Result runVorq(const QStringList &args, int killAfterMs = -1) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *v : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME"})
        env.insert(QLatin1String(v), scratch.path());
    env.insert(QStringLiteral("VORQ_LOCK_WAIT_MS"), QStringLiteral("300"));
    p.setProcessEnvironment(env);
    Result r;
    QEventLoop loop;
    QObject::connect(&p, &QProcess::finished, &loop, &QEventLoop::quit);
    if (killAfterMs >= 0)
        QTimer::singleShot(killAfterMs, &p, [&] {
            r.killed = p.state() == QProcess::Running;
            p.kill();
        });
    QTimer::singleShot(30000, &loop, &QEventLoop::quit);
    QElapsedTimer clock;
    clock.start();
    p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), args);
    if (p.waitForStarted()) loop.exec();
    r.ms = clock.elapsed();
    p.kill();
    p.waitForFinished();
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.err = p.readAllStandardError();
    return r;
}

QHash<QString, QByteArray> files(const QString &dir) {
    QHash<QString, QByteArray> out;
    for (const QString &n : QDir(dir).entryList({QStringLiteral("*.txt")})) {
        QList<QByteArray> lines = vorq::sjis::readLines(dir + QLatin1Char('/') + n);
        // Sorted: the order depends on which run recorded what.
        if (n == QLatin1String("notfound.txt")) std::sort(lines.begin(), lines.end());
        out.insert(n, lines.join('\n'));
    }
    return out;
}

QStringList args(const QString &command, const QString &data, const QString &more) {
    return QStringLiteral("%1 --data %2 --today 2001-05-01 --from 2000-10-07 --to 2001-03-31 %3")
        .arg(command, data, more)
        .split(QLatin1Char(' '));
}

}  // namespace

TEST(CrashSafety, KilledImportsAndAssociationsLeaveWholeFilesAndTheNextRunFinishes) {
    vorq::test::ChartSite::Options o;
    o.missingEvery = 4;  // notfound.txt is written too
    vorq::test::ChartSite site(o);
    ASSERT_TRUE(site.start());
    const QString data = scratch.filePath(QStringLiteral("data")),
                  ref = scratch.filePath(QStringLiteral("r"));
    auto import = [&](const QString &folder) {
        return args(QStringLiteral("import"), folder,
                    QStringLiteral("--delay 0 --url-template ") + QString::fromLatin1(site.urlTemplate()));
    };
    const Result full = runVorq(import(ref));
    const QHash<QString, QByteArray> want = files(ref);
    const QList<QByteArray> recorded = want.value(QStringLiteral("notfound.txt")).split('\n');
    ASSERT_TRUE(full.status == 0 && want.size() > 15) << full.err.toStdString();

    QRandomGenerator random(QRandomGenerator::global()->generate());
    const QDeadlineTimer end(120000);  // bounded: half each
    int kills = 0;
    for (int round = 0; kills < 25 && round < 80 && end.remainingTime() > 60000; ++round) {
        // Some files go, so the killed run has writes to do.
        for (const QString &n : QDir(data).entryList({QStringLiteral("*.txt")}))
            if (random.bounded(3) == 0) QFile::remove(data + QLatin1Char('/') + n);
        kills += runVorq(import(data), int(random.bounded(full.ms + 1))).killed;
        const QHash<QString, QByteArray> now = files(data);
        for (auto it = now.cbegin(); it != now.cend(); ++it) {
            // A chart is all there; the not-found list holds whole labels.
            if (it.key() != QLatin1String("notfound.txt"))
                EXPECT_TRUE(*it == want.value(it.key())) << round << " " << it.key().toStdString();
            else
                for (const QByteArray &line : it->split('\n')) EXPECT_TRUE(recorded.contains(line)) << round;
        }
        ASSERT_EQ(runVorq(import(data)).status, 0);
        ASSERT_TRUE(files(data) == want) << round;
    }
    EXPECT_GE(kills, 25);

    // A large file.idx (unloaded dates kept), toggled: old or new, whatever the moment.
    QList<QByteArray> seed;
    for (int i = 0; i < 20000; ++i)
        seed.append("19" + QByteArray::number(900000 + i) + "001\t/m/" + QByteArray::number(i));
    const QString idx = data + QStringLiteral("/file.idx");
    vorq::sjis::saveLines(idx, seed);
    const QString date = QStringLiteral("--rank 1 --date ") +
                         QDate::fromString(want.keys().filter(QStringLiteral("2001")).first().left(8),
                                           QStringLiteral("yyyyMMdd"))
                             .toString(Qt::ISODate);
    auto set = [&](int k) {
        return args(QStringLiteral("associate"), data, date + QStringLiteral(" --file /m/x%1.mp3").arg(k));
    };
    qint64 last = full.ms;
    for (int round = 0; kills < 50 && round < 80 && !end.hasExpired(); ++round) {
        const QByteArray old = vorq::sjis::readFile(idx);
        kills += runVorq(set(round % 2), int(random.bounded(last + 1))).killed;
        const QByteArray now = vorq::sjis::readFile(idx);
        const Result next = runVorq(set(round % 2));
        ASSERT_EQ(next.status, 0);
        last = next.ms;
        const QByteArray done = vorq::sjis::readFile(idx);
        ASSERT_NE(done, old);  // each round toggles the row's file
        EXPECT_TRUE(now == old || now == done) << round;
    }
    EXPECT_GE(kills, 50);

    // Another program's lock: vorq waits, then exits 4 naming the folder.
    QLockFile other(data + QLatin1Char('/') + QLatin1String(vorq::kWriteLockName));
    ASSERT_TRUE(other.tryLock(0));
    const Result busy = runVorq(set(0));
    EXPECT_EQ(busy.status, 4);
    EXPECT_TRUE(QString::fromUtf8(busy.err).contains(
        QString::fromUtf8("データフォルダは他のプログラムが使用中です。")));
    EXPECT_TRUE(QString::fromUtf8(busy.err).contains(data)) << busy.err.toStdString();
}
