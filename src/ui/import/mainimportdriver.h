#pragma once
// The main window's side of the import: it reads the options dialog's
// controls and drives the date list, pages, prompts and the bulk download
// dialog for the shared ImportEngine. One per main window, created on first
// use as its child (importDriverOf).
#include <QObject>
#include <QPointer>
#include <functional>

#include "core/import/importdriver.h"
#include "net/httpclient.h"

namespace vorq {

class BulkDownloadDialog;
class MainWindow;

class MainImportDriver : public QObject, public ImportHost {
public:
    explicit MainImportDriver(MainWindow *form);
    ~MainImportDriver() override;

    ImportEngine &engine() { return m_engine; }
    bool running() const { return m_running; }
    BulkDownloadDialog *dialog() const { return m_dialog; }

    // One run at a time: the fetch lets events run, and a second run would
    // share the client and the dialog.
    // While it runs, the options cannot open: their dialog would hold the
    // fetch in its own event loop, and a new range or folder would reload
    // the store under the run.
    void run(const std::function<void()> &f);

    // Ends the run at once: the fetch in flight is abandoned and nothing is
    // saved or asked from it. With closeAfter the window closes (asking its
    // own questions) once the run has unwound.
    void cancelRun(bool closeAfter);

    void onConnectionTimerTick();
    // No summary box at the end of a run that nobody watches.
    void setUnattended(bool unattended) { m_unattended = unattended; }

    // ---- ImportHost --------------------------------------------------------
    ImportOptions options() override;
    QByteArray dataFolder() override;
    QByteArray programFolder() override;
    int dateCount() override;
    QByteArray dateLabelAt(int index) override;
    int selectedDate() override;
    void selectDate(int index) override;
    void buildDateList() override;
    void syncDateListSelection() override;
    int tabCount() override;
    int tabTag(int index) override;
    QByteArray tabCaption(int index) override;
    void activateTab(int index) override;
    void addChartTable(const QString &name, const QList<QByteArray> &lines) override;
    void loadChartFile(const QString &path) override;
    // A new table's index comes from the store, never from the pages, which
    // may not have caught up with it.
    int storeSize() const;

    QByteArray fetch(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) override;
    qint64 receivedBytes() override;

    // Retries, the pause between pages and the run's summary are the
    // engine's (fetchpolicy); here they only reach the screen. A bulk run
    // fetches quietly: its failures go to one summary box at the end.
    FetchResult fetchPage(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                          bool quiet) override;
    void bulkStatus(const QString &text) override;
    void bulkPlannedWait(qint64 ms) override;
    void bulkSummary(const QList<FailedDate> &failures, int notTried) override;
    void bulkRunSummary(const BulkRunSummary &summary) override;

    void setBusy(bool busy) override;

    // Prompts stand above the bulk download dialog while it shows, which
    // would otherwise cover them (it stays on top).
    QWidget *promptParent() const;

    bool askRecordNotFound(const QByteArray &label) override;
    void tellNotPublishedYet(const QByteArray &label) override;
    void tellAllImported() override;
    bool confirmGrid(ResultGrid &grid) override;
    QString chooseHtmlFile(const QString &proposed) override;
    QString chooseTextFile(const QString &proposed) override;
    // The open dialogs' default extension: a name typed without one that
    // names no file means the file with it.
    static QString withDefaultSuffix(const QString &path, const QString &suffix);

    void bulkBegin() override;
    void bulkShow() override;
    void bulkStartDate(const QString &source, const QString &destination, qint64 expected) override;
    void bulkFinishDate() override;
    bool bulkCancelled() override;
    void bulkEnd() override;
    void updateAssociationsAfterImport() override;

private:
    MainWindow *m_form;
    ImportEngine m_engine;
    QPointer<BulkDownloadDialog> m_dialog;  // a child of the form as well
    bool m_running = false;
    bool m_cancelRequested = false;  // cancelRun: the run ends at the next check
    bool m_closeAfterRun = false;
    bool m_unattended = false;
    bool m_fetchedThisDate = false;
    bool m_dateListHadFocus = false;  // setBusy gives it back after the run
};

}  // namespace vorq
