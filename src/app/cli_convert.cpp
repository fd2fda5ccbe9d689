#include "clicommon.h"

int cmdDetect(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
int cmdConvert(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
int cmdParse(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
