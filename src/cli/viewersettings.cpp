#include "cli/viewersettings.h"

#include <algorithm>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/settings/doubleini.h"
#include "core/settings/optionkeys.h"

namespace vorq::cli {

ViewerSettings readViewerSettings() {
    // The locator's bookkeeping stays in memory: vorq never writes settings.
    TDoubleIniFile ini("vorqview", TDoubleIniFile::Access::ReadOnly);
    ViewerSettings s;
    s.writeMode = ini.LoadWriteMode();
    // vorqview's designed state, for keys a write mode does not read.
    s.dataFolder = options::homeFolder();
    s.dateEndIsRecent = false;
    s.editData = false;
    s.ignoreError = false;
    s.autoAddNotFound = false;
    s.urlData = options::defaultUrlData();
    if (s.writeMode == -1 || s.writeMode == 0) {
        s.editData = ini.ReadBool("ImportData", "EditData", true);
        s.dataFolder = ini.ReadString("ImportData", "DataFolder", GetUserSettingsFolder("vorqview"));
        s.dateEndIsRecent = ini.ReadBool("Display", "DateEndIsRecent", true);
        s.urlData = ini.ReadString("Web", "URL_Data", options::defaultUrlData());
        s.useProxy = ini.ReadBool("Web", "UseProxy", false);
        s.proxyAddr = ini.ReadString("Web", "ProxyAddr", QByteArray());
        s.proxyPort = ini.ReadString("Web", "ProxyPort", QByteArray());
        s.ignoreError = ini.ReadBool("Web", "IgnoreError", true);
        s.autoAddNotFound = ini.ReadBool("Web", "AutoAddNotFound", true);
        s.pageDelayMs = options::pageDelayMs(ini);
        s.trustedCaFile = options::trustedCaFile(ini);
    } else if (s.writeMode == 1 || s.writeMode == 2) {
        // Restricted: no import, so vorqview unchecks the edit option too.
        s.dateEndIsRecent = ini.ReadBool("Display", "DateEndIsRecent", false);
        s.dataFolder = ini.ReadString("ImportData", "DataFolder", env::programFolder());
    }
    if (ini.ReadBool("ImportData", "DataFolderIsAppPath", false)) s.dataFolder = env::programFolder();
    if (!s.dataFolder.isEmpty() && !s.dataFolder.endsWith('/')) s.dataFolder += '/';
    s.skipString = ini.ReadString("AssociateFile", "skipstring", options::defaultSkipString());
    s.fileNamePattern = ini.ReadString("AssociateFile", "FileName", options::defaultFileNamePattern());
    s.musicFolder = ini.ReadString("AssociateFile", "Folder", options::musicFolder());
    s.autoAddFile = ini.ReadBool("AssociateFile", "AutoAddFile", false);
    s.dateStart = ini.ReadString("Display", "DateStart", QByteArray());
    s.dateEnd = ini.ReadString("Display", "DateEnd", QByteArray());
    s.playlistOrder = std::clamp(ini.ReadInteger("Playlist", "Order", 1), 0, 5);
    s.playlistSorted = std::clamp(ini.ReadInteger("Playlist", "Sorted", 1), -1, 1);
    s.playlistRate = std::clamp(ini.ReadInteger("Playlist", "RandomizeRate", 100), 0, 100);
    s.playlistAssociated = ini.ReadBool("Playlist", "AssociateFile", true);
    s.playlistNotAssociated = ini.ReadBool("Playlist", "NotAssociateFile", false);
    s.outputList.date = ini.ReadBool("OutputList", "Date", true);
    s.outputList.number = ini.ReadBool("OutputList", "Number", true);
    s.outputList.title = ini.ReadBool("OutputList", "Title", true);
    s.outputList.artist = ini.ReadBool("OutputList", "Artist", true);
    s.outputList.file = ini.ReadBool("OutputList", "AssociateFile", true);
    s.outputList.method = ini.ReadBool("OutputList", "OpenMethod", false);
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
