// Lists on a generated full history (every week since 1995, 100 rows each,
// half associated): the search over all tables, the column sort, the result
// window showing and sorting every row, and printing to PDF.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QHash>
#include <QHeaderView>
#include <QPrinter>
#include <QTemporaryDir>

#include "benchmain.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/lists/listoutput.h"
#include "core/lists/search.h"
#include "core/text/sjistext.h"
#include "historygen.h"
#include "print/listprinting.h"
#include "ui/results/resultlistview.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;

namespace {

struct Loaded {
    QTemporaryDir dir;
    vorq::ChartStore store;
    QByteArray rareTitle;
    Loaded() {
        const QDate today = vorq::env::today();
        vorq::bench::generateHistory(dir.path(), {.today = today});
        store.dataFolder = vorq::sjis::fromUnicode(dir.path() + QLatin1Char('/'));
        QDate d = vorq::firstBroadcastDate();
        while (d.addDays(7) < today) d = d.addDays(7);
        store.fullLoad(vorq::dateLabel(vorq::firstBroadcastDate()), vorq::dateLabel(d));
        // The least frequent title: a search that finds almost nothing.
        QHash<QByteArray, int> counts;
        for (const auto &t : store.tabs)
            for (const auto &e : t.rows) ++counts[e.title];
        int best = INT_MAX;
        for (auto it = counts.cbegin(); it != counts.cend(); ++it)
            if (it.value() < best) best = it.value(), rareTitle = it.key();
    }
};

Loaded &loaded() {
    static Loaded l;
    return l;
}

void BM_SearchRareTitleSubstring(benchmark::State &state) {
    Loaded &l = loaded();
    qsizetype found = 0;
    for (auto _ : state) {
        auto r = vorq::searchCharts(l.store.tabs, nullptr, "*", false, l.rareTitle);
        found = r.rows.size();
        benchmark::DoNotOptimize(r.rows.data());
        state.PauseTiming();  // freeing the result is not part of the search
        r = {};
        state.ResumeTiming();
    }
    state.counters["rows_found"] = double(found);
}
BENCHMARK(BM_SearchRareTitleSubstring)->Unit(benchmark::kMillisecond);

void BM_SearchEverything(benchmark::State &state) {
    Loaded &l = loaded();
    qsizetype found = 0;
    for (auto _ : state) {
        auto r = vorq::searchCharts(l.store.tabs, nullptr, "*", false, "*");
        found = r.rows.size();
        benchmark::DoNotOptimize(r.rows.data());
        state.PauseTiming();
        r = {};
        state.ResumeTiming();
    }
    state.counters["rows_found"] = double(found);
}
BENCHMARK(BM_SearchEverything)->Unit(benchmark::kMillisecond);

vorq::ResultList allRows() { return vorq::searchCharts(loaded().store.tabs, nullptr, "*", false, "*").rows; }

// The core sort of every row by a column (1 rank, 2 title, 3 artist).
void BM_SortColumn(benchmark::State &state) {
    const vorq::ResultList rows = allRows();
    int direction = 1;
    for (auto _ : state) {
        state.PauseTiming();
        vorq::ResultList copy = rows;
        state.ResumeTiming();
        direction = -direction;
        vorq::sortResultRows(copy, int(state.range(0)), direction);
        benchmark::DoNotOptimize(copy.data());
        state.PauseTiming();
        copy = {};
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortColumn)->Arg(0)->Arg(1)->Arg(2)->Arg(3)->Unit(benchmark::kMillisecond);

// The result window from the rows to its first paint with every row.
void BM_WindowShowsAllRows(benchmark::State &state) {
    const vorq::ResultList rows = allRows();
    for (auto _ : state) {
        ResultListWindow w;
        w.setRows(rows);
        w.show();
        w.listView->viewport()->repaint();
        QApplication::processEvents();
        state.PauseTiming();
        w.hide();
        state.ResumeTiming();
    }
    state.counters["rows"] = double(rows.size());
}
BENCHMARK(BM_WindowShowsAllRows)->Unit(benchmark::kMillisecond);

// A header click (the direction flips each time) and the repaint.
void BM_WindowColumnSortClick(benchmark::State &state) {
    ResultListWindow w;
    w.setRows(allRows());
    w.show();
    QApplication::processEvents();
    for (auto _ : state) {
        w.sortByColumn(int(state.range(0)));
        w.listView->viewport()->repaint();
    }
}
BENCHMARK(BM_WindowColumnSortClick)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

void printToPdf(benchmark::State &state, const vorq::ListRows &rows, const QList<QByteArray> &captions) {
    QTemporaryDir dir;
    int pages = 0;
    for (auto _ : state) {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(dir.filePath(QStringLiteral("out.pdf")));
        const vorq::PrintLayout layout(captions, rows, vorq::OutputChoice{}, 0);
        pages = vorq::printList(&printer, layout, rows);
    }
    state.counters["pages"] = double(pages);
    state.counters["pages_per_s"] =
        benchmark::Counter(double(pages), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_PrintChartToPdf(benchmark::State &state) {
    const vorq::ChartTable &table = loaded().store.tabs.first().rows;
    printToPdf(state, vorq::ChartRows(table), vorq::chartCaptions());
}
BENCHMARK(BM_PrintChartToPdf)->Unit(benchmark::kMillisecond);

void BM_PrintAllRowsToPdf(benchmark::State &state) {
    const vorq::ResultList rows = allRows();
    printToPdf(state, vorq::ResultRows(rows), vorq::resultCaptions());
}
BENCHMARK(BM_PrintAllRowsToPdf)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) { return runQtBenchmarks<QApplication>(argc, argv); }
