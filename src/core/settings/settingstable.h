#pragma once
// Every key of the settings file in one table: where it lives, what it holds,
// its defaults and in which write modes it is read and written. The options
// dialog and the vorq tool both go through it, so they cannot disagree.
//
// Write modes: -1 first start, 0 ordinary installation, 1 restricted copy
// (the CD-R), 2 not saved. Other values read only the keys of every mode.
#include <QByteArray>
#include <span>

namespace vorq {
class TMemIniFile;
}

namespace vorq::settings {

// One per row, in the table's order.
enum class Key {
    ListDate,
    ListNumber,
    ListTitle,
    ListArtist,
    ListFile,
    ListMethod,
    ListAlsoM3u8,
    PlaylistOrder,
    PlaylistSorted,
    PlaylistRate,
    PlaylistAssociated,
    PlaylistNotAssociated,
    DateStart,
    DateEndIsRecent,
    DateEnd,
    FileNamePattern,
    MusicFolder,
    DragDisabled,
    DisplayAlerts,
    AutoAddFile,
    SkipString,
    ImportWeb,
    ImportHtml,
    ImportText,
    ImportNone,
    AutoSave,
    ConfirmData,
    EditData,
    HideNoData,
    AlsoAssociatedFile,
    DataFolder,
    DataFolderIsAppPath,
    AutoRunImport,
    AutoRunAssociate,
    AutoQuit,
    UrlHome,
    UrlData,
    IgnoreError,
    AutoAddNotFound,
    UseProxy,
    ProxyAddr,
    ProxyPort,
    PageDelay,
    UseExtraCA,
    ExtraCAFile,
    WriteMode,
};

// Bool is stored "1"/"0", Int as decimal, Text and DateLabel as Shift-JIS
// bytes (a DateLabel is one of the date list's labels).
enum class Type { Bool, Int, Text, DateLabel };

enum class Read {
    Always,    // in every write mode, with the ordinary default
    Ordinary,  // in modes -1 and 0 only; modes 1 and 2 take the restricted value unread
    ByMode,    // modes -1/0 with the ordinary default, modes 1/2 with the restricted one
};

enum class Write {
    Saved,     // in modes 0 and 1
    Ordinary,  // in mode 0 only
    Never,     // by hand only (or by the CD-R staging)
};

// A default: a constant, or a function for one that depends on where the
// program and the user's folders are. The function is given the base name
// of the settings being read (vorq reads vorqview's).
struct Default {
    const char *text = nullptr;
    QByteArray (*compute)(const QByteArray &baseName) = nullptr;
    constexpr Default() = default;
    constexpr Default(const char *t) : text(t) {}
    constexpr Default(QByteArray (*f)(const QByteArray &)) : compute(f) {}
    bool isSet() const { return text || compute; }
    QByteArray value(const QByteArray &baseName) const;
};

struct Setting {
    Key id;
    const char *section;
    const char *key;
    Type type;
    Default ordinary;    // modes -1 and 0
    Default restricted;  // modes 1 and 2: read with it (ByMode) or shown unread (Ordinary)
    Read read;
    Write write;
    // The designed state, for a write mode that does not read the key; the
    // restricted value when not given.
    Default unread = {};
};

std::span<const Setting> table();
const Setting &setting(Key id);

bool isRead(const Setting &s, int writeMode);
bool isWritten(const Setting &s, int writeMode);
// The default the key is read with in a write mode, or the value it has
// there unread. An empty base name is the running program's.
QByteArray defaultIn(const Setting &s, int writeMode, const QByteArray &baseName = {});

// The value under a write mode: read with that mode's default, or the
// unread value where the mode does not read the key. -1 reads as an
// ordinary installation.
bool readBool(const TMemIniFile &ini, Key id, int writeMode = -1, const QByteArray &baseName = {});
int readInt(const TMemIniFile &ini, Key id, int writeMode = -1, const QByteArray &baseName = {});
QByteArray readText(const TMemIniFile &ini, Key id, int writeMode = -1, const QByteArray &baseName = {});

void writeBool(TMemIniFile &ini, Key id, bool value);
void writeInt(TMemIniFile &ini, Key id, int value);
void writeText(TMemIniFile &ini, Key id, const QByteArray &value);

}  // namespace vorq::settings
