#pragma once
// The main window's side of the import driver: it connects the shared
// import engine to the date list, pages, prompts and the bulk download
// dialog.
#include <QStringList>

namespace vorq {

class BulkDownloadDialog;
class MainWindow;

class Clock;

// The main window's import driver, created on first use as its child.
class MainImportDriver;
MainImportDriver &importDriverOf(MainWindow *form);

// Import a date list (date-list indexes as decimal texts), import missing
// dates and the main window's connectionTimer tick, for MainWindow to call. Errors end the
// command with the error box.
void importDateList(MainWindow *form, const QStringList &indices);
// unattended: the start-up's automatic import that closes the window after
// it (AutoQuit): the run's summary box, which would wait for a click, is
// left out.
void importMissingDates(MainWindow *form, bool unattended = false);
void importTimerTick(MainWindow *form);

// After an import with AlsoAssociatedFile on: the automatic association
// update proper, without its question. Does nothing until the association
// commands provide that update.
void updateAssociationsAfterImport(MainWindow *form);

// Where imports wait (pauses between pages, backoff before retries); the
// event-loop clock unless set.
void setImportClock(MainWindow *form, Clock *clock);
// Whether an import runs; cancelling it abandons the fetch in flight (nothing
// is saved or asked from it) and closes the window once the run has ended.
bool importRunning(MainWindow *form);
void cancelImportThenClose(MainWindow *form);

// The bulk download dialog of the running date list, if any (for tests).
BulkDownloadDialog *currentBulkDialog(MainWindow *form);

}  // namespace vorq
