// Throughput of detection and of every conversion direction on a 4 MB
// Japanese text (HTML-like ASCII mixed with kana, kanji and half-width
// katakana, CR LF line ends).
#include <benchmark/benchmark.h>

#include "core/text/jconvert.h"

namespace {

QByteArray makeSjis(qsizetype bytes) {
    QByteArray s("\x88\xf3");  // decides Shift-JIS, and EUC-JP once converted
    quint32 seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    while (s.size() < bytes) {
        s += "<tr><td align=right>42.</td><td>";
        for (int i = 0; i < 12; ++i) {
            const int row = (i % 3 == 0) ? 0x24 : 0x30 + int(next() % 16);  // hiragana or kanji
            const auto p = vorq::JisToSjis(uchar(row), uchar(0x21 + next() % 80));
            s += char(p.first);
            s += char(p.second);
        }
        s += "\xb6\xde\xb1\xb0\xc4";  // ｶﾞｱｰﾄ
        s += "</td></tr>\r\n";
    }
    return s;
}

const QByteArray &sjis() {
    static const QByteArray s = makeSjis(4 << 20);
    return s;
}
const QByteArray &euc() {
    static const QByteArray s = vorq::ConvertJapanese(sjis(), 4);
    return s;
}
const QByteArray &jis() {
    static const QByteArray s = vorq::ConvertJapanese(sjis(), 2);
    return s;
}

void convert(benchmark::State &state, const QByteArray &in, int target) {
    for (auto _ : state) benchmark::DoNotOptimize(vorq::ConvertJapanese(in, target));
    state.SetBytesProcessed(state.iterations() * in.size());
}

void BM_SjisToEuc(benchmark::State &s) { convert(s, sjis(), 4); }
void BM_SjisToJis(benchmark::State &s) { convert(s, sjis(), 2); }
void BM_EucToSjis(benchmark::State &s) { convert(s, euc(), 5); }
void BM_EucToJis(benchmark::State &s) { convert(s, euc(), 2); }
void BM_JisToSjis(benchmark::State &s) { convert(s, jis(), 5); }
void BM_JisToEuc(benchmark::State &s) { convert(s, jis(), 4); }

// Detection's worst case: plain ASCII is scanned to the end.
void BM_DetectAscii(benchmark::State &state) {
    const QByteArray in(4 << 20, 'a');
    for (auto _ : state) benchmark::DoNotOptimize(vorq::DetectCodeKind(in));
    state.SetBytesProcessed(state.iterations() * in.size());
}

}  // namespace

BENCHMARK(BM_SjisToEuc);
BENCHMARK(BM_SjisToJis);
BENCHMARK(BM_EucToSjis);
BENCHMARK(BM_EucToJis);
BENCHMARK(BM_JisToSjis);
BENCHMARK(BM_JisToEuc);
BENCHMARK(BM_DetectAscii);
BENCHMARK_MAIN();
