#include "core/playlist/playlistmaker.h"

#include <QHash>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace vorq {

// ---- random numbers ----------------------------------------------------------

double PlaylistRandom::next() {
    m_state = m_state * 134775813u + 1u;
    return static_cast<double>(m_state) / 4294967296.0;
}

int PlaylistRandom::index(int count) {
    m_state = m_state * 134775813u + 1u;
    return static_cast<int>((static_cast<quint64>(m_state) * static_cast<quint64>(count)) >> 32);
}

// ---- score texts ---------------------------------------------------------------
//
// A score lives as text: every addition parses it, adds and writes it back
// with 15 significant digits. Formatting with a precision through the
// standard library costs about 300 ns, which alone would take half the time
// budget on a full history, so the 15 digits are computed here exactly in
// 128-bit integers (rounding half to even, as the standard formatting of the
// exact binary value does); values outside that range take the library path.

namespace {

using u128 = unsigned __int128;

constexpr int kMaxPow5 = 55;  // 5^55 < 2^128

struct Pow5Table {
    u128 p[kMaxPow5 + 1];
    constexpr Pow5Table() : p() {
        p[0] = 1;
        for (int i = 1; i <= kMaxPow5; ++i) p[i] = p[i - 1] * 5;
    }
};
constexpr Pow5Table kPow5;

constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

constexpr quint64 kLow15 = 100000000000000ull;    // 10^14: smallest 15-digit number
constexpr quint64 kHigh15 = 1000000000000000ull;  // 10^15

int bitWidth(u128 v) {
    const quint64 hi = static_cast<quint64>(v >> 64);
    if (hi) return 128 - __builtin_clzll(hi);
    const quint64 lo = static_cast<quint64>(v);
    return lo ? 64 - __builtin_clzll(lo) : 0;
}

// round(num / den), halves to even.
quint64 divideRounded(u128 num, u128 den) {
    u128 q = num / den;
    const u128 rem = num - q * den;
    const u128 rest = den - rem;
    if (rem > rest || (rem == rest && (q & 1))) ++q;
    return static_cast<quint64>(q);
}

// round(m * 2^e / 10^k) for m < 2^53, halves to even; nullopt when the
// exact quotient does not fit the 128-bit arithmetic.
std::optional<quint64> scaledDigits(quint64 m, int e, int k) {
    if (k <= 0) {
        if (-k > kMaxPow5) return std::nullopt;
        if (64 - __builtin_clzll(m) + bitWidth(kPow5.p[-k]) > 127) return std::nullopt;
        const u128 num = static_cast<u128>(m) * kPow5.p[-k];  // m * 5^-k
        const int s = e - k;                                  // remaining power of two
        if (s >= 0) {
            if (bitWidth(num) + s > 64) return std::nullopt;  // more than 15 digits anyway
            return static_cast<quint64>(num << s);
        }
        if (-s >= 127) return std::nullopt;
        // Division by a power of two: a shift, rounded half to even.
        const int sh = -s;
        u128 q = num >> sh;
        const u128 rem = num & ((u128(1) << sh) - 1), half = u128(1) << (sh - 1);
        if (rem > half || (rem == half && (q & 1))) ++q;
        return static_cast<quint64>(q);
    }
    if (k > kMaxPow5) return std::nullopt;
    const u128 five = kPow5.p[k];
    const int s = e - k;
    if (s >= 0) {
        if (53 + s > 127) return std::nullopt;
        return divideRounded(static_cast<u128>(m) << s, five);
    }
    if (bitWidth(five) + (-s) > 127) return std::nullopt;
    return divideRounded(m, five << -s);
}

// |x| = digits * 10^exp10 rounded to 15 significant digits (digits in
// [10^14, 10^15)); nullopt outside the exact range.
struct Digits {
    quint64 digits;
    int exp10;
};
std::optional<Digits> round15(double ax) {
    int e2 = 0;
    const double f = std::frexp(ax, &e2);  // ax = f * 2^e2, f in [0.5, 1)
    const quint64 m = static_cast<quint64>(std::ldexp(f, 53));
    const int e = e2 - 53;
    int k = static_cast<int>(std::floor(std::log10(ax))) - 14;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const std::optional<quint64> d = scaledDigits(m, e, k);
        if (!d) return std::nullopt;
        if (*d >= kHigh15) {
            // Either the estimate of k was low or the rounding carried into
            // a sixteenth digit: the value has one more digit before the point.
            if (*d == kHigh15) return Digits{kLow15, k + 1};
            ++k;
        } else if (*d < kLow15) {
            --k;
        } else {
            return Digits{*d, k};
        }
    }
    return std::nullopt;
}

