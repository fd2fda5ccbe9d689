#include "ui/mainwindow/startweek.h"

#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"
#include "ui/common/prompter.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

void showRequestedWeek(MainWindow &window, const QDate &week) {
    const QByteArray label = dateLabel(week);
    for (int row = 0; row < window.dateList->count(); ++row) {
        if (window.dateLabelAt(row) != label) continue;
        window.dateList->setCurrentRow(row);
        window.importDateList({QString::number(row)});
        return;
    }
    prompter().message(
        &window, QMessageBox::Information, applicationTitle(),
        sjis::toUnicode(label) + QStringLiteral(" は表示する期間にありません。\n"
                                                "「Option」の「表示」で期間を広げると表示できます。"),
        QMessageBox::Ok, QMessageBox::Ok);
}

}  // namespace vorq
