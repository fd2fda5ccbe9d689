// The playlist maker on a generated full history (every broadcast date to
// today, 100 rows each): each priority setting up to the sorted list, with
// both check boxes on so that every appearance is taken. Beside it the
// literal algorithm (a scan of the whole list per chart entry, scores as
// text) on the newest weeks of the same history and on all of it.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/playlist/playlistmaker.h"
#include "core/text/sjistext.h"
#include "historygen.h"
#include "test_playlistmaker_literal.h"

namespace {

struct History {
    QTemporaryDir dir;
    vorq::ChartStore store;
    qsizetype rows = 0;
    qsizetype songs = 0;

    History() {
        const QDate today = vorq::env::today();
        vorq::bench::generateHistory(dir.path(), {.today = today});
        store.dataFolder = vorq::sjis::fromUnicode(dir.path() + QLatin1Char('/'));
        store.fullLoad(vorq::dateLabel(vorq::firstBroadcastDate()), vorq::dateLabel(today));
        QSet<QByteArray> distinct;
        for (const vorq::ChartTab &t : store.tabs) {
            rows += t.rows.size();
            for (const vorq::ChartEntry &e : t.rows) distinct.insert(e.title + '\t' + e.artist);
        }
        songs = distinct.size();
    }
};

History &history() {
    static History h;
    return h;
}

vorq::PlaylistSettings allTaken(int order) { return {order, true, 100, true, true}; }

void BM_Generate(benchmark::State &state) {
    History &h = history();
    const int order = static_cast<int>(state.range(0));
    qsizetype m = 0;
    bool logScores = false;
    for (auto _ : state) {
        vorq::PlaylistRandom random;
        vorq::PlaylistResult r = vorq::generatePlaylist(h.store.tabs, allTaken(order), random);
        m = r.rows.size();
        logScores = r.logScores;
        benchmark::DoNotOptimize(r.rows.data());
    }
    state.counters["tabs"] = static_cast<double>(h.store.tabs.size());
    state.counters["entries"] = static_cast<double>(h.rows);
    state.counters["songs"] = static_cast<double>(m);
    state.counters["log_scores"] = logScores;
}
BENCHMARK(BM_Generate)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// With sort rate 0: M/2 random swaps before the sort.
void BM_GenerateRate0(benchmark::State &state) {
    History &h = history();
    for (auto _ : state) {
        vorq::PlaylistRandom random;
        vorq::PlaylistSettings s = allTaken(static_cast<int>(state.range(0)));
        s.sortRate = 0;
        benchmark::DoNotOptimize(vorq::generatePlaylist(h.store.tabs, s, random).rows.data());
    }
}
BENCHMARK(BM_GenerateRate0)->Arg(2)->Arg(5)->Unit(benchmark::kMillisecond);

// The literal algorithm over the newest `weeks` tabs (0: all of them); its
// cost grows with entries x distinct songs.
void BM_Literal(benchmark::State &state) {
    History &h = history();
    const int order = static_cast<int>(state.range(0));
    const QList<vorq::ChartTab> part = state.range(1) ? h.store.tabs.mid(0, state.range(1)) : h.store.tabs;
    qsizetype entries = 0;
    for (const vorq::ChartTab &t : part) entries += t.rows.size();
    qsizetype m = 0;
    for (auto _ : state) {
        literal::Random random;
        const vorq::ResultList rows = literal::generate(part, allTaken(order), random);
        m = rows.size();
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["tabs"] = static_cast<double>(part.size());
    state.counters["entries"] = static_cast<double>(entries);
    state.counters["songs"] = static_cast<double>(m);
}
BENCHMARK(BM_Literal)
    ->ArgsProduct({{2, 4}, {104, 208, 416, 0}})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QCoreApplication>(argc, argv); }
