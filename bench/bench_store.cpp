// Full load of a generated full history (every broadcast date to today, 100
// rows each, file.idx associating half the rows): time and heap it holds.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/charts/indexfile.h"
#include "core/charts/indexmerge.h"
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

// The live view's reload when another program changed one line of the
// full history's file.idx (some 80,000 lines): read, taken over, every row
// of the loaded history brought in line. The window is frozen this long.
void BM_LiveIndexReload(benchmark::State &state) {
    History &h = history();
    vorq::ChartStore store;
    store.dataFolder = h.folder;
    store.fullLoad(h.first, h.last);
    const QString idx = vorq::sjis::path(h.folder + "file.idx");
    const QList<QByteArray> original = vorq::sjis::readLines(idx);
    QList<QByteArray> changed = original;
    changed[changed.size() / 2] = vorq::indexLineKey(changed[changed.size() / 2]) + "\t/elsewhere.mp3\t";
    int round = 0;
    for (auto _ : state) {
        state.PauseTiming();
        vorq::sjis::saveLines(idx, ++round % 2 ? changed : original);
        state.ResumeTiming();
        const vorq::AdoptResult r = vorq::adoptDiskIndex(store, vorq::readIndexFile(store.dataFolder));
        if (r.rowsChanged != 1 || r.loss) state.SkipWithError("the reload took more or less than one line");
    }
    vorq::sjis::saveLines(idx, original);
    state.counters["lines"] = static_cast<double>(original.size());
}
BENCHMARK(BM_LiveIndexReload)->Unit(benchmark::kMillisecond);

// The largest file.idx accepted (just under 32 MiB, a million lines of keys
// no chart has) read by the live view of the loaded full history: the
// bound's worst case, time and heap.
void BM_LiveIndexReloadAtTheBound(benchmark::State &state) {
    History &h = history();
    QTemporaryDir dir;
    const QByteArray folder = vorq::sjis::fromUnicode(dir.path() + QLatin1Char('/'));
    QByteArray data;
    for (int i = 0; data.size() < vorq::kMaxIndexFileBytes - 64; ++i)
        data +=
            "2" + QByteArray::number(1000000000 + i) + "\t/music/hostile/" + QByteArray::number(i) + "\t\r\n";
    vorq::sjis::saveFile(dir.filePath(QStringLiteral("file.idx")), data);
    vorq::ChartStore store;
    store.dataFolder = h.folder;
    store.fullLoad(h.first, h.last);
    store.dataFolder = folder;
    size_t heap = 0;
    for (auto _ : state) {
        state.PauseTiming();
        store.diskIndex = vorq::AssociationIndex();
        store.associations = store.diskIndex;
        const size_t before = heapInUse();
        state.ResumeTiming();
        vorq::adoptDiskIndex(store, vorq::readIndexFile(folder));
        heap = heapInUse() - before;
    }
    state.counters["lines"] = static_cast<double>(store.associations.entries().size());
    state.counters["heap_MB"] = static_cast<double>(heap) / (1024.0 * 1024.0);
}
BENCHMARK(BM_LiveIndexReloadAtTheBound)->Unit(benchmark::kMillisecond)->Iterations(3);

// A save's work without the disk: the journal of 100 changes applied to
// every line of the full history's file.idx.
void BM_ApplyJournal(benchmark::State &state) {
    History &h = history();
    const QList<QByteArray> lines = vorq::sjis::readLines(vorq::sjis::path(h.folder + "file.idx"));
    vorq::AssociationJournal journal;
    for (int i = 0; i < 100; ++i) {
        const QByteArray key = vorq::indexLineKey(lines.at(i * (lines.size() / 100)));
        journal.set(key, key + "\t/new.mp3\t", nullptr);
    }
    for (auto _ : state) benchmark::DoNotOptimize(vorq::applyJournal(lines, journal).size());
    state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(BM_ApplyJournal)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QCoreApplication>(argc, argv); }
