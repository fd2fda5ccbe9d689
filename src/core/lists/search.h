#pragma once
// The search over the loaded chart tables: entries whose title and artist
// match two patterns, in tab order and table order, as result rows that
// locate the entry again (text 6 the tab number, text 7 the row).
#include <QByteArray>
#include <QList>

#include "core/charts/chartstore.h"
#include "core/lists/resultlist.h"

namespace vorq {

// A value matches when the pattern is exactly "*", or equals the value, or
// (exact mode off) occurs in it. An empty pattern matches only empty values.
// Occurrences start on a character boundary, so half of a double-byte
// character never matches a single-byte pattern.
bool fieldMatches(const QByteArray &value, const QByteArray &pattern, bool exact);

struct SearchResult {
    ResultList rows;
    int originRow = -1;  // the row of the originating entry, -1 without one
    QByteArray header;   // three lines joined by CR LF
};

// origin: the entry the search started from (compared by address), or null.
// fold: compare after NFKC and case folding (full-width "ＡＢＣ" finds
// "abc", half-width katakana finds full-width); off, texts compare as bytes.
SearchResult searchCharts(const QList<ChartTab> &tabs, const ChartEntry *origin,
                          const QByteArray &artistPattern, bool exact, const QByteArray &titlePattern,
                          bool fold = false);

// The header text of the result window for these patterns; with fold, one
// more line says how texts were compared.
QByteArray searchHeader(const QByteArray &artistPattern, bool exact, const QByteArray &titlePattern,
                        bool fold = false);

// A text as the forgiving search compares it: decoded, NFKC, case-folded.
QString foldedText(const QByteArray &sjisText);

// The line added to the header when exactly one row was found.
QByteArray singleResultLine();

}  // namespace vorq
