#include "ui/import/importhost.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "core/base/appenv.h"
#include "core/import/importdriver.h"
#include "core/text/sjistext.h"
#include "net/httpclient.h"
#include "ui/common/shellparts.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/importresultdialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

namespace vorq {

class MainImportDriver : public QObject, public ImportHost {
public:
    explicit MainImportDriver(MainWindow *form) : QObject(form), m_form(form), m_engine(*this) {
        setObjectName(QStringLiteral("MainImportDriver"));
    }
    ~MainImportDriver() override { delete m_dialog.data(); }

    ImportEngine &engine() { return m_engine; }
    bool running() const { return m_running; }
    BulkDownloadDialog *dialog() const { return m_dialog; }

    // One run at a time: the fetch lets events run, and a second run would
    // share the client and the dialog.
    // While it runs, the options cannot open: their dialog would hold the
    // fetch in its own event loop, and a new range or folder would reload
    // the store under the run.
    template <typename F>
    void run(F &&f) {
        if (m_running) return;
        m_running = true;
        m_cancelRequested = false;
        const bool optionsEnabled = m_form->optionsButton->isEnabled();
        m_form->optionsButton->setEnabled(false);
        ScopeExit done([this, optionsEnabled] {
            m_running = false;
            m_form->optionsButton->setEnabled(optionsEnabled);
            if (m_closeAfterRun) {
                m_closeAfterRun = false;
                QMetaObject::invokeMethod(m_form, &QWidget::close, Qt::QueuedConnection);
            }
        });
        f();
    }

    // Ends the run at once: the fetch in flight is abandoned and nothing is
    // saved or asked from it. With closeAfter the window closes (asking its
    // own questions) once the run has unwound.
    void cancelRun(bool closeAfter) {
        if (!m_running) return;
        m_cancelRequested = true;
        m_closeAfterRun = m_closeAfterRun || closeAfter;
        net::abortCurrentFetch();
    }

    void onConnectionTimerTick() {
        m_form->statusPanels->setPanelText(3, net::connectionStateText(net::clientState()));
        if (!m_dialog) return;
        if (m_dialog->cancelled())
            net::abortCurrentFetch();
        else
            m_dialog->reportTransfer(net::receivedByteCount(), m_engine.currentDateElapsed());
    }

    // ---- ImportHost --------------------------------------------------------
    ImportOptions options() override {
        OptionsDialog *o = m_form->options();
        ImportOptions opts;
        if (!o) return opts;
        // No import button checked imports nothing, as None does.
        opts.mode = o->importFromWebRadio->isChecked()    ? ImportMode::Web
                    : o->importFromHtmlRadio->isChecked() ? ImportMode::Html
                    : o->importFromTextRadio->isChecked() ? ImportMode::Text
                                                          : ImportMode::None;
        opts.autoSave = o->autoSaveBox->isChecked();
        opts.confirmData = o->confirmDataBox->isChecked();
        opts.editData = o->editDataBox->isChecked();
        opts.alsoAssociatedFile = o->alsoAssociateBox->isChecked();
        opts.ignoreError = o->ignoreErrorBox->isChecked();
        opts.autoAddNotFound = o->autoAddNotFoundBox->isChecked();
        opts.useProxy = o->useProxyBox->isChecked();
        opts.proxyAddr = sjis::fromUnicode(o->proxyAddressEdit->text());
        opts.proxyPort = sjis::fromUnicode(o->proxyPortEdit->text());
        opts.urlTemplate = sjis::fromUnicode(o->dataUrlEdit->text());
        opts.dataFolderField = sjis::fromUnicode(o->dataFolderEdit->text());
        opts.skipString = sjis::fromUnicode(o->skipStringEdit->text());
        opts.pageDelayMs = o->pageDelaySpin->value() * 1000;
        if (o->useExtraCaBox->isChecked()) opts.trustedCaFile = o->extraCaFileEdit->text();
        return opts;
    }
    QByteArray dataFolder() override { return m_form->store().dataFolder; }
    QByteArray programFolder() override {
        const QByteArray p = m_form->store().programFolder;
        return p.isEmpty() ? env::programFolder() : p;
    }
    int dateCount() override { return m_form->dateList->count(); }
    QByteArray dateLabelAt(int index) override { return m_form->dateLabelAt(index); }
    int selectedDate() override {
        const int row = m_form->dateList->currentRow();
        return row >= 0 && m_form->dateList->item(row)->isSelected() ? row : -1;
    }
    void selectDate(int index) override { m_form->dateList->setCurrentRow(index); }
    void buildDateList() override { m_form->buildDateList(); }
    void syncDateListSelection() override { m_form->syncDateListSelection(); }
    int tabCount() override { return m_form->tabCount(); }
    int tabTag(int index) override { return m_form->tabSheet(index)->tag(); }
    QByteArray tabCaption(int index) override {
        return sjis::fromUnicode(m_form->tabSheet(index)->caption());
    }
    void activateTab(int index) override { m_form->setActiveTab(index); }
    void addChartTable(const QString &name, const QList<QByteArray> &lines) override {
        m_form->addChartTable(name, storeSize(), lines);
    }
    void loadChartFile(const QString &path) override { m_form->loadChartFile(storeSize(), path); }
    // A new table's index comes from the store, never from the pages, which
    // may not have caught up with it.
    int storeSize() const { return static_cast<int>(m_form->store().tabs.size()); }

