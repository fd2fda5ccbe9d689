// Bulk import from the local chart site.
// BM_BulkImportSince1995/tls:0|1: the import driver fetches, converts,
// parses, checks and stores every week from 1995-04-08 to the newest
// broadcast date (about 1,650 pages in Shift-JIS, EUC-JP and JIS by turns)
// from an in-process chart site, over http or https (a new TLS connection
// per page, the test CA trusted), no pause between pages; pages_per_s is the
// rate of the whole run.
// BM_CliImport/tls/site_delay_ms/pause_ms: `vorq import` over 20 weeks
// against a vorq-chartsite that delays every page, or with a pause between
// pages; cpu_percent is the child's CPU time over its wall time (it must
// sleep while it waits: under 10%).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <ctime>

#include "benchmain.h"
#include "chartsite.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/import/importdriver.h"
#include "core/text/sjistext.h"
#include "net/httpclient.h"

namespace {

using namespace vorq;

double wallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

double childCpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    const auto seconds = [](const timeval &tv) { return double(tv.tv_sec) + double(tv.tv_usec) / 1e6; };
    return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

// A headless host over a date list and a data folder, as vorq import has.
class BenchHost : public HeadlessImportHost {
public:
    int imported = 0;

    QByteArray programFolder() override { return {}; }
    void addChartTable(const QString &name, const QList<QByteArray> &lines) override {
        HeadlessImportHost::addChartTable(name, lines);
        ++imported;
    }
    QByteArray fetch(const QByteArray &url, const QByteArray &, int) override { return net::GetUrl(url); }
    qint64 receivedBytes() override { return net::receivedByteCount(); }
};

QString fixture(const char *name) { return QStringLiteral(VORQ_FIXTURES_DIR "/tls/") + QLatin1String(name); }

void BM_BulkImportSince1995(benchmark::State &state) {
    test::ChartSite::Options options;
    if (state.range(0)) {
        options.tlsCert = fixture("server.pem");
        options.tlsKey = fixture("server.key");
        net::setTrustedCaFile(fixture("ca.pem"));
    }
    test::ChartSite site(options);
    if (!site.start()) return state.SkipWithError("no port for the chart site");
    const QList<QDate> calendar = broadcastCalendar(env::today(), {});
    qint64 pages = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        BenchHost host;
        host.folder = sjis::fromUnicode(dir.path() + QLatin1Char('/'));
        host.opts.urlTemplate = site.urlTemplate();
        host.opts.dataFolderField = host.folder;
        for (const QDate &d : calendar) host.dates.append(dateLabel(d));
        state.ResumeTiming();
        ImportEngine engine(host);
        engine.importMissingDates();
        pages += host.imported;
        if (host.imported != calendar.size()) state.SkipWithError("not every week was imported");
    }
    state.counters["pages"] = double(calendar.size());
    state.counters["pages_per_s"] = benchmark::Counter(double(pages), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BulkImportSince1995)
    ->ArgName("tls")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_CliImport(benchmark::State &state) {
    const bool tls = state.range(0) != 0;
    QStringList siteArgs{QStringLiteral("--delay-ms"), QString::number(state.range(1))};
    if (tls)
        siteArgs << QStringLiteral("--tls-cert") << fixture("server.pem") << QStringLiteral("--tls-key")
                 << fixture("server.key");
    QProcess site;
    site.start(QStringLiteral(VORQ_BINARY_DIR "/tests/vorq-chartsite"), siteArgs);
    if (!site.waitForReadyRead(10000)) return state.SkipWithError("vorq-chartsite did not start");
    const QByteArray base = site.readLine().trimmed().mid(qsizetype(strlen("listening on ")));
    const QString tmpl =
        QStringLiteral("\"%1/vorq/cddb/countdown\"yyyymmdd\"-j.html\"").arg(QString::fromLatin1(base));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        QTemporaryDir dir;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), dir.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path() + QStringLiteral("/share"));
        p.setProcessEnvironment(env);
        p.setStandardErrorFile(QProcess::nullDevice());
        const double c0 = childCpuSeconds(), w0 = wallSeconds();
        p.start(
            QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"),
            {QStringLiteral("import"), QStringLiteral("--data"), dir.path() + QStringLiteral("/data"),
             QStringLiteral("--from"), QStringLiteral("2001-01-06"), QStringLiteral("--to"),
             QStringLiteral("2001-05-19"), QStringLiteral("--url-template"), tmpl, QStringLiteral("--delay"),
             QString::number(double(state.range(2)) / 1000), QStringLiteral("--ca-file"), fixture("ca.pem")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0) state.SkipWithError("vorq import failed");
        cpu += childCpuSeconds() - c0;
        wall += wallSeconds() - w0;
        if (QDir(dir.path() + QStringLiteral("/data")).entryList({QStringLiteral("*.txt")}).size() != 20)
            state.SkipWithError("not every week was imported");
    }
    site.kill();
    site.waitForFinished();
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
}
BENCHMARK(BM_CliImport)
    ->ArgNames({"tls", "site_delay_ms", "pause_ms"})
    ->Args({0, 100, 0})
    ->Args({1, 100, 0})
    ->Args({0, 0, 200})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    return runQtBenchmarks<QCoreApplication>(argc, argv, [] {
        vorq::net::setErrorReporter([](const QString &) {});
        return true;
    });
}
