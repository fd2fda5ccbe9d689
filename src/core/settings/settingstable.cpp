#include "core/settings/settingstable.h"

#include <array>

#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "core/settings/optionkeys.h"

namespace vorq::settings {

namespace {

QByteArray userFolder(const QByteArray &baseName) { return GetUserSettingsFolder(baseName); }
QByteArray programFolder(const QByteArray &) { return env::programFolder(); }
QByteArray homeFolder(const QByteArray &) { return options::homeFolder(); }
QByteArray musicFolder(const QByteArray &) { return options::musicFolder(); }
QByteArray fileNamePattern(const QByteArray &) { return options::defaultFileNamePattern(); }
QByteArray skipString(const QByteArray &) { return options::defaultSkipString(); }
QByteArray urlHome(const QByteArray &) { return options::defaultUrlHome(); }
QByteArray urlData(const QByteArray &) { return options::defaultUrlData(); }
QByteArray pageDelay(const QByteArray &) { return QByteArray::number(options::kDefaultPageDelaySeconds); }

constexpr char kOutputList[] = "OutputList";
constexpr char kPlaylist[] = "Playlist";
constexpr char kDisplay[] = "Display";
constexpr char kAssociateFile[] = "AssociateFile";
constexpr char kImportData[] = "ImportData";
constexpr char kAutoRun[] = "AutoRun";
constexpr char kWeb[] = "Web";

using enum Type;
constexpr Read kAlways = Read::Always, kOrdinaryRead = Read::Ordinary, kByMode = Read::ByMode;
constexpr Write kSaved = Write::Saved, kOrdinaryWrite = Write::Ordinary, kNever = Write::Never;

// In the order a first save writes them: the file's order of sections and keys.
// The restricted value, when not given, is the ordinary default.
constexpr std::array kTable = {
    Setting{Key::ListDate, kOutputList, "Date", Bool, "1", {}, kAlways, kSaved},
    Setting{Key::ListNumber, kOutputList, "Number", Bool, "1", {}, kAlways, kSaved},
    Setting{Key::ListTitle, kOutputList, "Title", Bool, "1", {}, kAlways, kSaved},
    Setting{Key::ListArtist, kOutputList, "Artist", Bool, "1", {}, kAlways, kSaved},
    Setting{Key::ListFile, kOutputList, "AssociateFile", Bool, "1", {}, kAlways, kSaved},
    Setting{Key::ListMethod, kOutputList, "OpenMethod", Bool, "0", {}, kAlways, kSaved},
    // Copy with playlist also writes filelist.m3u8; no control, so the
    // designed dialogs stay as they are.
    Setting{Key::ListAlsoM3u8, kOutputList, "AlsoM3u8", Bool, "0", {}, kAlways, kNever},
    Setting{Key::PlaylistOrder, kPlaylist, "Order", Int, "1", {}, kAlways, kSaved},
    Setting{Key::PlaylistSorted, kPlaylist, "Sorted", Int, "1", {}, kAlways, kSaved},
    Setting{Key::PlaylistRate, kPlaylist, "RandomizeRate", Int, "100", {}, kAlways, kSaved},
    Setting{Key::PlaylistAssociated, kPlaylist, "AssociateFile", Bool, "1", {}, kAlways, kSaved},
    Setting{Key::PlaylistNotAssociated, kPlaylist, "NotAssociateFile", Bool, "0", {}, kAlways, kSaved},
    Setting{Key::DateStart, kDisplay, "DateStart", DateLabel, "", {}, kAlways, kSaved},
    Setting{Key::DateEndIsRecent, kDisplay, "DateEndIsRecent", Bool, "1", "0", kByMode, kSaved},
    Setting{Key::DateEnd, kDisplay, "DateEnd", DateLabel, "", {}, kAlways, kSaved},
    Setting{
        Key::FileNamePattern, kAssociateFile, "FileName", Text, fileNamePattern, {}, kAlways, kOrdinaryWrite},
    Setting{Key::MusicFolder, kAssociateFile, "Folder", Text, musicFolder, {}, kAlways, kOrdinaryWrite},
    Setting{Key::DragDisabled, kAssociateFile, "DragDisabled", Bool, "1", {}, kAlways, kOrdinaryWrite},
    Setting{Key::DisplayAlerts, kAssociateFile, "DisplayAlerts", Bool, "0", {}, kAlways, kOrdinaryWrite},
    Setting{Key::AutoAddFile, kAssociateFile, "AutoAddFile", Bool, "0", {}, kAlways, kOrdinaryWrite},
    Setting{Key::SkipString, kAssociateFile, "skipstring", Text, skipString, {}, kAlways, kOrdinaryWrite},
    // A restricted copy imports nothing: "no import" is chosen and the
    // import choices its rules clear read as off.
    Setting{Key::ImportWeb, kImportData, "Web", Bool, "1", "0", kOrdinaryRead, kOrdinaryWrite, "1"},
    Setting{Key::ImportHtml, kImportData, "HTML", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::ImportText, kImportData, "Text", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::ImportNone, kImportData, "None", Bool, "0", "1", kOrdinaryRead, kOrdinaryWrite, "0"},
    Setting{Key::AutoSave, kImportData, "AutoSave", Bool, "1", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::ConfirmData, kImportData, "ConfirmData", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::EditData, kImportData, "EditData", Bool, "1", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::HideNoData, kImportData, "HideNoData", Bool, "0", "1", kOrdinaryRead, kOrdinaryWrite, "0"},
    Setting{Key::AlsoAssociatedFile, kImportData, "AlsoAssociatedFile", Bool, "0", "0", kOrdinaryRead,
            kOrdinaryWrite},
    Setting{Key::DataFolder, kImportData, "DataFolder", Text, userFolder, programFolder, kByMode,
            kOrdinaryWrite, homeFolder},
    Setting{
        Key::DataFolderIsAppPath, kImportData, "DataFolderIsAppPath", Bool, "0", {}, kAlways, kOrdinaryWrite},
    Setting{Key::AutoRunImport, kAutoRun, "ImportData", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::AutoRunAssociate, kAutoRun, "AssociateFile", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::AutoQuit, kAutoRun, "AutoQuit", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::UrlHome, kWeb, "URL_Home", Text, urlHome, urlHome, kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::UrlData, kWeb, "URL_Data", Text, urlData, urlData, kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::IgnoreError, kWeb, "IgnoreError", Bool, "1", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::AutoAddNotFound, kWeb, "AutoAddNotFound", Bool, "1", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::UseProxy, kWeb, "UseProxy", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::ProxyAddr, kWeb, "ProxyAddr", Text, "", "", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::ProxyPort, kWeb, "ProxyPort", Text, "", "", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::PageDelay, kWeb, "PageDelay", Int, pageDelay, pageDelay, kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::UseExtraCA, kWeb, "UseExtraCA", Bool, "0", "0", kOrdinaryRead, kOrdinaryWrite},
    Setting{Key::ExtraCAFile, kWeb, "ExtraCAFile", Text, "", "", kOrdinaryRead, kOrdinaryWrite},
    // In the settings file beside the program (a CD-R's staged copy): it
    // decides the write mode, so it is read before any other key.
    Setting{Key::WriteMode, "Restrictions", "WriteMode", Int, "-1", {}, kAlways, kNever},
};

constexpr bool inKeyOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i)
        if (kTable[i].id != Key(i)) return false;
    return kTable.size() == std::size_t(Key::WriteMode) + 1;
}
static_assert(inKeyOrder(), "one row per Key, in Key order");

