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
#include <QString>
#include <functional>

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

}  // namespace vorq
