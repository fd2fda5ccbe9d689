// The automatic association update over a generated full history (every
// broadcast date to today, 100 rows each, half of them associated): the
// indexed update with a recorded file system, the same on the disk (a music
// folder where a third of the pattern names exist), and the literal update
// on growing spans for comparison.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

#include "associationupdate_literal.h"
#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/associationupdate.h"
#include "core/charts/chartstore.h"
#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"
#include "historygen.h"

namespace {

using namespace vorq;

struct History {
    QTemporaryDir dir;
    QTemporaryDir music;
    ChartStore store;
    AutoUpdateOptions options;
    QSet<QByteArray> existing;  // what the recorded file system holds
    int songs = 0, musicFiles = 0;

    History() {
        bench::generateAndLoad(dir.path(), store, env::today());
        options = {"%a-%t.mp3", sjis::fromUnicode(music.path() + QLatin1Char('/')), true};
        // Nine in ten associated files exist; a third of the songs have a
        // file of the pattern's name in the music folder.
        QSet<QByteArray> seen, names;
        for (const ChartTab &t : store.tabs)
            for (const ChartEntry &e : t.rows) {
                if (!e.file.isEmpty() && !seen.contains(e.file)) {
                    seen.insert(e.file);
                    if (seen.size() % 10 != 0) existing.insert(e.file);
                }
                const QByteArray name = patternFileName(options.pattern, e.artist, e.title);
                if (names.contains(name)) continue;
                names.insert(name);
                if (names.size() % 3 == 0) {
                    existing.insert(options.folder + name);
                    QFile f(sjis::path(options.folder + name));
                    // Names with "/" would need folders: those stay missing.
                    if (f.open(QIODevice::WriteOnly)) ++musicFiles;
                }
            }
        songs = int(names.size());
    }

    // A private copy of the first n tables (all when n < 0).
    QList<ChartTab> tables(qsizetype n = -1) const {
        QList<ChartTab> out = n < 0 ? store.tabs : store.tabs.mid(0, n);
        for (ChartTab &t : out) t.rows.detach();
        return out;
    }
    PathExists recorded() const {
        return [this](const QByteArray &p) { return existing.contains(p); };
    }
};

History &history() {
    static History h;
    return h;
}

qint64 rowsOf(const QList<ChartTab> &tabs) {
    qint64 n = 0;
    for (const ChartTab &t : tabs) n += t.rows.size();
    return n;
}

void BM_AutoUpdate_Indexed(benchmark::State &state) {
    History &h = history();
    AutoUpdateResult r;
    const qsizetype n = state.range(0) == 0 ? -1 : state.range(0);
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QList<ChartTab> tabs = h.tables(n);
        rows = rowsOf(tabs);
        state.ResumeTiming();
        r = autoUpdate(tabs, h.options, nullptr, h.recorded());
        state.PauseTiming();
        tabs.clear();
        state.ResumeTiming();
    }
    state.counters["tabs"] = double(n < 0 ? h.store.tabs.size() : n);
    state.counters["rows"] = double(rows);
    state.counters["changed_rows"] = double(r.changes.size());
    state.counters["existence_tests"] = double(r.existenceTests);
}
// 0: the full history; otherwise the newest n tables (the literal's spans).
BENCHMARK(BM_AutoUpdate_Indexed)->Arg(0)->Arg(52)->Arg(104)->Arg(208)->Unit(benchmark::kMillisecond);

void BM_AutoUpdate_Disk(benchmark::State &state) {
    History &h = history();
    AutoUpdateResult r;
    for (auto _ : state) {
        state.PauseTiming();
        QList<ChartTab> tabs = h.tables();
        state.ResumeTiming();
        r = autoUpdate(tabs, h.options);
        state.PauseTiming();
        tabs.clear();
        state.ResumeTiming();
    }
    state.counters["existence_tests"] = double(r.existenceTests);
    state.counters["music_files"] = h.musicFiles;
}
BENCHMARK(BM_AutoUpdate_Disk)->Unit(benchmark::kMillisecond);

void BM_AutoUpdate_Literal(benchmark::State &state) {
    History &h = history();
    qint64 rows = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QList<ChartTab> tabs = h.tables(state.range(0) == 0 ? -1 : state.range(0));
        rows = rowsOf(tabs);
        state.ResumeTiming();
        benchmark::DoNotOptimize(literal::autoUpdate(tabs, h.options, h.recorded()));
        state.PauseTiming();
        tabs.clear();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_AutoUpdate_Literal)->Arg(52)->Arg(104)->Arg(208)->Unit(benchmark::kMillisecond);
// Longer spans and the full history (0) once each: seconds to minutes.
BENCHMARK(BM_AutoUpdate_Literal)->Arg(416)->Arg(832)->Arg(0)->Iterations(1)->Unit(benchmark::kMillisecond);

// The existence tests of the update on the disk, files gone with their
// folders (as in a history moved from another computer): every distinct
// associated file of the history, asked of the one-shot resolver (the
// current folder read and the file tested per text) and of one resolver for
// the run (a missing folder answers for its files). Paths per second.
QList<QByteArray> distinctFiles() {
    QSet<QByteArray> seen;
    QList<QByteArray> out;
    for (const ChartTab &t : history().store.tabs)
        for (const ChartEntry &e : t.rows)
            if (!e.file.isEmpty() && !seen.contains(e.file)) {
                seen.insert(e.file);
                out.append(e.file);
            }
    return out;
}

void BM_ExistenceTests_EachResolved(benchmark::State &state) {
    const QList<QByteArray> files = distinctFiles();
    qint64 found = 0;
    for (auto _ : state)
        for (const QByteArray &f : files) found += resolveStoredTarget(f).exists;
    state.SetItemsProcessed(state.iterations() * files.size());
    state.counters["paths"] = double(files.size());
    state.counters["found"] = double(found);
}
BENCHMARK(BM_ExistenceTests_EachResolved)->Unit(benchmark::kMillisecond);

void BM_ExistenceTests_OneResolver(benchmark::State &state) {
    const QList<QByteArray> files = distinctFiles();
    qint64 found = 0, tests = 0;
    for (auto _ : state) {
        StoredTargetResolver resolver;
        for (const QByteArray &f : files) found += resolver.exists(f);
        tests = resolver.fileSystemTests();
    }
    state.SetItemsProcessed(state.iterations() * files.size());
    state.counters["paths"] = double(files.size());
    state.counters["found"] = double(found);
    state.counters["fs_tests"] = double(tests);
}
BENCHMARK(BM_ExistenceTests_OneResolver)->Unit(benchmark::kMillisecond);

// Both updates give the same tables on a span small enough for the literal.
bool sameResults() {
    History &h = history();
    QList<ChartTab> fast = h.tables(208), slow = h.tables(208);
    autoUpdate(fast, h.options, nullptr, h.recorded());
    literal::autoUpdate(slow, h.options, h.recorded());
    for (qsizetype t = 0; t < fast.size(); ++t)
        if (fast.at(t).rows != slow.at(t).rows) return false;
    return true;
}

}  // namespace

int main(int argc, char **argv) {
    return runQtBenchmarks<QCoreApplication>(argc, argv, [] {
        if (!sameResults()) {
            std::fprintf(stderr, "bench_associate: the indexed and literal updates differ\n");
            return false;
        }
        std::fprintf(stderr, "bench_associate: %lld tables, %d songs, same results on 208 tables\n",
                     static_cast<long long>(history().store.tabs.size()), history().songs);
        return true;
    });
}
