#pragma once
// Staging a self-running copy for a disc or stick: what the CD-R wizard and
// `vorq cdr` work out (the sizes, the data date list, the associated file
// list) and what the finish writes (autorun.inf, the restricted settings
// file, notfound.txt, the rewritten file.idx) and copies. Also the restore
// list. No widgets: copies go through a StageCopier the caller provides.
#include <QByteArray>
#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <functional>

namespace vorq::cdr {

// ---- size summary -----------------------------------------------------------
inline constexpr qint64 kYellowAbove = 671088640;  // 640 MiB
inline constexpr qint64 kRedAbove = 734003200;     // 700 MiB, a CD-R

enum class SummaryColour { Black, Yellow, Red };
SummaryColour summaryColour(qint64 totalBytes);
const char *colourName(SummaryColour c);  // "black", "yellow", "red"

QString groupDigits(qint64 n);         // 1234567 -> "1,234,567"
QString kibText(qint64 bytes);         // bytes / 1024, grouped, right-aligned in ten
QString sizeText(qint64 bytes);        // grouped, right-aligned in eight (list items)
qint64 sizeFromText(const QString &);  // a grouped size back (spaces and commas dropped)

// ASCII letters upper-cased on character boundaries only: a trailing byte of
// a two-byte character may be a letter and stays as it is.
QByteArray upperAscii(const QByteArray &sjisText);

// The last path component ("/" or "\" on character boundaries).
QByteArray lastComponent(const QByteArray &path);

// ---- the session's state ------------------------------------------------------
struct DataDate {
    QByteArray label;  // date label
    int tag = 0;       // yyyymmdd
    QString file;      // full path of the chart file
    qint64 size = 0;
};

struct AssocItem {
    QByteArray name;      // file name
    QByteArray location;  // folder with trailing "/"
    qint64 size = 0;
    QByteArray fullPath() const { return location + name; }
};

struct StageSource {
    QByteArray dataFolder;  // with trailing "/"
    QString programFile;    // the program that goes on the medium
    QByteArray rangeStart;  // the display range as date labels
    QByteArray rangeEnd;
};

// An association of the chosen range that the medium will not carry as a
// file: the user should know before burning.
struct LeftOut {
    enum class Reason {
        Web,      // an address: it goes on the medium as it is, no file
        Folder,   // names a folder
        Missing,  // no such file (or a medium-rooted path leaving its medium)
        BadName,  // a file name with "\", which a disc path cannot hold
        Removed,  // taken off the list (by hand or by the filter)
    };
    QByteArray stored;
    Reason reason = Reason::Missing;
};
const char *leftOutKey(LeftOut::Reason r);  // "web", "folder", "missing", "bad-name", "removed"
QString leftOutText(LeftOut::Reason r);     // the same for the screen

// A stored associated file as a path of this computer (the default reads
// the text as a path; medium-rooted paths need the medium's resolver).
using PathResolver = std::function<QString(const QByteArray &stored)>;

class CdrSession {
public:
    explicit CdrSession(PathResolver resolve = {});

    // Reads the program size, the not-broadcast list, the data date list
    // and the associated file list of the whole data date list. Throws
    // FileError for a file that exists but cannot be read.
    void start(const StageSource &source);

    const StageSource &source() const { return m_source; }
    const QList<QByteArray> &notBroadcast() const { return m_notBroadcast; }
    const QList<DataDate> &dataDates() const { return m_dates; }
    bool hasIndex() const { return m_hasIndex; }

    qint64 programSize() const { return m_programSize; }
    qint64 dataSize() const { return m_dataSize; }
    qint64 assocSize() const { return m_assocSize; }
    qint64 total() const { return m_programSize + m_dataSize + m_assocSize; }

    // The chosen range as indexes into dataDates(); last < first is empty.
    int first() const { return m_first; }
    int last() const { return m_last; }
    // Sets the range, its data size, and rebuilds the associated file list.
    void setRange(int first, int last);
    // The associated file list of the chosen range, built again.
    void rebuildAssociated();

    const QList<AssocItem> &items() const { return m_items; }
    // Adds a file by its stored text (file.idx) or local path (manual, in
    // Shift-JIS). Web addresses, folders and files that cannot be found are
    // not listed; nor is a full path already listed (letter case ignored).
    // Returns whether an item was added. addLocalFile throws EncodingError
    // (naming the character) for a path Shift-JIS cannot hold, and
    // FileError for a file name with "\", rather than leave it out unsaid.
    bool addFile(const QByteArray &stored);
    bool addLocalFile(const QString &path);