// The double nearest to digits * 10^exp10.
double digitsValue(const Digits &d) {
    if (d.exp10 >= 0 && d.exp10 <= 22) return static_cast<double>(d.digits) * kPow10[d.exp10];
    if (d.exp10 < 0 && d.exp10 >= -22) return static_cast<double>(d.digits) / kPow10[-d.exp10];
    const QByteArray text = QByteArray::number(d.digits) + 'e' + QByteArray::number(d.exp10);
    return parseNumber(text).value_or(std::numeric_limits<double>::infinity());
}

QByteArray libraryFormat(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
    return QByteArray(buf, r.ptr - buf);
}

// "%.15g" text of a value given as 15 digits and an exponent.
QByteArray digitsText(bool negative, const Digits &d) {
    char digits[16];
    std::to_chars(digits, digits + 15, d.digits);
    int len = 15;
    while (len > 1 && digits[len - 1] == '0') --len;
    const int x = d.exp10 + 14;  // exponent of the first digit
    QByteArray out;
    out.reserve(24);
    if (negative) out += '-';
    if (x < -4 || x >= 15) {
        out += digits[0];
        if (len > 1) {
            out += '.';
            out.append(digits + 1, len - 1);
        }
        out += 'e';
        out += x < 0 ? '-' : '+';
        const int ax = x < 0 ? -x : x;
        if (ax < 10) out += '0';
        out += QByteArray::number(ax);
    } else if (x < 0) {
        out += "0.";
        out.append(-x - 1, '0');
        out.append(digits, len);
    } else {
        out.append(digits, std::min(len, x + 1));
        if (len > x + 1) {
            out += '.';
            out.append(digits + x + 1, len - x - 1);
        } else {
            out.append(x + 1 - len, '0');
        }
    }
    return out;
}

bool isSmallInteger(double v) { return std::fabs(v) < 1e15 && v == std::trunc(v); }

// parseNumber(formatScore(v)) without the text.
double roundTrip(double v) {
    if (isSmallInteger(v) || !std::isfinite(v)) return v;
    if (const std::optional<Digits> d = round15(std::fabs(v))) {
        const double r = digitsValue(*d);
        return v < 0 ? -r : r;
    }
    return parseNumber(libraryFormat(v)).value_or(std::numeric_limits<double>::infinity());
}

}  // namespace

QByteArray formatScore(double value) {
    if (isSmallInteger(value)) return QByteArray::number(static_cast<qint64>(value));
    if (std::isfinite(value)) {
        if (const std::optional<Digits> d = round15(std::fabs(value))) return digitsText(value < 0, *d);
    }
    return libraryFormat(value);
}

std::optional<double> parseNumber(const QByteArray &text) {
    double v = 0;
    const char *end = text.constData() + text.size();
    const auto r = std::from_chars(text.constData(), end, v);
    if (r.ec != std::errc() || r.ptr != end || !std::isfinite(v)) return std::nullopt;
    return v;
}

// ---- scoring -------------------------------------------------------------------

