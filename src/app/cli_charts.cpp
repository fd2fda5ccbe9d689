#include "clicommon.h"

int cmdDates(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
int cmdLoad(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