bool ordinaryMode(int mode) { return mode == -1 || mode == 0; }
bool restrictedMode(int mode) { return mode == 1 || mode == 2; }

QByteArray baseOr(const QByteArray &baseName) {
    return baseName.isEmpty() ? env::programBaseName() : baseName;
}

}  // namespace

QByteArray Default::value(const QByteArray &baseName) const {
    if (compute) return compute(baseOr(baseName));
    return QByteArray(text ? text : "");
}

std::span<const Setting> table() { return kTable; }

const Setting &setting(Key id) { return kTable[std::size_t(id)]; }

bool isRead(const Setting &s, int mode) {
    switch (s.read) {
        case Read::Always: return true;
        case Read::Ordinary: return ordinaryMode(mode);
        case Read::ByMode: return ordinaryMode(mode) || restrictedMode(mode);
    }
    return false;
}

bool isWritten(const Setting &s, int mode) {
    switch (s.write) {
        case Write::Saved: return mode == 0 || mode == 1;
        case Write::Ordinary: return mode == 0;
        case Write::Never: return false;
    }
    return false;
}

QByteArray defaultIn(const Setting &s, int mode, const QByteArray &baseName) {
    const Default &restricted = s.restricted.isSet() ? s.restricted : s.ordinary;
    if (s.read == Read::Always || ordinaryMode(mode)) return s.ordinary.value(baseName);
    if (restrictedMode(mode)) return restricted.value(baseName);
    return (s.unread.isSet() ? s.unread : restricted).value(baseName);
}

bool readBool(const TMemIniFile &ini, Key id, int mode, const QByteArray &baseName) {
    const Setting &s = setting(id);
    const bool def = defaultIn(s, mode, baseName).toInt() != 0;
    return isRead(s, mode) ? ini.ReadBool(s.section, s.key, def) : def;
}

int readInt(const TMemIniFile &ini, Key id, int mode, const QByteArray &baseName) {
    const Setting &s = setting(id);
    const int def = defaultIn(s, mode, baseName).toInt();
    return isRead(s, mode) ? ini.ReadInteger(s.section, s.key, def) : def;
}

QByteArray readText(const TMemIniFile &ini, Key id, int mode, const QByteArray &baseName) {
    const Setting &s = setting(id);
    const QByteArray def = defaultIn(s, mode, baseName);
    return isRead(s, mode) ? ini.ReadString(s.section, s.key, def) : def;
}

void writeBool(TMemIniFile &ini, Key id, bool value) {
    ini.WriteBool(setting(id).section, setting(id).key, value);
}

void writeInt(TMemIniFile &ini, Key id, int value) {
    ini.WriteInteger(setting(id).section, setting(id).key, value);
}

void writeText(TMemIniFile &ini, Key id, const QByteArray &value) {
    ini.WriteString(setting(id).section, setting(id).key, value);
}

}  // namespace vorq::settings
