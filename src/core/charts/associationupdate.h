#pragma once
// Association edits on the loaded chart tables: the same-song rows of a song,
// and the automatic update (dead links dropped, known files copied to the
// same song on other dates, files found by a name pattern in a folder).
#include <QByteArray>
#include <QList>
#include <functional>

#include "core/charts/chartstore.h"

namespace vorq {

// A row of the loaded tables: tab (page index) and row in its table.
struct RowRef {
    int tab = 0;
    int row = 0;
    friend bool operator==(const RowRef &, const RowRef &) = default;
};

// Every row whose title and artist equal the given ones, in tab and table
// order. A title or artist that is the single character "*" matches any.
QList<RowRef> sameSongRows(const QList<ChartTab> &tabs, const QByteArray &title, const QByteArray &artist);

// One row whose associated file the update changed.
struct AssociationChange {
    RowRef at;
    QByteArray oldFile;
    QByteArray newFile;
};

struct AutoUpdateOptions {
    QByteArray pattern;  // e.g. "%a-%t.mp3": "%a" the artist, "%t" the title
    QByteArray folder;   // the names are looked for here (relative: against the current folder)
    bool autoAdd = false;
};

// Follows the update table by table (wait dialog, stop button).
class AutoUpdateObserver {
public:
    virtual ~AutoUpdateObserver() = default;
    virtual void editing(const QByteArray &caption) { Q_UNUSED(caption); }  // "編集中 : " + caption
    virtual void progress(int percent) { Q_UNUSED(percent); }
    virtual void yield() {}  // let pending events run
    virtual bool stopRequested() { return false; }
};

struct AutoUpdateResult {
    bool changed = false;
    bool stopped = false;              // the stop flag ended it before the last table
    QList<AssociationChange> changes;  // in tab and row order, old file as before the update
    qsizetype existenceTests = 0;      // file-system tests made (one per distinct path)
};

// The file-system half of the existence test: whether a stored associated
// file names something that exists.
using PathExists = std::function<bool(const QByteArray &path)>;
// The real one: the stored target's existence (storedtarget.h), so a
// medium-rooted path is looked up on the medium, not in the current folder.
bool pathExistsOnDisk(const QByteArray &path);

// The name the pattern gives: each "%a" becomes the artist, then each "%t"
// of that result the title; inserted text is not scanned again by its own
// pass.
QByteArray patternFileName(const QByteArray &pattern, const QByteArray &artist, const QByteArray &title);

// The folder as a prefix for names: a "/" is added when it has none.
QByteArray folderPrefix(const QByteArray &folder);

// The automatic update over every table. Rows whose file fails the existence
// test lose it (web addresses always pass); then, table by table until the
// observer asks to stop: a row without file takes the file last noted for
// its song, else the first file of the same song in a later table, else
// (with autoAdd) folder + the pattern's name when that exists. Open methods
// are never touched. Linear in the number of rows: the song's noted file and
// its later rows with a file are looked up, not scanned for.
AutoUpdateResult autoUpdate(QList<ChartTab> &tabs, const AutoUpdateOptions &options,
                            AutoUpdateObserver *observer = nullptr, const PathExists &exists = {});

}  // namespace vorq
