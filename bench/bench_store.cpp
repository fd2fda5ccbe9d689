// Full load of a generated full history (every broadcast date to today, 100
// rows each, file.idx associating half the rows): time and heap it holds.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"
#include "historygen.h"

namespace {

struct History {
    QTemporaryDir dir;
    QByteArray folder;
    QByteArray first, last;
    vorq::bench::HistoryStats stats;

    History() {
        const QDate today = vorq::env::today();
        stats = vorq::bench::generateHistory(dir.path(), {.today = today});
        folder = vorq::sjis::fromUnicode(dir.path() + QLatin1Char('/'));
        first = vorq::dateLabel(vorq::firstBroadcastDate());
        last = vorq::dateLabel(vorq::bench::lastBroadcastBefore(today));
    }
};

History &history() {
    static History h;
    return h;
}

size_t heapInUse() {
    const struct mallinfo2 mi = mallinfo2();
    return mi.uordblks + mi.hblkhd;
}

void BM_FullLoad(benchmark::State &state) {
    History &h = history();
    size_t heap = 0;
    qsizetype rows = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        vorq::ChartStore store;
        store.dataFolder = h.folder;
        store.fullLoad(h.first, h.last);
        heap = heapInUse() - before;
        rows = 0;
        for (const auto &t : store.tabs) rows += t.rows.size();
        benchmark::DoNotOptimize(store.tabs.data());
        state.PauseTiming();
        {
            vorq::ChartStore gone = std::move(store);  // freeing is not part of the load
        }
        state.ResumeTiming();
    }
    state.counters["tabs"] = h.stats.charts;
    state.counters["rows"] = static_cast<double>(rows);
    state.counters["heap_MB"] = static_cast<double>(heap) / (1024.0 * 1024.0);
}
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadIndex(benchmark::State &state) {
    History &h = history();
    const QString idx = vorq::sjis::path(h.folder + "file.idx");
    for (auto _ : state) {
        vorq::AssociationIndex index;
        index.read(idx);
        benchmark::DoNotOptimize(index.entries().data());
    }
    state.counters["entries"] = static_cast<double>(h.stats.associations);
}
BENCHMARK(BM_ReadIndex)->Unit(benchmark::kMillisecond);

void BM_IndexLines(benchmark::State &state) {
    History &h = history();
    vorq::ChartStore store;
    store.dataFolder = h.folder;
    store.fullLoad(h.first, h.last);
    for (auto _ : state) benchmark::DoNotOptimize(vorq::indexLines(store).size());
}
BENCHMARK(BM_IndexLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QCoreApplication>(argc, argv); }
