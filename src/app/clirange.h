#pragma once
// The data folder, range and today that the chart commands share: given on
// the command line, else from the user's vorqview settings.
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

// Reads --data, --from, --to, --today and --sjis (no positional arguments).
RangeOptions prepare(const Args &a);

// The full load of the range; a load error is returned, not thrown, so the
// caller can still print what was loaded before it.
std::optional<QString> loadRange(RangeOptions &r);

// Flushes stdout; status 1 with the message on stderr after an error.
int finish(const std::optional<QString> &error);

}  // namespace vorq::cli
