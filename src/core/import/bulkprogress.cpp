#include "core/import/bulkprogress.h"

#include <algorithm>
#include <cmath>

namespace vorq {

namespace {
QString two(qint64 v) { return QString::number(v).rightJustified(2, QLatin1Char('0')); }
constexpr int kMeasuredPages = 3;  // pages done before their times are trusted
}  // namespace

QString formatClock(qint64 ms) {
    if (ms < 0) ms = 0;
    const qint64 secs = ms / 1000;
    return two((secs / 3600) % 24) + QLatin1Char(':') + two((secs / 60) % 60) + QLatin1Char(':') +
           two(secs % 60);
}

QString rateText(qint64 all, qint64 secs) {
    const qint64 r = secs == 0 ? 0 : ((all * 10) / 1024) / secs;
    if (r >= 10) return QStringLiteral("%1.%2 K/sec").arg(r / 10).arg(r % 10);
    if (r >= 1) return QStringLiteral("%1 bytes/sec").arg(all / secs);
    return QStringLiteral("???");
}

QString timeLeftText(qint64 expected, qint64 all, qint64 secs, qint64 currentBytes, qint64 plannedWaitMs) {
    if (currentBytes == 0 || all == 0) return QStringLiteral("???");
    const double left = (double(expected) / double(all)) * double(secs) - double(secs);
    // Whole seconds; the small allowance keeps 23.0 from showing as 22
    // through rounding, and an estimate already passed shows 00:00:00.
    const qint64 whole = left <= 0 ? 0 : qint64(std::floor(left + 1e-9));
    return formatClock(whole * 1000 + std::max<qint64>(0, plannedWaitMs));
}

int progressPercent(qint64 all, qint64 expected) {
    if (expected == 0) return 0;
    return int(all * 100 / expected);
}

void BulkProgress::reset() {
    m_completedBytes = 0;
    m_completedTime = 0;
    m_currentBytes = 0;
    m_currentTime = 0;
    m_pagesDone = 0;
    m_counter = 160;
}

BulkProgress::Figures BulkProgress::update(qint64 bytes, qint64 elapsedMs) {
    m_currentBytes = bytes;
    m_currentTime = elapsedMs;
    const qint64 all = m_completedBytes + bytes;
    const qint64 totalMs = m_completedTime + elapsedMs;
    const qint64 secs = totalMs / 1000;
    Figures f;
    f.progress = progressPercent(all, m_expected);
    f.transfer = QString::number(bytes);
    f.time = formatClock(elapsedMs);
    f.timeLeft = timeLeftText(m_expected, all, secs, bytes, m_plannedWaitMs);
    if (m_pagesDone >= kMeasuredPages && m_completedBytes > 0 && m_completedTime > 0) {
        // The run's page count follows from the expectation, which is the
        // bytes per page so far times the pages.
        const double pages = double(m_expected) * m_pagesDone / double(m_completedBytes);
        const double perPage = double(m_completedTime) / m_pagesDone;
        const double leftMs = std::max(0.0, (pages - m_pagesDone) * perPage - double(elapsedMs));
        f.timeLeft = formatClock(qint64(leftMs / 1000) * 1000 + std::max<qint64>(0, m_plannedWaitMs));
    }
    f.totTransfer = QString::number(all);
    f.totTime = formatClock(totalMs);
    f.rate = rateText(all, secs);
    // The frame steps from Image30 down to Image15 every ten updates, none
    // shown during the first ten.
    if (--m_counter < 0) m_counter = 150;
    if (m_counter % 10 == 0) {
        const int a = m_counter / 10;
        f.showFrame = a + 15;
        f.hideFrame = a == 15 ? 15 : a + 16;
    }
    return f;
}

void BulkProgress::finishDate() {
    m_completedBytes += m_currentBytes;
    m_completedTime += m_currentTime;
    ++m_pagesDone;
    m_currentBytes = 0;
    m_currentTime = 0;
}

}  // namespace vorq
