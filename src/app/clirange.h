#pragma once
// The range options shared by the commands that load charts (--data,
// --from, --to, --today, --sjis) and the full load of that range.
#include <QDate>
#include <QSet>
#include <optional>

#include "chartstore.h"
#include "clicommon.h"

namespace vorq::cli {

struct RangeOptions {
    ChartStore store;
    QSet<QByteArray> notFound;
    QDate from, to;  // invalid when the calendar is empty and none was given
    bool sjis = false;
};

// What is not given comes from the user's vorqview settings. Throws
// UsageError for a stray argument, FileError for a missing data folder.
RangeOptions prepareRange(const Args &a);

// The full load of the range; a load error is returned, not thrown, so the
// caller can still use what was loaded before it.
std::optional<QString> loadRange(RangeOptions &r);

// Flushes stdout; prints the error, if any, and returns the exit status.
int finish(const std::optional<QString> &error);

}  // namespace vorq::cli
