#pragma once
// Template part of resultlist.h.
#include "core/charts/storedtarget.h"

namespace vorq {

template <typename Exists>
QStringList selectedLocalFiles(const ResultList &rows, const QList<int> &selected, Exists exists) {
    QStringList out;
    for (int r : selected) {
        if (r < 0 || r >= rows.size()) continue;
        const QByteArray &file = rows.at(r).text(ResultRow::File);
        if (file.isEmpty() || isWebTarget(file)) continue;
        const StoredTarget t = resolveStoredTarget(file, LocalExists(exists));
        if (!t.exists) break;
        out << t.localPath;
    }
    return out;
}

}  // namespace vorq
