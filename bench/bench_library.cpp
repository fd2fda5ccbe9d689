// The music library: matching every song of a generated full history
// against a library of 20,000 files (most of them the charts' songs as tags
// spell them, the rest other music); scanning tagged files written by
// TagLib: the first scan (files per second) and the rescan of the unchanged
// library through the cache, for 5,000 and 20,000 files; and the rescan and
// matching of a realistic generated library.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QSet>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"
#include "historygen.h"
#include "librarygen.h"
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
            LibraryFile f;
            f.path = path;
            f.storedPath = path.toLatin1();
            f.title = title;
            f.artist = artist;
            f.fromTags = true;
            files.push_back(f);
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
    explicit TaggedLibrary(int count)
        : root(dir.filePath(QStringLiteral("music"))), cache(dir.filePath(QStringLiteral("cache.txt"))) {
        for (int i = 0; i < count; ++i) {
            const QString path =
                QStringLiteral("%1/Artist %2/%3 - Song %4.mp3").arg(root).arg(i / 12).arg(i % 12).arg(i);
            test::writeSilentMp3(path, 2);
            test::writeTags(path, QStringLiteral("Song %1").arg(i), QStringLiteral("Artist %1").arg(i / 12));
        }
        ScanCache c;
        TagLibReader reader;
        scanLibrary(root, reader, &c);
        c.save(cache);
    }
};

TaggedLibrary &tagged(int count) {
    static std::map<int, std::unique_ptr<TaggedLibrary>> libraries;
    auto &l = libraries[count];
    if (!l) l = std::make_unique<TaggedLibrary>(count);
    return *l;
}

void BM_FirstScan(benchmark::State &state) {
    TaggedLibrary &t = tagged(int(state.range(0)));
    TagLibReader reader;
    for (auto _ : state) {
        ScanCache empty;
        benchmark::DoNotOptimize(scanLibrary(t.root, reader, &empty).files.size());
    }
    state.counters["files/s"] =
        benchmark::Counter(double(state.range(0)) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_FirstScan)->Arg(5000)->Unit(benchmark::kMillisecond);

// A rescan of an unchanged library: loading the cache, the walk with one
// stat per file, and no file opened.
void BM_Rescan(benchmark::State &state) {
    TaggedLibrary &t = tagged(int(state.range(0)));
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
BENCHMARK(BM_Rescan)->Arg(5000)->Arg(20000)->Unit(benchmark::kMillisecond);

// What `vorq scan` does again on a realistic library that has not changed
// (bench/librarygen: 900 charted songs, about 1,500 files of every kind):
// the cache, the walk, and matching every song.
void BM_RescanAndMatchGeneratedLibrary(benchmark::State &state) {
    static QTemporaryDir dir;
    static const test::GeneratedLibrary lib = test::generateLibrary(dir.path());
    static const QString cachePath = dir.filePath(QStringLiteral("cache.txt"));
    QList<SongKey> songs;
    for (const test::GeneratedSong &s : lib.songs) songs << s.key;
    TagLibReader reader;
    {
        ScanCache cache;
        scanLibrary(lib.music, reader, &cache);
        cache.save(cachePath);
    }
    qsizetype proposals = 0, opened = 0;
    for (auto _ : state) {
        ScanCache cache;
        cache.load(cachePath);
        const ScanResult scan = scanLibrary(lib.music, reader, &cache);
        opened = scan.opened;
        proposals = LibraryMatcher(scan.files).matchAll(songs, kDefaultMatchThreshold).size();
    }
    state.counters["files"] = double(lib.files.size());
    state.counters["opened"] = double(opened);
    state.counters["proposals"] = double(proposals);
}
BENCHMARK(BM_RescanAndMatchGeneratedLibrary)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QCoreApplication>(argc, argv); }
