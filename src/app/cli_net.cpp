#include "clicommon.h"

int cmdFetch(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
int cmdImport(const QStringList &) { throw vorq::cli::UsageError(QStringLiteral("not available yet")); }
