#include "cli/viewersettings.h"

#include <algorithm>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/settings/doubleini.h"
#include "core/settings/optionkeys.h"
#include "core/settings/settingstable.h"

namespace vorq::cli {

ViewerSettings readViewerSettings() {
    using namespace settings;
    // The locator's bookkeeping stays in memory: vorq never writes settings.
    const QByteArray viewer = "vorqview";
    TDoubleIniFile ini(viewer, TDoubleIniFile::Access::ReadOnly);
    ViewerSettings s;
    const int mode = s.writeMode = ini.LoadWriteMode();
    // Each key as vorqview holds it in this write mode: read, or for a key
    // the mode does not read, the value its control shows then.
    auto b = [&](Key k) { return readBool(ini, k, mode, viewer); };
    auto t = [&](Key k) { return readText(ini, k, mode, viewer); };
    auto i = [&](Key k) { return readInt(ini, k, mode, viewer); };
    s.editData = b(Key::EditData);
    s.dataFolder = t(Key::DataFolder);
    if (b(Key::DataFolderIsAppPath)) s.dataFolder = env::programFolder();
    if (!s.dataFolder.isEmpty() && !s.dataFolder.endsWith('/')) s.dataFolder += '/';
    s.dateEndIsRecent = b(Key::DateEndIsRecent);
    s.urlData = t(Key::UrlData);
    s.useProxy = b(Key::UseProxy);
    s.proxyAddr = t(Key::ProxyAddr);
    s.proxyPort = t(Key::ProxyPort);
    s.ignoreError = b(Key::IgnoreError);
    s.autoAddNotFound = b(Key::AutoAddNotFound);
    s.pageDelayMs = options::pageDelayMs(ini, mode);
    s.trustedCaFile = options::trustedCaFile(ini, mode);
    s.skipString = t(Key::SkipString);
    s.fileNamePattern = t(Key::FileNamePattern);
    s.musicFolder = t(Key::MusicFolder);
    s.autoAddFile = b(Key::AutoAddFile);
    s.dateStart = t(Key::DateStart);
    s.dateEnd = t(Key::DateEnd);
    // Clamped to the playlist maker's control ranges.
    s.playlistOrder = std::clamp(i(Key::PlaylistOrder), 0, 5);
    s.playlistSorted = std::clamp(i(Key::PlaylistSorted), -1, 1);
    s.playlistRate = std::clamp(i(Key::PlaylistRate), 0, 100);
    s.playlistAssociated = b(Key::PlaylistAssociated);
    s.playlistNotAssociated = b(Key::PlaylistNotAssociated);
    s.outputList.date = b(Key::ListDate);
    s.outputList.number = b(Key::ListNumber);
    s.outputList.title = b(Key::ListTitle);
    s.outputList.artist = b(Key::ListArtist);
    s.outputList.file = b(Key::ListFile);
    s.outputList.method = b(Key::ListMethod);
    return s;
}

DateRange configuredRange(const QList<QDate> &calendar, const ViewerSettings &settings) {
    DateRange r;
    if (calendar.isEmpty()) return r;
    QList<QByteArray> labels;
    labels.reserve(calendar.size());
    for (const QDate &d : calendar) labels.append(dateLabel(d));
    r.from = calendar.at(options::storedDateIndex(labels, settings.dateStart, options::DateRole::Start));
    r.to = settings.dateEndIsRecent
               ? calendar.last()
               : calendar.at(options::storedDateIndex(labels, settings.dateEnd, options::DateRole::End));
    return r;
}

}  // namespace vorq::cli
