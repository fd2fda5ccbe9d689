#include "core/datafolder/folderwatch.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>

#include "core/charts/chartstore.h"

namespace vorq {

namespace {

// A writer's QSaveFile lands with a rename; waiting this long after the
// first notice gathers the other files of the same run into one reload.
constexpr qint64 kSettleMs = 200;

}  // namespace

FolderSnapshot FolderSnapshot::take(const QString &folder) {
    FolderSnapshot s;
    const QDir dir(folder);
    const QFileInfoList infos = dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::NoSort);
    for (const QFileInfo &fi : infos) {
        const QString name = fi.fileName().toLower();
        if (name != QLatin1String("file.idx") && name != QLatin1String("notfound.txt") &&
            !isChartFileName(name))
            continue;
        s.m_files.insert(name, {fi.size(), fi.lastModified().toMSecsSinceEpoch()});
    }
    return s;
}

FolderChanges diffSnapshots(const FolderSnapshot &before, const FolderSnapshot &after) {
    FolderChanges c;
    const auto &b = before.files(), &a = after.files();
    auto changedName = [&](const QString &name) {
        const auto ib = b.constFind(name), ia = a.constFind(name);
        if (ib == b.cend() || ia == a.cend()) return (ib == b.cend()) != (ia == a.cend());
        return !(*ib == *ia);
    };
    c.index = changedName(QStringLiteral("file.idx"));
    c.notFound = changedName(QStringLiteral("notfound.txt"));
    for (auto it = a.cbegin(); it != a.cend(); ++it) {
        if (!isChartFileName(it.key())) continue;
        const int tag = it.key().left(8).toInt();
        const auto old = b.constFind(it.key());
        if (old == b.cend())
            c.newCharts.append(tag);
        else if (!(*old == *it))
            c.replacedCharts.append(tag);
    }
    std::sort(c.newCharts.begin(), c.newCharts.end());
    std::sort(c.replacedCharts.begin(), c.replacedCharts.end());
    return c;
}

qint64 ReloadPacer::delayMs(qint64 nowMs, bool busy) const {
    if (!m_pending || busy) return -1;
    qint64 at = m_firstNoticeMs + kSettleMs;
    if (m_lastRunMs >= 0) at = std::max(at, m_lastRunMs + kMinIntervalMs);
    return std::max<qint64>(0, at - nowMs);
}

}  // namespace vorq
