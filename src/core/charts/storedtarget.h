#pragma once
// What a stored associated file (the file column of file.idx) names on this
// computer, worked out in one place. Every consumer (open, existence test,
// drag-out, file menus, the result window's files, copies, the automatic
// update, the CD-R staging, `vorq load --resolve`) goes through it, so a
// file that exists for one of them exists for all.
//
// A stored text is one of:
//   - a web address ("http", "ftp" or "mailto" at the start): no local file;
//     it passes the existence test, as it always has;
//   - a medium-rooted path ("\music\a.mp3", as the CD-R staging writes
//     them): looked up on the medium the program runs from (mediumpath.h),
//     refused (no local path) when it leaves that medium;
//   - any other text: a local path, made absolute against the current folder.
#include <QByteArray>
#include <QDir>
#include <QHash>
#include <QString>
#include <functional>
#include <unordered_map>

namespace vorq {

struct StoredTarget {
    enum class Kind { None, Web, Local, MediumRooted };
    Kind kind = Kind::None;
    QByteArray stored;  // the text as stored (Shift-JIS)
    // The absolute, cleaned file-system path; empty for None, Web and a
    // refused medium-rooted path.
    QString localPath;
    // Web: always; local kinds: localPath exists (file or folder).
    bool exists = false;

    bool isWeb() const { return kind == Kind::Web; }
    // A medium-rooted text that leaves the medium.
    bool isRefused() const { return kind == Kind::MediumRooted && localPath.isEmpty(); }
    // What to show the user: the local path when there is one, else the text
    // as stored.
    QString displayText() const;
};

// How a local path's existence is tested; the default asks the file system.
// The GUI passes its injectable shell's test.
using LocalExists = std::function<bool(const QString &path)>;

// Resolves stored against the medium holding programFolder (a folder path,
// with or without the trailing "/").
StoredTarget resolveStoredTarget(const QByteArray &stored, const QString &programFolder,
                                 const LocalExists &exists = {});
// The same for the running program's folder (env::programFolder()).
StoredTarget resolveStoredTarget(const QByteArray &stored, const LocalExists &exists = {});

// Many stored targets resolved for one task (the automatic update tests
// thousands): the current folder and the medium's root are worked out once,
// not per text. In exists() a folder found missing answers for everything
// below it, so files gone with their folders cost one test per folder. Answers as resolveStoredTarget does as
// long as the file system holds still during the task.
class StoredTargetResolver {
public:
    // programFolder empty: the running program's, asked for only when a
    // medium-rooted text comes.
    explicit StoredTargetResolver(const QString &programFolder = {}, LocalExists exists = {});

    StoredTarget resolve(const QByteArray &stored);
    bool exists(const QByteArray &stored);
    // File-system tests made so far (files and folders).
    qsizetype fileSystemTests() const { return m_tests; }

private:
    QString mediumRootPath();
    bool testLocal(const QString &path);
    bool folderExists(const QString &folder);

    QString m_programFolder;
    bool m_programFolderGiven = false;
    QString m_mediumRoot;
    bool m_mediumRootKnown = false;
    QDir m_current;
    LocalExists m_exists;
    struct FolderHash {
        size_t operator()(const QString &s) const { return qHash(s, 0); }
    };
    std::unordered_map<QString, bool, FolderHash> m_folders;
    qsizetype m_tests = 0;
};

}  // namespace vorq
