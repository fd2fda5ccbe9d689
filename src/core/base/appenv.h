#pragma once
// The process environment the core depends on, injectable for tests: the
// clock's date and the program folder (the folder of the executable).
#include <QByteArray>
#include <QDate>
#include <QString>

namespace vorq::env {

QDate today();
void setToday(const QDate &d);  // an invalid date restores the clock

// Folder path ending with "/", as Shift-JIS bytes. Throws EncodingError
// when Shift-JIS cannot name the folder (see folderBytes).
QByteArray programFolder();
void setProgramFolder(const QByteArray &folder);  // empty restores the real one

// The folders the program keeps files in. A path Shift-JIS cannot name
// ("/home/françois/") cannot be stored or passed to the file system from
// our texts: rather than fall back to "/" or the current folder, which
// loses settings without a word, folderBytes throws an EncodingError whose
// message names the folder and says what to do.
enum class FolderKind { Program, UserData };
QByteArray folderBytes(const QString &folder, FolderKind kind);

// The README a user can open beside this program: the installed one
// (programFolder/../docDir/README.md, docDir as installed, e.g.
// "share/doc/vorqview"), else the source tree's when the program runs from
// its build folder (build/src/app/); empty when there is none (a copy on a
// disc).
QString findReadme(const QString &programFolder, const QString &docDir);

}  // namespace vorq::env