namespace {

// A song as views into the chart entries, which outlive the generation:
// no reference counting per appearance.
struct SongKey {
    QByteArrayView title, artist;
    friend bool operator==(const SongKey &a, const SongKey &b) {
        return a.title == b.title && a.artist == b.artist;
    }
};

// A plain multiplicative hash over 8-byte words: the library's byte hash
// took a quarter of a full-history generation. Titles and artists are
// short and come from our own files, not from an adversary.
quint64 mixBytes(quint64 h, QByteArrayView v) {
    constexpr quint64 kMul = 0x9E3779B97F4A7C15ull;
    const char *p = v.data();
    qsizetype n = v.size();
    for (; n >= 8; p += 8, n -= 8) {
        quint64 w;
        std::memcpy(&w, p, 8);
        h = (h ^ w) * kMul;
        h ^= h >> 29;
    }
    quint64 w = 0;
    if (n > 0) std::memcpy(&w, p, static_cast<size_t>(n));
    h = (h ^ w ^ (static_cast<quint64>(v.size()) << 56)) * kMul;
    return h ^ (h >> 32);
}
size_t qHash(const SongKey &k, size_t seed = 0) {
    return static_cast<size_t>(mixBytes(mixBytes(seed, k.title), k.artist));
}

bool passes(const ChartEntry &e, const PlaylistSettings &s) {
    return e.file.isEmpty() ? s.takeUnassociated : s.takeAssociated;
}

// ln(e^a + e^b) without leaving the range.
double logAdd(double a, double b) {
    const double hi = std::max(a, b), lo = std::min(a, b);
    return hi + std::log1p(std::exp(lo - hi));
}

// Settings 1 to 5: one row per song, in the order of its first taken
// appearance (that order decides the result and the random draws). The
// score is held as the value of its text; logDomain keeps ln(score)
// instead. Returns false when a plain score leaves the range of double.
bool scoreMerged(const QList<ChartTab> &tabs, const PlaylistSettings &s, bool logDomain, ResultList &rows,
                 QList<double> &scores, QList<qint64> &counts, const std::function<void(int)> &progress) {
    rows.clear();
    scores.clear();
    counts.clear();
    qsizetype entries = 0;
    for (const ChartTab &t : tabs) entries += t.rows.size();
    QHash<SongKey, qsizetype> bySong;
    bySong.reserve(std::min<qsizetype>(entries, 1 << 16));  // songs repeat: far fewer than entries
    const qsizetype p = tabs.size();
    for (qsizetype i = 0; i < p; ++i) {
        const ChartTab &tab = tabs.at(i);
        const qsizetype n = tab.rows.size();
        const double tabFactor =
            s.order == NewWeighted && !logDomain ? std::exp(static_cast<double>(p - i)) : 1;
        for (qsizetype r = 0; r < n; ++r) {
            const ChartEntry &e = tab.rows.at(r);
            if (!passes(e, s)) continue;
            double w = 1;
            switch (s.order) {
                case NewWeighted:
                    w = logDomain ? static_cast<double>(n - r) + static_cast<double>(p - i)
                                  : std::exp(static_cast<double>(n - r)) * tabFactor;
                    break;
                case InBetween:
                    w = logDomain ? static_cast<double>(n - r) : std::exp(static_cast<double>(n - r));
                    break;
                case PeriodRanking: w = static_cast<double>(n - r); break;
                default: break;
            }
            const SongKey key{e.title, e.artist};
            const auto it = bySong.constFind(key);
            double score = w;
            if (it == bySong.cend()) {
                bySong.insert(key, rows.size());
                rows.append(ResultRow::fromEntry(tab.caption, e));
                scores.append(score = roundTrip(w));
                counts.append(1);
            } else {
                const qsizetype at = *it;
                score = scores[at] = roundTrip(logDomain ? logAdd(scores.at(at), w) : scores.at(at) + w);
                ++counts[at];
            }
            if (!std::isfinite(score)) return false;
        }
        if (progress) progress(static_cast<int>(i * 100 / p));
    }
    return true;
}

}  // namespace

static QList<ChartTab> newestFirst(const QList<ChartTab> &tabs) {
    QList<ChartTab> sorted = tabs;  // shares every table's rows
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const ChartTab &a, const ChartTab &b) { return a.tag > b.tag; });
    return sorted;
}

