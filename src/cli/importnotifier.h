#pragma once
// vorq import --notify: one desktop notification about the weeks a run
// imported, through org.freedesktop.Notifications on the session bus.
// Clicking it (the "default" action) opens vorqview on the newest week. A
// missing bus or notification service is a line on stderr and never changes
// the run's exit status.
#include <QByteArray>
#include <QDate>
#include <QList>

namespace vorq::cli {

// Default of --notify-wait: how long the run stays to hear a click.
inline constexpr int kDefaultNotifyWaitSeconds = 600;
inline constexpr int kMaxNotifyWaitSeconds = 86400;

// Loads the charts from `from` up to the newest imported week (for its #1,
// its new entries and what the collector owns) and shows the notification;
// nothing when importedTags is empty. waitSeconds: how long to wait for a
// click when the service offers actions (0: do not wait).
void notifyImportedWeeks(const QByteArray &dataFolder, const QDate &from, const QList<int> &importedTags,
                         int waitSeconds);

}  // namespace vorq::cli
