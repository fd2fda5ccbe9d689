#pragma once
// Defaults of the configuration keys shared by the options dialog and the
// vorq tool, and the choice of a stored date among the date-list items.
#include <QByteArray>
#include <QList>
#include <QString>

namespace vorq {
class TMemIniFile;
}

namespace vorq::options {

// The chart site's addresses (the real host is configured by the user).
QByteArray defaultUrlHome();
// A date-format pattern: quoted literals around yyyymmdd.
QByteArray defaultUrlData();
QByteArray defaultSkipString();       // "<!-- / NO1 -->"
QByteArray defaultFileNamePattern();  // "%a-%t.mp3"

// What stands in for the designed "c:\": the user's home folder and music
// folder (home when there is none), each with a trailing "/".
QByteArray homeFolder();
QByteArray musicFolder();

// Which item of a date list a stored start or end date selects: the
// first equal label; a stored date no longer listed (added to notfound.txt
// since) selects the nearest listed date, on a tie the one inside the range
// (the later for the start, the earlier for the end). An empty or unreadable
// value selects the first (start) or last (end) item. -1 for an empty list.
enum class DateRole { Start, End };
int storedDateIndex(const QList<QByteArray> &labels, const QByteArray &stored, DateRole role);

// The bulk download's pause between pages: the Web page's delay in whole
// seconds (default 1, 0 allowed, at most 600), returned in milliseconds.
inline constexpr int kDefaultPageDelaySeconds = 1;
inline constexpr int kMaxPageDelaySeconds = 600;
int pageDelayMs(const TMemIniFile &ini, int writeMode = -1);
// The extra CA certificate trusted for https while its switch is on
// (default off); empty otherwise.
QString trustedCaFile(const TMemIniFile &ini, int writeMode = -1);

}  // namespace vorq::options
