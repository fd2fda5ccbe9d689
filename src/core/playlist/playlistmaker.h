#pragma once
// The playlist maker: scores every song of the loaded charts by one of six
// priority settings, disturbs the order by the sort rate and sorts by score.
// The result is the eight-text rows the result list window shows in its
// playlist layout.
#include <QByteArray>
#include <QList>
#include <functional>
#include <optional>

#include "core/charts/chartstore.h"
#include "core/lists/resultlist.h"

namespace vorq {

// The playlist maker's random numbers: a 32-bit linear congruential
// generator, state' = state * 134775813 + 1 (mod 2^32). It starts at 0 and
// is never seeded from the clock, so the same data and settings give the
// same list in every run of the program; one instance lives for the run.
class PlaylistRandom {
public:
    explicit PlaylistRandom(quint32 state = 0) : m_state(state) {}
    // Next number in [0, 1): state' / 2^32.
    double next();
    // Next index below count (count > 0): (state' * count) div 2^32.
    int index(int count);
    quint32 state() const { return m_state; }

private:
    quint32 m_state;
};

enum PlaylistOrder {
    NewestOnly = 0,     // "新曲のみ": the newest chart in its own order
    NewWeighted = 1,    // "新曲重視": mean of e^(N-r) * e^(P-i)
    InBetween = 2,      // "←→中間": sum of e^(N-r)
    PeriodRanking = 3,  // "期間ランキング平均": sum of N-r
    Appearances = 4,    // "登場回数": number of appearances
    AllEqual = 5,       // "すべて均等": random order
};

struct PlaylistSettings {
    int order = NewWeighted;  // 0..5
    bool descending = true;   // "ランキング上位→下位": higher scores first
    int sortRate = 100;       // percent of songs that keep their score
    bool takeAssociated = true;
    bool takeUnassociated = false;
};

// The playlist's result rows hold the score text in text 6 and the number
// of taken appearances in text 7.
constexpr int ScoreText = ResultRow::Extra1;
constexpr int CountText = ResultRow::Extra2;

struct PlaylistResult {
    ResultList rows;
    // Setting 1 (or 2, with charts of over 709 rows) left the range of
    // double: every score is then the natural logarithm of its value.
    bool logScores = false;
};

// Steps of one generation. The tabs are taken newest date first whatever
// their order (the main window appends imported weeks after the loaded ones).
// Scores the songs and returns the rows in the order they were created.
// progress(percent) is called after each tab for settings 1 to 5.
PlaylistResult scorePlaylist(const QList<ChartTab> &tabs, const PlaylistSettings &settings,
                             PlaylistRandom &random, const std::function<void(int)> &progress = {});
// Exchanges the score texts of K = (100 - rate) * M / 200 random pairs.
void disturbPlaylist(ResultList &rows, int sortRate, PlaylistRandom &random);
// Sorts by the parsed score; equal scores keep no defined order.
void sortPlaylist(ResultList &rows, bool descending);
// All three.
PlaylistResult generatePlaylist(const QList<ChartTab> &tabs, const PlaylistSettings &settings,
                                PlaylistRandom &random, const std::function<void(int)> &progress = {});

// Score texts: general format with 15 significant digits ("%.15g"), and the
// number of a text when all of it is a finite decimal number.
QByteArray formatScore(double value);
std::optional<double> parseNumber(const QByteArray &text);

}  // namespace vorq
