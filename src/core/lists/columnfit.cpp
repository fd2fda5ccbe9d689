#include "core/lists/columnfit.h"

#include <algorithm>
#include <numeric>

namespace vorq {

namespace {

int grown(int designed, int needed) { return std::clamp(needed, designed, 2 * designed); }

}  // namespace

QList<int> fitColumnWidths(const QList<int> &designed, const QList<int> &needed, int room, int fill) {
    QList<int> widths = designed;
    for (qsizetype c = 0; c < widths.size(); ++c)
        if (c != fill) widths[c] = grown(designed.at(c), needed.value(c));
    int others = std::accumulate(widths.cbegin(), widths.cend(), 0) - widths.value(fill);
    if (others + designed.value(fill) > room) {
        for (qsizetype c = 0; c < widths.size(); ++c)
            if (c != fill) widths[c] = designed.at(c);
        others = std::accumulate(widths.cbegin(), widths.cend(), 0) - widths.value(fill);
    }
    if (fill >= 0 && fill < widths.size()) widths[fill] = std::max(designed.at(fill), room - others);
    return widths;
}

int wantedTableWidth(const QList<int> &designed, const QList<int> &needed, int fill) {
    int total = 0;
    for (qsizetype c = 0; c < designed.size(); ++c)
        total +=
            c == fill ? std::max(designed.at(c), needed.value(c)) : grown(designed.at(c), needed.value(c));
    return total;
}

}  // namespace vorq
