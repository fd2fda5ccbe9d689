#pragma once
// The import result dialog ImportResultDialog (the parsed grid, for confirmation) and
// the main window's side of the import driver.
#include <QDialog>

#include "chartpage.h"

class QPushButton;
class QTableWidget;

class ImportResultDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportResultDialog(QWidget *parent = nullptr);
    ~ImportResultDialog() override;

    // Shows a grid: row 0 as the fixed header row, the rest editable.
    void setGrid(const vorq::ResultGrid &grid);
    // The grid as the user left it. Throws EncodingError for a typed text
    // that Shift-JIS cannot hold.
    vorq::ResultGrid grid() const;

    // "保存...": every row, the header included, TAB-separated.
    void onSaveClicked();

    QTableWidget *gridTable = nullptr;
    QPushButton *importButton = nullptr;  // 取り込み
    QPushButton *cancelButton = nullptr;  // 中止
    QPushButton *saveButton = nullptr;    // 保存...

private:
    int m_columns = 1;
};

class MainWindow;
class BulkDownloadDialog;

namespace vorq {

// The main window's side of the import driver: reads the options dialog's
// controls, drives the date list, tabs, prompts and the bulk download
// dialog for the shared ImportEngine. One per main window, created on first
// use as its child (importDriverOf).
class MainImportDriver;
MainImportDriver &importDriverOf(MainWindow *form);

// Import a date list (date-list indexes as decimal texts), import missing
// dates and the main window's connectionTimer tick, for MainWindow to call. Errors end the
// command with the error box.
void importDateList(MainWindow *form, const QStringList &indices);
void importMissingDates(MainWindow *form);
void importTimerTick(MainWindow *form);

// After an import with AlsoAssociatedFile on: the automatic association
// update proper, without its question. Does nothing until the association
// commands provide that update.
void updateAssociationsAfterImport(MainWindow *form);

// The bulk download dialog of the running date list, if any (for tests).
BulkDownloadDialog *currentBulkDialog(MainWindow *form);

}  // namespace vorq
