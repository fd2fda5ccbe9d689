#pragma once
// The defaults vorq takes from the user's vorqview settings: read through the
// same layered store, base name and location key as vorqview, never written.
#include <QByteArray>
#include <QDate>
#include <QList>

#include "core/lists/listoutput.h"

namespace vorq::cli {

struct ViewerSettings {
    int writeMode = -1;
    QByteArray dataFolder;  // with trailing "/"; the program folder when so chosen
    QByteArray dateStart;   // stored date labels; empty when not stored
    QByteArray dateEnd;     // ignored by vorqview while dateEndIsRecent
    bool dateEndIsRecent = true;
    QByteArray skipString;
    QByteArray fileNamePattern;  // AssociateFile: FileName, Folder, AutoAddFile
    QByteArray musicFolder;
    bool autoAddFile = false;
    bool editData = true;
    bool ignoreError = true;
    bool autoAddNotFound = true;
    QByteArray urlData;
    bool useProxy = false;
    QByteArray proxyAddr;
    QByteArray proxyPort;
    // "Playlist", as the playlist maker's controls hold them (clamped to
    // their ranges; sorted -1 is no direction chosen).
    int playlistOrder = 1;
    int playlistSorted = 1;
    int playlistRate = 100;
    bool playlistAssociated = true;
    bool playlistNotAssociated = false;
    OutputChoice outputList;  // the "OutputList" check boxes
    int pageDelayMs = 1000;   // in seconds in the file
    QString trustedCaFile;    // empty unless the extra CA is switched on
};

// What vorqview would load at start, for the keys vorq uses (restricted
// write modes give the values vorqview shows then).
ViewerSettings readViewerSettings();

// The range vorqview would display over these calendar dates: DateStart, and
// DateEnd unless the range runs to the newest date; a stored date no longer
// listed selects the nearest, as the options dialog does. Invalid dates for
// an empty calendar.
struct DateRange {
    QDate from, to;
};
DateRange configuredRange(const QList<QDate> &calendar, const ViewerSettings &settings);

}  // namespace vorq::cli
