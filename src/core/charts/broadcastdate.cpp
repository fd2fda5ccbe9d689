#include "core/charts/broadcastdate.h"

#include "core/charts/chartstore.h"

namespace vorq {

bool isBroadcastDate(const QDate &d) {
    const qint64 days = firstBroadcastDate().daysTo(d);
    return d.isValid() && days >= 0 && days % 7 == 0;
}

QDate broadcastOnOrAfter(const QDate &d) {
    if (!d.isValid()) return {};
    const qint64 days = firstBroadcastDate().daysTo(d);
    if (days <= 0) return firstBroadcastDate();
    return firstBroadcastDate().addDays((days + 6) / 7 * 7);
}

QDate broadcastOnOrBefore(const QDate &d) {
    if (!d.isValid()) return {};
    const qint64 days = firstBroadcastDate().daysTo(d);
    if (days < 0) return {};
    return firstBroadcastDate().addDays(days / 7 * 7);
}

}  // namespace vorq
