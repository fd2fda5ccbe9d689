// Fetch cost and idleness of the HTTP client against the local test server.
// BM_FetchDelayed100ms: the server answers each request after 100 ms; the
// cpu_percent counter is the whole process's CPU time over wall time while
// GetUrl waits (the server thread included), showing the client sleeps
// instead of spinning. BM_CliFetchDelayed100ms: the same for `vorq fetch`
// as a child process (its start-up included). BM_FetchPage: pages per
// second without delay.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <QCoreApplication>
#include <QProcess>
#include <ctime>

#include "benchmain.h"
#include "net/httpclient.h"
#include "testserver.h"

namespace {

double processCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

double wallSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

void runFetches(benchmark::State &state, int delayMs) {
    const QByteArray page = vorq::test::samplePage();
    vorq::test::ServerThread server([&](vorq::test::TestServer &s) {
        s.setReply(vorq::test::normalPage(page));
        s.setDelayMs(delayMs);
    });
    const QByteArray url = server.url("/vorq/cddb/countdown20010407-j.html");
    double cpu = 0, wall = 0;
    qint64 bytes = 0;
    for (auto _ : state) {
        const double c0 = processCpuSeconds(), w0 = wallSeconds();
        const QByteArray body = vorq::net::GetUrl(url);
        cpu += processCpuSeconds() - c0;
        wall += wallSeconds() - w0;
        if (body.isEmpty()) state.SkipWithError("fetch failed");
        bytes += vorq::net::receivedByteCount();
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
    state.counters["pages_per_s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.SetBytesProcessed(bytes);
}

void BM_FetchDelayed100ms(benchmark::State &state) { runFetches(state, 100); }
BENCHMARK(BM_FetchDelayed100ms)->Iterations(30)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_FetchPage(benchmark::State &state) { runFetches(state, 0); }
BENCHMARK(BM_FetchPage)->UseRealTime()->Unit(benchmark::kMicrosecond);

double childCpuSeconds() {
    rusage ru{};
    getrusage(RUSAGE_CHILDREN, &ru);
    const auto seconds = [](const timeval &tv) {
        return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) / 1e6;
    };
    return seconds(ru.ru_utime) + seconds(ru.ru_stime);
}

void BM_CliFetchDelayed100ms(benchmark::State &state) {
    vorq::test::ServerThread server([](vorq::test::TestServer &s) {
        s.setReply(vorq::test::normalPage(vorq::test::samplePage()));
        s.setDelayMs(100);
    });
    const QString url = QString::fromLatin1(server.url("/vorq/cddb/countdown20010407-j.html"));
    double cpu = 0, wall = 0;
    for (auto _ : state) {
        const double c0 = childCpuSeconds(), w0 = wallSeconds();
        QProcess p;
        p.setStandardOutputFile(QProcess::nullDevice());
        p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), {QStringLiteral("fetch"), url});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) state.SkipWithError("vorq fetch failed");
        cpu += childCpuSeconds() - c0;
        wall += wallSeconds() - w0;
    }
    state.counters["cpu_percent"] = wall > 0 ? 100.0 * cpu / wall : 0;
}
BENCHMARK(BM_CliFetchDelayed100ms)->Iterations(10)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    return runQtBenchmarks<QCoreApplication>(argc, argv, [] {
        vorq::net::setErrorReporter([](const QString &) {});
        return true;
    });
}