PlaylistResult scorePlaylist(const QList<ChartTab> &loadedTabs, const PlaylistSettings &settings,
                             PlaylistRandom &random, const std::function<void(int)> &progress) {
    // Imported weeks are appended after the loaded ones, yet "new" means the
    // newest broadcast, whatever order the tabs arrived in.
    const bool ordered = std::is_sorted(loadedTabs.begin(), loadedTabs.end(),
                                        [](const ChartTab &a, const ChartTab &b) { return a.tag > b.tag; });
    const QList<ChartTab> tabs = ordered ? loadedTabs : newestFirst(loadedTabs);
    PlaylistSettings s = settings;
    s.order = std::clamp(s.order, int(NewestOnly), int(AllEqual));
    PlaylistResult result;
    if (s.order == NewestOnly) {
        // The newest chart in its own order; a song listed twice stays twice.
        if (tabs.isEmpty()) return result;
        const ChartTab &tab = tabs.first();
        for (qsizetype r = 0; r < tab.rows.size(); ++r) {
            const ChartEntry &e = tab.rows.at(r);
            if (!passes(e, s)) continue;
            ResultRow row = ResultRow::fromEntry(tab.caption, e);
            row.texts[ScoreText] = QByteArray::number(-r);
            row.texts[CountText] = "1";
            result.rows.append(std::move(row));
        }
        return result;
    }
    QList<double> scores;
    QList<qint64> counts;
    if (!scoreMerged(tabs, s, false, result.rows, scores, counts, progress)) {
        // e^(P-i) of a long history leaves the range of double: score every
        // song in the log domain instead, which keeps the order.
        result.logScores = true;
        scoreMerged(tabs, s, true, result.rows, scores, counts, progress);
    }
    for (qsizetype j = 0; j < result.rows.size(); ++j) {
        double v = scores.at(j);
        if (s.order == NewWeighted)
            v = result.logScores ? v - std::log(static_cast<double>(counts.at(j)))
                                 : v / static_cast<double>(counts.at(j));
        else if (s.order == AllEqual)
            v = random.next();
        result.rows[j].texts[ScoreText] = formatScore(v);
        result.rows[j].texts[CountText] = QByteArray::number(counts.at(j));
    }
    return result;
}

void disturbPlaylist(ResultList &rows, int sortRate, PlaylistRandom &random) {
    const qint64 m = rows.size();
    if (m <= 1) return;
    const qint64 swaps = (100 - std::clamp(sortRate, 0, 100)) * m / 200;
    for (qint64 k = 0; k < swaps; ++k) {
        const int a = random.index(static_cast<int>(m));
        int b = random.index(static_cast<int>(m));
        while (b == a) b = random.index(static_cast<int>(m));
        std::swap(rows[a].texts[ScoreText], rows[b].texts[ScoreText]);
    }
}

namespace {

struct Keyed {
    double key;
    qsizetype row;
};

// The in-place quicksort of lists: middle element as pivot, partitioning
// from both ends. Recursing into the smaller part only keeps the stack
// bounded; the parts are disjoint, so the result is the same.
template <typename Less>
void quickSort(QList<Keyed> &a, qsizetype lo, qsizetype hi, const Less &less) {
    while (lo < hi) {
        qsizetype i = lo, j = hi;
        const double pivot = a[(lo + hi) / 2].key;
        do {
            while (less(a[i].key, pivot)) ++i;
            while (less(pivot, a[j].key)) --j;
            if (i <= j) {
                std::swap(a[i], a[j]);
                ++i;
                --j;
            }
        } while (i <= j);
        if (j - lo < hi - i) {
            if (lo < j) quickSort(a, lo, j, less);
            lo = i;
        } else {
            if (i < hi) quickSort(a, i, hi, less);
            hi = j;
        }
    }
}

}  // namespace

void sortPlaylist(ResultList &rows, bool descending) {
    if (rows.size() < 2) return;
    QList<Keyed> keyed;
    keyed.reserve(rows.size());
    for (qsizetype j = 0; j < rows.size(); ++j)
        keyed.append({parseNumber(rows.at(j).texts[ScoreText]).value_or(0), j});
    if (descending)
        quickSort(keyed, 0, keyed.size() - 1, [](double x, double y) { return x > y; });
    else
        quickSort(keyed, 0, keyed.size() - 1, [](double x, double y) { return x < y; });
    ResultList sorted;
    sorted.reserve(rows.size());
    for (const Keyed &k : keyed) sorted.append(std::move(rows[k.row]));
    rows = std::move(sorted);
}

PlaylistResult generatePlaylist(const QList<ChartTab> &tabs, const PlaylistSettings &settings,
                                PlaylistRandom &random, const std::function<void(int)> &progress) {
    PlaylistResult result = scorePlaylist(tabs, settings, random, progress);
    disturbPlaylist(result.rows, settings.sortRate, random);
    sortPlaylist(result.rows, settings.descending);
    return result;
}

}  // namespace vorq
