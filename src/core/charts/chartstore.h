#pragma once
// The chart store: chart files of the data folder, the in-memory chart
// tables (one per tab), date labels, the broadcast calendar, the not-found
// list and the date list. No widgets here: the main window observes it.
#include <QByteArray>
#include <QDate>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <optional>

#include "core/charts/associationindex.h"
#include "core/charts/associationjournal.h"

namespace vorq {

// One ranked song of one loaded date. Other modules address the fields by
// position: 0 rank, 1 title, 2 artist, 3 associated file, 4 open method.
struct ChartEntry {
    QByteArray rank;
    QByteArray title;
    QByteArray artist;
    QByteArray file;    // empty: no association
    QByteArray method;  // empty means "open"

    const QByteArray &field(int i) const;
    QByteArray &field(int i);
    friend bool operator==(const ChartEntry &, const ChartEntry &) = default;
};

using ChartTable = QList<ChartEntry>;

// One loaded date: what the main window shows as the page "TabSheet"+n.
struct ChartTab {
    int tag = 0;         // the date as the integer yyyymmdd
    QByteArray caption;  // its date label
    ChartTable rows;
};

// ---- dates -------------------------------------------------------------
QDate firstBroadcastDate();                                   // 1995-04-08
QByteArray dateLabel(const QDate &d);                         // yyyy年mm月dd日 (Shift-JIS)
QByteArray dateLabelFromTag(int yyyymmdd);                    // "%4.4d年%2.2d月%2.2d日"
std::optional<QDate> dateFromLabel(const QByteArray &label);  // by layout
QByteArray dateKey(const QDate &d);                           // "yyyymmdd"
int dateTag(const QDate &d);                                  // yyyymmdd as integer

// The 11-character key of a chart slot: tag followed by "%3.3d" of the rank.
// Throws ConvertError when the rank is not an integer.
QByteArray associationKey(int tag, const QByteArray &rank);

// Existence test: false for empty text; true for texts beginning with
// "http", "ftp" or "mailto" (case-sensitive); otherwise whether the path
// exists. A medium-rooted path ("\music\a.mp3") is looked up on the medium
// the program runs from and does not exist when it leaves it (mediumpath.h).
bool isWebTarget(const QByteArray &target);
bool existenceTest(const QByteArray &target);

// ---- not-found list and calendar -----------------------------------------
// The data folder's notfound.txt; when the program folder holds one too, the
// two are merged, sorted, duplicates dropped. Missing files read as empty.
QList<QByteArray> readNotFoundList(const QByteArray &dataFolder, const QByteArray &programFolder);

// Every 7 days from 1995-04-08 while the date is before today, less the
// dates whose label is in notFound.
QList<QDate> broadcastCalendar(const QDate &today, const QSet<QByteArray> &notFound);

// Labels start + 7k up to end (inclusive), less notFound; with hideNoData
// only those that are captions of loaded tabs remain.
QList<QByteArray> buildDateList(const QDate &start, const QDate &end, const QSet<QByteArray> &notFound,
                                bool hideNoData, const QSet<QByteArray> &tabCaptions);

// The lines of a file's bytes (CR LF, LF or CR, as sjis::splitLines) as
// views into data, without copying: they are valid while data lives and is
// not modified. Copy what is kept.
QList<QByteArray> lineViews(const QByteArray &data);

// file.idx and notfound.txt larger than this are refused, naming the file:
// a broken or hostile one must not cost the window its memory and speed.
inline constexpr qint64 kMaxIndexFileBytes = 32 * 1024 * 1024;

// A whole file in a buffer of its own size. Throws FileError when it cannot
// be read or is larger than maxBytes (memory stays bounded).
QByteArray readWholeFile(const QString &path, qint64 maxBytes);

// A chart file's name: yyyymmdd.txt, first digit 1-9, extension in any
// letter case.
bool isChartFileName(const QString &name);

// ---- loading -------------------------------------------------------------
// Hooks through which the main window follows a full load.
class LoadObserver {
public:
    virtual ~LoadObserver() = default;
    virtual void loading(const QByteArray &label) { Q_UNUSED(label); }  // "読み込み中 : " + label
    virtual void tableAdded(int index) { Q_UNUSED(index); }
    virtual void progress(int percent) { Q_UNUSED(percent); }
    virtual void yield() {}  // let pending events run
    virtual bool stopRequested() { return false; }
};

class ChartStore {
public:
    // Folder path ending with "/"; file names are appended directly.
    QByteArray dataFolder;
    QByteArray programFolder;
    // file.idx as this program holds it: read at load, other programs'
    // changes taken over, saved. Rows show it, but for journal keys.
    AssociationIndex associations;
    // The user's unsaved association changes (indexmerge.h saves them).
    AssociationJournal journal;
    // file.idx as the disk held it when last read. It differs from
    // associations only while diskLost: the disk lost associations this
    // program keeps (a deleted, emptied or truncated file), which a save
    // asks about.
    AssociationIndex diskIndex;
    // Its bytes (shared, not copied): a read that finds the same bytes has
    // nothing to take over.
    QByteArray diskData;
    bool diskIndexExists = false;
    bool diskLost = false;
    QList<ChartTab> tabs;  // indexed by page index

    // Chart files (eight digits, the first 1-9, ".txt" in any case) in the
    // data folder, sorted ascending, as full paths. Other names are ignored.
    QStringList listChartFiles() const;

    // Reads file.idx (the association table is emptied when there is none)
    // and the chart files whose names lie between the two labels' file
    // names, newest first, appending tabs. A bad line throws ConvertError;
    // tabs added before that file stay, the bad file adds none.
    // FileError when a file cannot be read.
    void fullLoad(const QByteArray &startLabel, const QByteArray &endLabel, LoadObserver *observer = nullptr);

    // Parses lines (rank TAB title TAB artist) into a new table at index
    // (normally tabs.size(); the tables array becomes index + 1 long); the
    // tab's date comes from the file name (yyyymmdd.txt, a path is allowed).
    // Rows take their association from the association table. All lines are
    // parsed before the table is added: a rank that is not an integer throws
    // ConvertError and adds nothing. Returns the index.
    int addChartTable(const QString &fileName, int index, const QList<QByteArray> &lines);
    int loadChartFile(int index, const QString &path);

    // Frees every table (the main window removes its pages alongside) and
    // the journal: whoever disposes has settled it first.
    void clear();

    // The user changed the association of a row (set, clear, the automatic
    // update, the library): its key's line, or its removal when the row has
    // no file, goes into the journal. Throws ConvertError as associationKey.
    void noteRowChanged(int tab, int row);
    // Gives up the journal: the rows show file.idx as held again.
    void discardChanges();

    int indexOfTag(int tag) const;  // first tab with that tag, -1 if none
    QSet<QByteArray> captions() const;

    // Equal texts share storage across weeks (titles and artists repeat).
    QByteArray intern(const QByteArray &text);

private:
    struct Song {
        QByteArray title, artist;
    };
    // The normalised, interned title and artist of "title TAB artist".
    const Song &songOf(const QByteArray &rest);
    QByteArray rankText(const QByteArray &raw, int value);

    QSet<QByteArray> m_pool;
    // Raw "title TAB artist" of chart lines -> the texts stored for it.
    QHash<QByteArray, Song> m_songs;
    QList<QByteArray> m_ranks;  // "0".."999"
};

}  // namespace vorq
