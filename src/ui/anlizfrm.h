#pragma once
// The import result dialog TForm6 (the parsed grid, for confirmation) and
// the main window's side of the import driver.
#include <QDialog>

#include "chartpage.h"

class QPushButton;
class QTableWidget;

class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget *parent = nullptr);
    ~TForm6() override;

    // Shows a grid: row 0 as the fixed header row, the rest editable.
    void setGrid(const vorq::ResultGrid &grid);
    // The grid as the user left it. Throws EncodingError for a typed text
    // that Shift-JIS cannot hold.
    vorq::ResultGrid grid() const;

    // "保存...": every row, the header included, TAB-separated.
    void Button3Click();

    QTableWidget *StringGrid1 = nullptr;
    QPushButton *Button1 = nullptr;  // 取り込み
    QPushButton *Button2 = nullptr;  // 中止
    QPushButton *Button3 = nullptr;  // 保存...

private:
    int m_columns = 1;
};

class TForm1;
class TfrmAllDownload;

namespace vorq {

// The main window's side of the import driver: reads the options dialog's
// controls, drives the date list, tabs, prompts and the bulk download
// dialog for the shared ImportEngine. One per main window, created on first
// use as its child (importDriverOf).
class MainImportDriver;
MainImportDriver &importDriverOf(TForm1 *form);

// Import a date list (date-list indexes as decimal texts), import missing
// dates and the main window's Timer1 tick, for TForm1 to call. Errors end the
// command with the error box.
void importDateList(TForm1 *form, const QStringList &indices);
void importMissingDates(TForm1 *form);
void importTimerTick(TForm1 *form);

// After an import with AlsoAssociatedFile on: the automatic association
// update proper, without its question. Does nothing until the association
// commands provide that update.
void updateAssociationsAfterImport(TForm1 *form);

// The bulk download dialog of the running date list, if any (for tests).
TfrmAllDownload *currentBulkDialog(TForm1 *form);

}  // namespace vorq
