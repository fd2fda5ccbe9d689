#pragma once
// What a bulk run of several dates came to, told once when it ends (the box
// "一括で取得" in the window, the closing lines of `vorq import`): how many
// dates were imported, and which were not found, failed or skipped.
#include <QByteArray>
#include <QList>
#include <QString>

#include "core/import/fetchpolicy.h"

namespace vorq {

struct BulkRunSummary {
    enum class Missing {
        Recorded,     // added to notfound.txt
        NotRecorded,  // answered No, or the settings record nothing
        NotYet,       // the newest week: not published yet, never recorded
    };
    struct MissingDate {
        QByteArray label;
        Missing what = Missing::NotRecorded;
    };
    enum class Stop { None, Cancelled, GaveUp };

    int dates = 0;  // in the run
    int imported = 0;
    QList<MissingDate> notFound;
    QList<FailedDate> failed;   // the fetch failed after its retries, or the page was no chart
    QList<QByteArray> skipped;  // declined when shown for confirmation, or left when the run stopped
    Stop stop = Stop::None;
    int notTried = 0;  // of skipped: the dates the stop left
};

// How many dates of each kind the summary lists by name; the rest are
// counted ("ほか N 件"), so a box stays on the screen after a long run.
constexpr int kSummaryDatesListed = 10;

// The summary as the user reads it: one line of counts per kind, and under
// not found, failed and skipped their dates (with the reason of a failure
// and whether a missing date was recorded). Lines end in CR LF.
QString bulkSummaryText(const BulkRunSummary &summary);

}  // namespace vorq
