#pragma once
// How a bulk download treats the site: a pause between pages, retries of
// failures that may pass (timeouts, connection errors, cut-off bodies, 5xx,
// 429) with exponential backoff and jitter or the server's Retry-After, and
// the summary of what still failed. The clock is injectable so the schedule
// is tested without waiting.
#include <QByteArray>
#include <QList>
#include <QString>
#include <functional>

namespace vorq {

// One fetch as the import driver sees it.
struct FetchResult {
    enum class Kind { Page, NotFound, Failed, Aborted };
    Kind kind = Kind::Page;
    QByteArray page;
    QString failure;             // the client's message when Failed
    bool retryable = false;      // another attempt may pass
    int retryAfterSeconds = -1;  // the server asked for this pause (-1: it did not)
};

// Waits for the driver. The real one sleeps in an event loop (the window
// stays live); tests record the waits.
class Clock {
public:
    virtual ~Clock() = default;
    // Waits ms milliseconds or until cancelled() turns true (checked at
    // least every 100 ms); false when cancelled.
    virtual bool sleepMs(qint64 ms, const std::function<bool()> &cancelled) = 0;
    // A number in [0, 1) for the jitter.
    virtual double jitter() = 0;
    // Milliseconds on a monotonic clock (the pause counts from a fetch's end).
    virtual qint64 nowMs() = 0;
};
Clock &eventLoopClock();

struct RetryPolicy {
    int retries = 3;               // attempts after the first
    qint64 firstBackoffMs = 2000;  // doubled for each further retry
    qint64 maxWaitMs = 600 * 1000;

    // The wait before retry number `retry` (1 = the first) after `failed`:
    // the server's Retry-After when it gave one, otherwise firstBackoffMs ×
    // 2^(retry-1), plus up to half of that again as jitter (so clients that
    // failed together do not come back together); never above maxWaitMs.
    qint64 waitBeforeRetry(int retry, const FetchResult &failed, double jitter) const;
};

// Where to look when the host of the chart site (or the proxy) cannot be
// found: the addresses of Option's Web page, the proxy setting, the
// connection itself.
QString hostNotFoundAdvice(bool viaProxy);

// The status line while waiting: "再試行 1/3 (5 秒後): reason".
QString retryStatusText(int retry, int retries, qint64 waitMs, const QString &reason);

// A bulk run that failed this many dates in a row (each after its retries)
// stops: the site is down or refusing us, and every further date would only
// spend its backoff.
constexpr int kGiveUpAfterFailedDates = 5;

// A date that still failed after its retries.
struct FailedDate {
    QByteArray label;  // the date label (Shift-JIS)
    QString reason;    // the client's last message
};
// The summary box text: a heading, why the run stopped early when notTried
// dates were left untried, and one "date: reason" line per date (the reason
// on one line).
QString failureSummaryText(const QList<FailedDate> &failures, int notTried = 0);

}  // namespace vorq
