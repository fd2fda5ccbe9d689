#include "ui/import/importhost.h"

#include "ui/common/guards.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/mainimportdriver.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

MainImportDriver &importDriverOf(MainWindow *form) {
    auto *driver =
        form->findChild<MainImportDriver *>(QStringLiteral("MainImportDriver"), Qt::FindDirectChildrenOnly);
    return driver ? *driver : *new MainImportDriver(form);
}

void importDateList(MainWindow *form, const QStringList &indices) {
    MainImportDriver &driver = importDriverOf(form);
    runGuarded(form, [&] {
        driver.run([&] {
            QList<int> rows;
            for (const QString &text : indices) rows.append(text.toInt());
            driver.engine().importDateList(rows);
        });
    });
}

void importMissingDates(MainWindow *form, bool unattended) {
    MainImportDriver &driver = importDriverOf(form);
    driver.setUnattended(unattended);
    ScopeExit attended([&driver] { driver.setUnattended(false); });
    runGuarded(form, [&] { driver.run([&] { driver.engine().importMissingDates(); }); });
}

void importTimerTick(MainWindow *form) { importDriverOf(form).onConnectionTimerTick(); }

void updateAssociationsAfterImport(MainWindow *form) { form->autoUpdateAssociations(); }

void setImportClock(MainWindow *form, Clock *clock) { importDriverOf(form).engine().setClock(clock); }

BulkDownloadDialog *currentBulkDialog(MainWindow *form) { return importDriverOf(form).dialog(); }

bool importRunning(MainWindow *form) { return importDriverOf(form).running(); }

void cancelImportThenClose(MainWindow *form) { importDriverOf(form).cancelRun(true); }

}  // namespace vorq
