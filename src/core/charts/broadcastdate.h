#pragma once
// Broadcast dates: every 7 days from the first broadcast, 1995-04-08. A
// date typed by the user moves onto them, so nothing steps through the
// calendar from another weekday.
#include <QDate>

namespace vorq {

bool isBroadcastDate(const QDate &d);
// The broadcast date on or after d (the first broadcast for an earlier d).
QDate broadcastOnOrAfter(const QDate &d);
// The broadcast date on or before d; invalid before the first broadcast.
QDate broadcastOnOrBefore(const QDate &d);

}  // namespace vorq
