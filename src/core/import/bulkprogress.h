#pragma once
// The figures of the bulk download dialog: progress, times, totals, the
// transfer rate and the animation frame, as plain arithmetic so the dialog
// only shows them.
#include <QString>

namespace vorq {

// Milliseconds as a time of day "hh:mm:ss" (hours wrap at 24; a negative
// time shows as 00:00:00).
QString formatClock(qint64 ms);

// The rate text for all bytes over secs whole seconds: "%d.%d K/sec" from
// 1.0 KB/s, "%d bytes/sec" between 102.4 and 1023 bytes/s, else "???".
QString rateText(qint64 all, qint64 secs);

// The estimate of the time left: (expected / all) × secs − secs seconds,
// plus the pauses between pages still planned; "???" when nothing of the
// current date has arrived yet.
QString timeLeftText(qint64 expected, qint64 all, qint64 secs, qint64 currentBytes, qint64 plannedWaitMs = 0);

// trunc(all × 100 / expected), 0 when expected is 0. May exceed 100.
int progressPercent(qint64 all, qint64 expected);

class BulkProgress {
public:
    // What one update shows.
    struct Figures {
        int progress = 0;  // may exceed 100: the bar shows it as full
        QString transfer, time, rate, totTransfer, totTime, timeLeft;
        int showFrame = -1;  // number n of the picture "Image"+n to show, -1 none
        int hideFrame = -1;  // and of the one to hide
    };

    // First show of the dialog.
    void reset();
    void startDate(qint64 expectedTotal) { m_expected = expectedTotal; }
    // The pauses between the pages still to come (not part of the transfer
    // times the estimate is made of).
    void setPlannedWaitMs(qint64 ms) { m_plannedWaitMs = ms; }
    // Once a few pages are done the time left comes from the measured time
    // per page: the byte-based figure rests on a guessed page size and the
    // first bytes' rate, and can be hours off.
    Figures update(qint64 bytes, qint64 elapsedMs);
    void finishDate();

    qint64 expectedTotal() const { return m_expected; }
    qint64 completedBytes() const { return m_completedBytes; }
    qint64 completedTime() const { return m_completedTime; }
    int animationCounter() const { return m_counter; }

private:
    qint64 m_expected = 0;
    qint64 m_plannedWaitMs = 0;
    qint64 m_currentBytes = 0;
    qint64 m_currentTime = 0;
    qint64 m_completedBytes = 0;
    qint64 m_completedTime = 0;
    int m_pagesDone = 0;
    int m_counter = 160;
};

}  // namespace vorq
