#pragma once
// The process environment the core depends on, injectable for tests: the
// clock's date and the program folder (the folder of the executable).
#include <QByteArray>
#include <QDate>

namespace vorq::env {

QDate today();
void setToday(const QDate &d);  // an invalid date restores the clock

// Folder path ending with "/", as Shift-JIS bytes.
QByteArray programFolder();
void setProgramFolder(const QByteArray &folder);  // empty restores the real one

}  // namespace vorq::env