    QByteArray fetch(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) override {
        m_fetchedThisDate = true;
        // The client's failures go to the top-level error box, above the
        // bulk dialog; a cancelled run has nothing more to say.
        QPointer<MainImportDriver> self(this);
        const net::ErrorReporter previous = net::setErrorReporter([self](const QString &message) {
            if (self && !self->bulkCancelled()) prompter().error(self->promptParent(), message);
        });
        ScopeExit restore([previous] { net::setErrorReporter(previous); });
        if (!proxyHost.isEmpty()) net::SetProxy(proxyHost, proxyPort);
        return net::GetUrl(url);
    }
    qint64 receivedBytes() override { return net::receivedByteCount(); }

    // Retries, the pause between pages and the run's summary are the
    // engine's (fetchpolicy); here they only reach the screen. A bulk run
    // fetches quietly: its failures go to one summary box at the end.
    FetchResult fetchPage(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                          bool quiet) override {
        net::setTrustedCaFile(options().trustedCaFile);
        QPointer<BulkDownloadDialog> dialog(m_dialog);
        const net::RedirectObserver previous = net::setRedirectObserver([dialog](const QByteArray &to) {
            if (dialog) dialog->showRedirect(sjis::toUnicode(to));
        });
        ScopeExit restore([previous] { net::setRedirectObserver(previous); });
        if (!quiet) return net::resultOfLastFetch(fetch(url, proxyHost, proxyPort));
        m_fetchedThisDate = true;
        return net::fetchForImport(url, proxyHost, proxyPort, true);
    }
    void bulkStatus(const QString &text) override {
        if (m_dialog) m_dialog->setStatusText(text);
    }
    void bulkPlannedWait(qint64 ms) override {
        if (m_dialog) m_dialog->setPlannedWaitMs(ms);
    }
    void bulkSummary(const QList<FailedDate> &failures, int notTried) override {
        // Above the options dialog when the run was started from there.
        QWidget *modal = QApplication::activeModalWidget();
        prompter().message(modal ? modal : m_form, QMessageBox::Warning, QStringLiteral("一括で取得"),
                           failureSummaryText(failures, notTried), QMessageBox::Ok, QMessageBox::Ok);
    }

    void setBusy(bool busy) override {
        if (busy) {
            m_form->dateList->setEnabled(false);
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_form->connectionTimer->start();
        } else {
            m_form->connectionTimer->stop();
            QApplication::restoreOverrideCursor();
            m_form->dateList->setEnabled(true);
        }
    }

    // Prompts stand above the bulk download dialog while it shows, which
    // would otherwise cover them (it stays on top).
    QWidget *promptParent() const {
        if (m_dialog && m_dialog->isVisible()) return m_dialog;
        return m_form;
    }

