#pragma once
// The data folder, range and today of the commands that load charts as
// vorqview's full load does (vorq dates, load, associate).
#include <QByteArray>
#include <QDate>
#include <QSet>
#include <QString>
#include <optional>

#include "cli/clicommon.h"
#include "cli/viewersettings.h"
#include "core/charts/chartstore.h"

namespace vorq::cli {

struct RangeOptions {
    ChartStore store;
    QSet<QByteArray> notFound;
    QDate from, to;  // invalid when the calendar is empty and none was given
    bool sjis = false;
    ViewerSettings settings;  // what was not given comes from here
};

// --data, --from, --to, --today and --sjis, with vorqview's settings as the
// defaults. Throws UsageError, FileError (no data folder).
RangeOptions prepareRange(const Args &a);

// The full load of the range; a load error is returned, not thrown, so the
// caller can still use what was loaded before it.
std::optional<QString> loadRange(RangeOptions &r);

// Flushes stdout; prints a load error and gives the exit status.
int finishRange(const std::optional<QString> &error);

}  // namespace vorq::cli
