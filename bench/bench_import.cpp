// Bulk import from the local chart site.
// BM_BulkImportSince1995: the import driver fetches, converts, parses, checks
// and stores every week from 1995-04-08 to the newest broadcast date (about
// 1,650 pages in Shift-JIS, EUC-JP and JIS by turns) from an in-process chart
// site; pages_per_s is the rate of the whole run.
// BM_CliImportDelayed100ms: `vorq import` over 20 weeks against a
// vorq-chartsite that delays every page by 100 ms; cpu_percent is the child's
// CPU time over its wall time (it must sleep while it waits: under 10%).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <ctime>

#include "appenv.h"
#include "chartsite.h"
#include "chartstore.h"
#include "httpclient.h"
#include "importdriver.h"
#include "sjistext.h"

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

void BM_BulkImportSince1995(benchmark::State &state) {
    test::ChartSite site(test::ChartSite::Options{});
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
BENCHMARK(BM_BulkImportSince1995)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

void BM_CliImportDelayed100ms(benchmark::State &state) {
    QProcess site;
    site.start(QStringLiteral(VORQ_BINARY_DIR "/tests/vorq-chartsite"),
               {QStringLiteral("--delay-ms"), QStringLiteral("100")});
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
        p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"),
                {QStringLiteral("import"), QStringLiteral("--data"), dir.path() + QStringLiteral("/data"),
                 QStringLiteral("--from"), QStringLiteral("2001-01-06"), QStringLiteral("--to"),
                 QStringLiteral("2001-05-19"), QStringLiteral("--url-template"), tmpl});
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
BENCHMARK(BM_CliImportDelayed100ms)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    sjis::ensureCodec();
    net::setErrorReporter([](const QString &) {});
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