    bool askRecordNotFound() override {
        return prompter().message(promptParent(), QMessageBox::Question, QStringLiteral("Not Found"),
                                  QStringLiteral("その日付のデータは見つかりませんでした。\r\n"
                                                 "その日は放送がなかったのかも知れません。\r\n"
                                                 "今後その日付を表示しないようにしますか?"),
                                  QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
    }
    void tellNotPublishedYet() override {
        prompter().message(promptParent(), QMessageBox::NoIcon, QStringLiteral("Not Found"),
                           QStringLiteral("今週は放送がなかったのか、\r\n"
                                          "まだ掲載されていないようです。\r\n"
                                          "もうしばらく待ってみてください。"),
                           QMessageBox::Ok, QMessageBox::Ok);
    }
    void tellAllImported() override {
        prompter().message(m_form, QMessageBox::NoIcon, QStringLiteral("一括で取得"),
                           QStringLiteral("すべて取得されています。"), QMessageBox::Ok, QMessageBox::Ok);
    }
    bool confirmGrid(ResultGrid &grid) override {
        ImportResultDialog form6(promptParent());
        form6.setGrid(grid);
        if (form6.exec() != QDialog::Accepted) return false;
        grid = form6.grid();
        return true;
    }
    QString chooseHtmlFile(const QString &proposed) override {
        return withDefaultSuffix(
            prompter().openFile(m_form, QString(), proposed, QStringLiteral("VORQ web page (*.html)")),
            QStringLiteral("html"));
    }
    QString chooseTextFile(const QString &proposed) override {
        return withDefaultSuffix(
            prompter().openFile(m_form, QString(), proposed, QStringLiteral("Text file (*.txt)")),
            QStringLiteral("txt"));
    }
    // The open dialogs' default extension: a name typed without one that
    // names no file means the file with it.
    static QString withDefaultSuffix(const QString &path, const QString &suffix) {
        if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty() || QFileInfo::exists(path)) return path;
        return path + QLatin1Char('.') + suffix;
    }

    void bulkBegin() override {
        delete m_dialog.data();
        QWidget *modal = QApplication::activeModalWidget();
        m_dialog = new BulkDownloadDialog(m_form, modal && modal != m_form ? modal : nullptr);
        m_dialog->setProgress(0);
        m_dialog->clearCancel();
    }
    void bulkShow() override {
        if (!m_dialog) return;
        m_dialog->show();
        m_dialog->repaint();
    }
    void bulkStartDate(const QString &source, const QString &destination, qint64 expected) override {
        m_fetchedThisDate = false;
        if (m_dialog) m_dialog->startDate(source, destination, expected);
    }
    void bulkFinishDate() override {
        if (!m_dialog) return;
        // A fetch quicker than one connectionTimer tick would leave the totals short:
        // show the date's final figures before adding them up.
        if (m_fetchedThisDate)
            m_dialog->reportTransfer(net::receivedByteCount(), m_engine.currentDateElapsed());
        m_dialog->finishDate();
    }
    bool bulkCancelled() override { return m_cancelRequested || (m_dialog && m_dialog->cancelled()); }
    void bulkEnd() override {
        delete m_dialog.data();
        m_dialog = nullptr;
    }
    void updateAssociationsAfterImport() override { vorq::updateAssociationsAfterImport(m_form); }

private:
    MainWindow *m_form;
    ImportEngine m_engine;
    QPointer<BulkDownloadDialog> m_dialog;  // a child of the form as well
    bool m_running = false;
    bool m_cancelRequested = false;  // cancelRun: the run ends at the next check
    bool m_closeAfterRun = false;
    bool m_fetchedThisDate = false;
};

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

void importMissingDates(MainWindow *form) {
    MainImportDriver &driver = importDriverOf(form);
    runGuarded(form, [&] { driver.run([&] { driver.engine().importMissingDates(); }); });
}

void importTimerTick(MainWindow *form) { importDriverOf(form).onConnectionTimerTick(); }

void updateAssociationsAfterImport(MainWindow *form) { form->autoUpdateAssociations(); }

void setImportClock(MainWindow *form, Clock *clock) { importDriverOf(form).engine().setClock(clock); }

BulkDownloadDialog *currentBulkDialog(MainWindow *form) { return importDriverOf(form).dialog(); }

bool importRunning(MainWindow *form) { return importDriverOf(form).running(); }

void cancelImportThenClose(MainWindow *form) { importDriverOf(form).cancelRun(true); }

}  // namespace vorq
