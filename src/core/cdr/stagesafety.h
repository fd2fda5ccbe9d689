#pragma once
// What the CD-R finish may write, and under which names. A staging is a
// folder made for someone else, perhaps over an older one the user linked
// things into: it never writes through a link into the running program's
// own files, and two associated files of one name stay two files.
#include <QByteArray>
#include <QList>
#include <QSet>
#include <QStringList>

#include "core/cdr/cdrstage.h"

namespace vorq::cdr {

// The names the listed files take in the association folder, parallel to
// items. A file keeps its own name unless an earlier item or one of taken
// (upper-cased: the names the staging's other files have there) has it,
// letter case ignored as a disc ignores it; then it becomes "x (2).mp3",
// "x (3).mp3"..., a number no other file has.
QList<QByteArray> discNames(const QList<AssocItem> &items, const QSet<QByteArray> &taken = {});

// The folders of the running program a staging must never write into: the
// data folder, the program folder, the folders holding its settings files
// (iniBaseName's, as TDoubleIniFile finds them) and the per-user settings
// folder. Canonical paths.
QStringList liveFolders(const QByteArray &dataFolder, const QByteArray &iniBaseName);

// Throws FileError naming what the finish must not write: a live folder as
// the program or association folder (the finish would replace the live
// file.idx, settings or program), a symbolic link among the targets or the
// folders between the root and them, or a target that is a file of a live
// folder or of its backup/ folder (a hard link to it, or the file itself
// reached another way). Called before anything is written.
void refuseUnsafeTargets(const StagePlan &plan, const QStringList &live);

}  // namespace vorq::cdr
