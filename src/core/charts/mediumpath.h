#pragma once
// Associated files rooted at the medium the program runs from. The CD-R
// wizard writes file.idx paths like "\music\a.mp3": relative to the root of
// the disc, whatever directory the disc is mounted on. Such a path must stay
// on that medium: file.idx comes from others, and "\music\..\..\etc\passwd"
// or a symbolic link on the disc pointing elsewhere must not reach the rest
// of the computer.
#include <QByteArray>
#include <QString>

namespace vorq {

// True when a stored associated file starts with exactly one "\" ("\\"
// starts a Windows network path, which is not medium-rooted).
bool isMediumRooted(const QByteArray &stored);

// The root of the medium holding programFolder: the nearest folder, from
// programFolder itself upwards, that holds autorun.inf (any letter case),
// without leaving programFolder's file system; otherwise the mount point of
// that file system. Canonical, no trailing "/" (except for "/" itself).
QString mediumRoot(const QString &programFolder);

// Resolves relative (components separated by "\" or "/") under root: "."
// and ".." are resolved first, then every symbolic link on the way must
// lead to a place inside root. Returns root + "/" + the components, or an
// empty string when the path leaves root (".." past it, a link outside it,
// a dangling link).
QString resolveUnderRoot(const QString &relative, const QString &root);

// The file-system path a stored associated file names. A medium-rooted text
// resolves under mediumRoot(programFolder) (empty when refused); any other
// text is returned decoded and otherwise unchanged (addresses, absolute and
// relative paths are the caller's business, as before).
QString resolveAssociatedPath(const QByteArray &stored, const QString &programFolder);

}  // namespace vorq
