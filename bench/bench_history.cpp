// Chart history over a generated full history: building the song index and
// answering one song, one artist and the top lists.
#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "appenv.h"
#include "charthistory.h"
#include "chartstore.h"
#include "historygen.h"
#include "sjistext.h"

namespace {

struct Loaded {
    QTemporaryDir dir;
    vorq::ChartStore store;
    Loaded() {
        const QDate today = vorq::env::today();
        vorq::bench::generateHistory(dir.path(), {.today = today});
        store.dataFolder = vorq::sjis::fromUnicode(dir.path() + QLatin1Char('/'));
        QDate last = vorq::firstBroadcastDate();
        while (last.addDays(7) < today) last = last.addDays(7);
        store.fullLoad(vorq::dateLabel(vorq::firstBroadcastDate()), vorq::dateLabel(last));
    }
};

Loaded &loaded() {
    static Loaded l;
    return l;
}

void BM_BuildIndex(benchmark::State &state) {
    const auto &tabs = loaded().store.tabs;
    for (auto _ : state) {
        vorq::ChartHistory h(tabs);
        benchmark::DoNotOptimize(h.loadedWeeks());
    }
    state.counters["rows"] = double(tabs.size() * 100);
}
BENCHMARK(BM_BuildIndex)->Unit(benchmark::kMillisecond);

void BM_SongHistory(benchmark::State &state) {
    const vorq::ChartHistory h(loaded().store.tabs);
    const auto top = h.top(vorq::TopOrder::Weeks, 1);
    for (auto _ : state) benchmark::DoNotOptimize(h.song(top.first().song));
}
BENCHMARK(BM_SongHistory)->Unit(benchmark::kMicrosecond);

void BM_ArtistHistory(benchmark::State &state) {
    const vorq::ChartHistory h(loaded().store.tabs);
    const auto top = h.top(vorq::TopOrder::ArtistWeeks, 1);
    for (auto _ : state) benchmark::DoNotOptimize(h.artist(top.first().song.artist));
}
BENCHMARK(BM_ArtistHistory)->Unit(benchmark::kMicrosecond);

void BM_TopList(benchmark::State &state) {
    const vorq::ChartHistory h(loaded().store.tabs);
    for (auto _ : state) benchmark::DoNotOptimize(h.top(vorq::TopOrder(state.range(0)), 20));
}
BENCHMARK(BM_TopList)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
