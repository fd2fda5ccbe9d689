#include "appenv.h"

#include <QCoreApplication>

#include "sjistext.h"

namespace vorq::env {

namespace {
QDate g_today;
QByteArray g_programFolder;
}  // namespace

QDate today() { return g_today.isValid() ? g_today : QDate::currentDate(); }
void setToday(const QDate &d) { g_today = d; }

QByteArray programFolder() {
    if (!g_programFolder.isEmpty()) return g_programFolder;
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    QByteArray out;
    // A folder Shift-JIS cannot name cannot hold our files either; use the
    // current folder then rather than a corrupted path.
    return sjis::tryFromUnicode(dir, &out) ? out : QByteArray("./");
}

void setProgramFolder(const QByteArray &folder) { g_programFolder = folder; }

}  // namespace vorq::env
