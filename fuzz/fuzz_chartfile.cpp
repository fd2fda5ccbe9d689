// Chart file reader: any bytes either become a table with one row per line
// or are refused with ConvertError; nothing else may happen.
#include <cstdint>
#include <cstdlib>

#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"
#include "core/text/sjistext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    vorq::ChartStore store;
    store.associations.setLines({"19950408001\t/a\t", "19950408002\tb", "x"});
    const QList<QByteArray> lines = vorq::lineViews(bytes);
    try {
        store.addChartTable(QStringLiteral("19950408.txt"), 0, lines);
    } catch (const vorq::ConvertError &) {
        if (!store.tabs.isEmpty()) std::abort();  // a refused file adds no table
        return 0;
    }
    if (store.tabs.size() != 1 || store.tabs[0].rows.size() != lines.size()) std::abort();
    for (const vorq::ChartEntry &e : store.tabs[0].rows) {
        // Every stored rank forms a key; normalisation is idempotent.
        (void)vorq::associationKey(19950408, e.rank);
        if (vorq::sjis::normalizeTitle(e.title) != e.title) std::abort();
    }
    (void)vorq::syncRows(store);
    return 0;
}
