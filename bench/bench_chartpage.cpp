// Parse time of a 100-row chart page (indexed parser and, for comparison,
// the literal copying parser kept in the tests) and of hostile 8 MB pages.
#include <benchmark/benchmark.h>

#include "core/import/chartpage.h"
#include "core/text/sjistext.h"
#include "test_chartpage_literal.h"

namespace {

const QByteArray kSkip("<!-- / NO1 -->");

QByteArray chartPage(int songs) {
    QByteArray p =
        "<html><head><title>VORQ</title></head><body>\r\n" + kSkip +
        "\r\n<p>this week's ranking</p>\r\n<table border=1 width=100%>\r\n" +
        vorq::sjis::lit("<tr><td>順位</td><td>前回</td><td>曲名</td><td>アーティスト</td></tr>\r\n");
    for (int i = 1; i <= songs; ++i) {
        p += "<tr>\r\n<TD ALIGN=right>" + QByteArray::number(i) +
             ".</TD>\r\n<td><img src=\"up.gif\"></td>\r\n" + "<td><a href=\"song" + QByteArray::number(i) +
             ".html\">" + vorq::sjis::lit("曲名　ＮＯ") + QByteArray::number(i) + "</a></td>\r\n<td>" +
             vorq::sjis::lit("アーティスト ") + QByteArray::number(i) + "<br>" + vorq::sjis::lit("ｂａｎｄ") +
             "</td>\r\n</tr>\r\n";
    }
    return p + "</table>\r\n</body></html>\r\n";
}

constexpr qsizetype k8MB = 8 << 20;

QByteArray filled(const QByteArray &unit, qsizetype size) {
    QByteArray s;
    s.reserve(size + unit.size());
    while (s.size() < size) s += unit;
    return s;
}

// Hostile shapes, each about 8 MB.
QByteArray hostile(int kind) {
    switch (kind) {
        case 0:  // 100,000 rows opened, closed only at the very end
            return kSkip + "0123456789abc" + filled("<tr><td>" + QByteArray(72, 'x'), k8MB) + "</td></tr>";
        case 1:  // endless cells in one row
            return kSkip + "0123456789abc" + "<table><tr>" + filled("<td>a</td>", k8MB) + "</tr></table>";
        case 2:  // endless "<td" without a close
            return kSkip + "0123456789abc" + "<table><tr>" + filled("<td", k8MB) + "</tr></table>";
        case 3:  // one very wide row, then many short ones
            return kSkip + "0123456789abc" + "<table><tr>" + filled("<td>a</td>", k8MB / 4) + "</tr>" +
                   filled("<tr><td>b</td></tr>", k8MB * 3 / 4) + "</table>";
        default:  // markers only in the last bytes, close in front of open
            return kSkip + "0123456789abc" + "</tr></td>" + QByteArray(k8MB, 'x') +
                   "<table><tr><td>1.</td><td>2";
    }
}

void BM_ChartPage100(benchmark::State &state) {
    const QByteArray page = chartPage(100);
    vorq::ResultGrid grid;
    for (auto _ : state) vorq::ParseChartPage(page, kSkip, true, grid);
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["rows"] = grid.rowCount();
}

void BM_ChartPage100Literal(benchmark::State &state) {
    const QByteArray page = chartPage(100);
    for (auto _ : state) benchmark::DoNotOptimize(vorq::literal::parse(page, kSkip, true));
    state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_Hostile(benchmark::State &state) {
    const QByteArray page = hostile(int(state.range(0)));
    vorq::ResultGrid grid;
    for (auto _ : state) vorq::ParseChartPage(page, kSkip, true, grid);
    state.SetBytesProcessed(state.iterations() * page.size());
    state.counters["columns"] = grid.columnCount();
    state.counters["rows"] = grid.rowCount();
}

}  // namespace

BENCHMARK(BM_ChartPage100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ChartPage100Literal)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Hostile)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
