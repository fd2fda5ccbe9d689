#pragma once
// vorqview --date YYYY-MM-DD: the week the weekly import's notification
// named, shown when the window has started.
#include <QDate>

namespace vorq {

class MainWindow;

// As a click on its date would: its page, or an import by the import mode.
// A week the date list does not hold (outside the displayed range, not a
// broadcast date) is said so.
void showRequestedWeek(MainWindow &window, const QDate &week);

}  // namespace vorq
