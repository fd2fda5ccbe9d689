#pragma once
// Template part of resultlist.h.
#include <QDir>

#include "core/text/sjistext.h"

namespace vorq {

template <typename Exists>
QStringList selectedLocalFiles(const ResultList &rows, const QList<int> &selected, Exists exists) {
    QStringList out;
    for (int r : selected) {
        if (r < 0 || r >= rows.size()) continue;
        const QByteArray &file = rows.at(r).text(ResultRow::File);
        if (file.isEmpty() || isWebTarget(file)) continue;
        const QString path = QDir::current().absoluteFilePath(sjis::toUnicode(file));
        if (!exists(path)) break;
        out << path;
    }
    return out;
}

}  // namespace vorq
