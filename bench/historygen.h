#pragma once
// A synthetic full chart history in a data folder: one chart file per
// broadcast date, a notfound.txt and a file.idx. Deterministic for a seed, so
// benchmarks and tests see the same data on every machine.
#include <QDate>
#include <QString>

namespace vorq {
class ChartStore;
}

namespace vorq::bench {

struct HistoryOptions {
    QDate today;  // dates before it are generated; invalid: the clock's date
    quint64 seed = 1;
    int rowsPerWeek = 100;
    int notFoundEvery = 97;  // every n-th date is listed in notfound.txt instead of having a chart
    int missingEvery = 211;  // every n-th date has neither (a week never imported)
};

struct HistoryStats {
    int charts = 0;
    qint64 rows = 0;
    qint64 associations = 0;
    int notFound = 0;
    qint64 bytes = 0;
};

// Writes into folder (created when missing). Throws vorq::FileError.
HistoryStats generateHistory(const QString &folder, const HistoryOptions &options);

// The newest broadcast date before today: the end of a full range.
QDate lastBroadcastBefore(const QDate &today);

// Generates the full history into folder and loads all of it into store.
HistoryStats generateAndLoad(const QString &folder, ChartStore &store, const QDate &today);

}  // namespace vorq::bench