    // The associations of the chosen range the medium will not carry as
    // files, each stored text once, in file.idx order.
    QList<LeftOut> leftOut() const;
    void removeItems(QList<int> rows);
    // Keeps only items whose name is one of names (letter case ignored).
    void keepOnlyNames(const QList<QByteArray> &names);
    // The column sort: flips the column's direction (so the first click
    // sorts descending), then sorts by name (0), location (1) or size (2),
    // ties broken by name.
    void sortBy(int column);
    int direction(int column) const { return m_direction[column]; }

    // The file.idx lines as they go on the medium (see StageLayout): each
    // listed file by its name on the medium, names being parallel to
    // items() (empty: as discNames in stagesafety.h gives them).
    QList<QByteArray> stagedIndex(const QByteArray &assocPrefix, const QList<QByteArray> &names = {}) const;

private:
    struct IndexLine {
        QByteArray key, file, method;
        int tag = -1;    // -1: the key does not start with a date
        int known = -1;  // index into m_files; -1 for a web address or none
    };
    struct KnownFile {
        bool listable = false;
        LeftOut::Reason unlisted = LeftOut::Reason::Missing;  // why not, when not listable
        AssocItem item;
        QByteArray upperPath;
    };
    int knownFile(const QByteArray &stored);
    bool addKnown(int fileIndex);
    bool addItem(const AssocItem &item, const QByteArray &upperPath);

    PathResolver m_resolve;
    StageSource m_source;
    QList<QByteArray> m_notBroadcast;
    QList<DataDate> m_dates;
    bool m_hasIndex = false;
    QList<IndexLine> m_index;
    QList<KnownFile> m_files;
    QHash<QByteArray, int> m_fileByStored;
    QList<AssocItem> m_items;
    QSet<QByteArray> m_listed;  // upper-cased full paths of the items
    qint64 m_programSize = 0, m_dataSize = 0, m_assocSize = 0;
    int m_first = 0, m_last = -1;
    int m_direction[3] = {1, 1, 1};
};

// Names for the list or folder filter: the last path component of every
// line of a list file (none when it does not exist), or the files directly
// in a folder.
QList<QByteArray> namesFromListFile(const QString &path);
QList<QByteArray> namesInFolder(const QString &folder);

// ---- folders below the staging root ---------------------------------------
struct FolderNode {
    QStringList names;  // below the root; empty for the root itself
    int depth = 0;
};
// The root and every folder below it, depth first, in the file system's
// order. Symbolic links are not followed (a link to an ancestor would never
// end).
QList<FolderNode> folderTree(const QString &root);

// ---- the finish ------------------------------------------------------------------
struct StageLayout {
    QString root;            // the staging root
    QStringList programRel;  // program and data folder below the root (empty: the root)
    QStringList assocRel;    // associated files' folder below the root
};

struct StagePlan {
    QString root, programFolder, assocFolder;  // with trailing "/"
    QByteArray programEntry;                   // rel(P) + "\" + program name
    QList<QByteArray> autorunInf;
    QByteArray autorunSh;
    QStringList programFiles;  // each copied on its own: program, readme.txt, src.lzh
    QList<QByteArray> restrictedIni;
    QList<QByteArray> notFound;
    QStringList dataFiles;
    bool writeIndex = false;
    QList<QByteArray> index;
    QStringList assocFiles;
    QStringList assocNames;  // each one's name on the medium, parallel to assocFiles

    // Every file the finish writes or copies, as target paths.
    QStringList targets() const;
};

// Throws EncodingError when a folder name cannot be held in Shift-JIS.
StagePlan planStage(const CdrSession &session, const StageLayout &layout);

class StageCopier {
public:
    virtual ~StageCopier() = default;
    // Copies files into a folder in one operation, each under the name
    // names gives it (parallel to sources); reports its own errors.
    virtual void copy(const QStringList &sources, const QString &targetFolder, const QStringList &names) = 0;
};

// The plan's targets that exist already.
QStringList existingTargets(const StagePlan &plan);

// Writes and copies in the finish's order; the text files never through a
// link (refuseUnsafeTargets in stagesafety.h has refused links before). A text file that cannot be
// written throws FileError and ends the finish; copies report through the
// copier and the steps go on.
void runStage(const StagePlan &plan, StageCopier &copier);

// What the restore copies, each on its own: the program, then notfound.txt,
// readme.txt and src.lzh when they are beside it.
QStringList restoreSources(const QString &programFile);

}  // namespace vorq::cdr
