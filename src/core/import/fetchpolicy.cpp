#include "core/import/fetchpolicy.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>

#include "core/text/sjistext.h"

namespace vorq {

namespace {

class EventLoopClock : public Clock {
public:
    bool sleepMs(qint64 ms, const std::function<bool()> &cancelled) override {
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired()) {
            if (cancelled && cancelled()) return false;
            // A sleeping loop: no CPU while waiting, events (the cancel
            // button) still handled.
            QEventLoop loop;
            QTimer::singleShot(int(std::min<qint64>(100, deadline.remainingTime())), &loop,
                               &QEventLoop::quit);
            loop.exec();
        }
        return !(cancelled && cancelled());
    }
    double jitter() override { return QRandomGenerator::global()->generateDouble(); }
    qint64 nowMs() override {
        static QElapsedTimer since = [] {
            QElapsedTimer t;
            t.start();
            return t;
        }();
        return since.elapsed();
    }
};

}  // namespace

Clock &eventLoopClock() {
    static EventLoopClock clock;
    return clock;
}

qint64 RetryPolicy::waitBeforeRetry(int retry, const FetchResult &failed, double jitter) const {
    if (failed.retryAfterSeconds >= 0) return std::min(qint64(failed.retryAfterSeconds) * 1000, maxWaitMs);
    const qint64 base = firstBackoffMs << std::clamp(retry - 1, 0, 20);
    const qint64 wait = base + qint64(double(base) / 2 * std::clamp(jitter, 0.0, 1.0));
    return std::min(wait, maxWaitMs);
}

QString hostNotFoundAdvice(bool viaProxy) {
    if (viaProxy)
        return QStringLiteral(
            "「Option」の「Web」ページで、プロキシ サーバーのアドレスとポートが正しいか確かめてください。\r\n"
            "プロキシ サーバーを使わずにつなぐ場合は、「プロキシ サーバーを使用する」をオフにしてください。");
    return QStringLiteral(
        "「Option」の「Web」ページで、「データのホームページのアドレス」が正しいか確かめてください。\r\n"
        "プロキシ サーバーを通してインターネットにつなぐ場合は、同じページの「プロキシ サーバーを使用する」を"
        "オンにして、そのアドレスとポートを入れてください。\r\n"
        "インターネットにつながっていないときも、このエラーになります。");
}

QString retryStatusText(int retry, int retries, qint64 waitMs, const QString &reason) {
    QString oneLine = reason;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    return QStringLiteral("再試行 %1/%2 (%3 秒後): %4")
        .arg(retry)
        .arg(retries)
        .arg((waitMs + 999) / 1000)
        .arg(oneLine);
}

QString failureSummaryText(const QList<FailedDate> &failures, int notTried) {
    QString text = QStringLiteral(
                       "次の %1 件の日付は取得できませんでした。\r\n"
                       "次に一括で取得するときに、もう一度取得します。\r\n")
                       .arg(failures.size());
    if (notTried > 0)
        text += QStringLiteral("%1 件続けて取得できなかったため、残りの %2 件は取得せずに終了しました。\r\n")
                    .arg(kGiveUpAfterFailedDates)
                    .arg(notTried);
    for (const FailedDate &f : failures) {
        QString reason = f.reason;
        reason.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        text += QStringLiteral("\r\n") + sjis::toUnicode(f.label) + QStringLiteral(": ") + reason;
    }
    return text;
}

}  // namespace vorq
