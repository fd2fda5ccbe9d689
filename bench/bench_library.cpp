// The music library: matching every song of a generated full history
// against a library of 20,000 files (most of them the charts' songs as tags
// spell them, the rest other music), and scanning 5,000 tagged files
// written by TagLib: the first scan (files per second) and the rescan of
// the unchanged library through the cache.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"
#include "historygen.h"
#include "musicfiles.h"

namespace {

using namespace vorq;

struct History {
    QTemporaryDir dir;
    ChartStore store;
    QList<SongKey> songs;
    QList<LibraryFile> files;

    History() {
        bench::generateAndLoad(dir.path(), store, env::today());
        QSet<SongKey> seen;
        for (const ChartTab &t : store.tabs)
            for (const ChartEntry &e : t.rows)
                if (!seen.contains({e.title, e.artist})) {
                    seen.insert({e.title, e.artist});
                    songs.push_back({e.title, e.artist});
                }
        // Tags spell the chart's songs their own way: half-width, lower
        // case, "(TV size)", a dropped letter.
        for (int i = 0; files.size() < 20000; ++i) {
            QString title, artist;
            if (i < songs.size() && i % 7 != 0) {
                title = sjis::toUnicode(songs[i].title).normalized(QString::NormalizationForm_KC);
                artist = sjis::toUnicode(songs[i].artist);
                if (i % 3 == 0) title = title.toLower();
                if (i % 5 == 0) title += QStringLiteral(" (TV size)");
                if (i % 11 == 0 && title.size() > 3) title.remove(title.size() / 2, 1);
            } else {
                title = QStringLiteral("Other Tune %1 %2").arg(i).arg(i % 13 ? u'x' : u'y');
                artist = QStringLiteral("Band %1").arg(i % 700);
            }
            const QString path = QStringLiteral("/music/%1.mp3").arg(i);
            files.push_back({path, path.toLatin1(), title, artist, 0, true});
        }
    }
};

History &history() {
    static History h;
    return h;
}

void BM_MatchFullHistory(benchmark::State &state) {
    History &h = history();
    qsizetype proposals = 0;
    for (auto _ : state) {
        const LibraryMatcher matcher(h.files);
        proposals = matcher.matchAll(h.songs, 0.5).size();
        benchmark::DoNotOptimize(proposals);
    }
    state.counters["songs"] = double(h.songs.size());
    state.counters["files"] = double(h.files.size());
    state.counters["proposals"] = double(proposals);
}
BENCHMARK(BM_MatchFullHistory)->Unit(benchmark::kMillisecond);

// The index alone (normalising and indexing the 20,000 files).
void BM_MatchIndexOnly(benchmark::State &state) {
    History &h = history();
    for (auto _ : state) {
        const LibraryMatcher matcher(h.files);
        benchmark::DoNotOptimize(&matcher);
    }
}
BENCHMARK(BM_MatchIndexOnly)->Unit(benchmark::kMillisecond);

struct TaggedLibrary {
    QTemporaryDir dir;
    QString root, cache;
    TaggedLibrary()
        : root(dir.filePath(QStringLiteral("music"))), cache(dir.filePath(QStringLiteral("cache.txt"))) {
        for (int i = 0; i < 5000; ++i)
            test::writeTaggedMp3(
                QStringLiteral("%1/Artist %2/%3 - Song %4.mp3").arg(root).arg(i / 12).arg(i % 12).arg(i),
                QStringLiteral("Song %1").arg(i), QStringLiteral("Artist %1").arg(i / 12));
        ScanCache c;
        TagLibReader reader;
        scanLibrary(root, reader, &c);
        c.save(cache);
    }
};

TaggedLibrary &tagged() {
    static TaggedLibrary t;
    return t;
}

void BM_FirstScan5000(benchmark::State &state) {
    TaggedLibrary &t = tagged();
    TagLibReader reader;
    for (auto _ : state) {
        ScanCache empty;
        benchmark::DoNotOptimize(scanLibrary(t.root, reader, &empty).files.size());
    }
    state.counters["files/s"] = benchmark::Counter(5000.0 * state.iterations(), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstScan5000)->Unit(benchmark::kMillisecond);

// Loading the cache, the walk with one stat per file, and no file opened.
void BM_Rescan5000(benchmark::State &state) {
    TaggedLibrary &t = tagged();
    TagLibReader reader;
    qsizetype opened = 0;
    for (auto _ : state) {
        ScanCache cache;
        cache.load(t.cache);
        opened = scanLibrary(t.root, reader, &cache).opened;
        if (cache.changed()) cache.save(t.cache);
    }
    state.counters["opened"] = double(opened);
}
BENCHMARK(BM_Rescan5000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QCoreApplication>(argc, argv); }
