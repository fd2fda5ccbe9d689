#pragma once
// The data folder, range and full load that every chart-reading vorq
// command shares: --data, --from, --to and --today, with the defaults the
// viewer's settings give.
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

// Reads --data, --from, --to, --today and --sjis; refuses positional
// arguments. Throws UsageError or FileError.
RangeOptions prepareRange(const Args &a);

// The full load of the range; a load error is returned, not thrown, so the
// caller can still print what was loaded before it.
std::optional<QString> loadRange(RangeOptions &r);

// Flushes stdout; prints a load error and gives the exit status.
int finishRange(const std::optional<QString> &error);

}  // namespace vorq::cli
