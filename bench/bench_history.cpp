// Chart history over a generated full history: building the song index,
// answering one song, one artist, the top lists and the year-end charts, and what the user waits
// for at the first Ctrl+H: the index built, the window filled and painted.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/history/charthistory.h"
#include "core/history/yearend.h"
#include "core/text/sjistext.h"
#include "historygen.h"
#include "ui/history/historywindow.h"

using namespace vorq;

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

// Every year-end chart of the history, songs (arg 0) or artists (arg 1),
// on the index as the load leaves it.
void BM_AllYearEndCharts(benchmark::State &state) {
    const vorq::ChartHistory h(loaded().store.tabs);
    const QList<int> years = vorq::chartYears(h);
    const auto by = vorq::YearEndBy(state.range(0));
    for (auto _ : state)
        for (int year : years) benchmark::DoNotOptimize(vorq::yearEndChart(h, year, year, by));
    state.counters["years"] = double(years.size());
}
BENCHMARK(BM_AllYearEndCharts)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Arg 0: the song with the most weeks; 1: the artist with the most weeks.
void BM_FirstWindow(benchmark::State &state) {
    const auto &tabs = loaded().store.tabs;
    const bool artist = state.range(0) == 1;
    qsizetype rows = 0;
    for (auto _ : state) {
        const vorq::ChartHistory h(tabs);
        HistoryWindow window;
        if (artist) {
            const auto f = h.artist(h.top(vorq::TopOrder::ArtistWeeks, 1).first().song.artist);
            window.showArtist(*f);
            rows = f->songList.size();
        } else {
            const auto f = h.song(h.top(vorq::TopOrder::Weeks, 1).first().song);
            window.showSong(*f);
            rows = f->appearances.size();
        }
        benchmark::DoNotOptimize(window.grab().cacheKey());
    }
    state.counters["table_rows"] = double(rows);
}
BENCHMARK(BM_FirstWindow)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QApplication>(argc, argv); }
