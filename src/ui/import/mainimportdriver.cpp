#include "ui/import/mainimportdriver.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include "core/base/appenv.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/importhost.h"
#include "ui/import/importresultdialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

namespace vorq {

MainImportDriver::MainImportDriver(MainWindow *form) : QObject(form), m_form(form), m_engine(*this) {
    setObjectName(QStringLiteral("MainImportDriver"));
}

MainImportDriver::~MainImportDriver() { delete m_dialog.data(); }

void MainImportDriver::run(const std::function<void()> &f) {
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

void MainImportDriver::cancelRun(bool closeAfter) {
    if (!m_running) return;
    m_cancelRequested = true;
    m_closeAfterRun = m_closeAfterRun || closeAfter;
    net::abortCurrentFetch();
}

void MainImportDriver::onConnectionTimerTick() {
    m_form->statusPanels->setPanelText(3, net::connectionStateText(net::clientState()));
    if (!m_dialog) return;
    if (m_dialog->cancelled())
        net::abortCurrentFetch();
    else
        m_dialog->reportTransfer(net::receivedByteCount(), m_engine.currentDateElapsed());
}

ImportOptions MainImportDriver::options() {
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

QByteArray MainImportDriver::programFolder() {
    const QByteArray p = m_form->store().programFolder;
    return p.isEmpty() ? env::programFolder() : p;
}

int MainImportDriver::selectedDate() {
    const int row = m_form->dateList->currentRow();
    return row >= 0 && m_form->dateList->item(row)->isSelected() ? row : -1;
}

QByteArray MainImportDriver::tabCaption(int index) {
    return sjis::fromUnicode(m_form->tabSheet(index)->caption());
}

void MainImportDriver::addChartTable(const QString &name, const QList<QByteArray> &lines) {
    m_form->addChartTable(name, storeSize(), lines);
}

QByteArray MainImportDriver::fetch(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) {
    m_fetchedThisDate = true;
    // The client's failures go to the top-level error box, above the
    // bulk dialog; a cancelled run has nothing more to say.
    QPointer<MainImportDriver> self(this);
    const net::ErrorReporter previous = net::setErrorReporter([self](const QString &message) {
        if (!self || self->bulkCancelled()) return;
        const net::FetchReport fetch = net::lastFetch();
        if (fetch.detail.isEmpty()) {
            prompter().error(self->promptParent(), message);
            return;
        }
        // A host that cannot be found (the first start, before the site's
        // address is set): say where to look; the socket layer's words go
        // below, for whoever helps.
        QString text = message;
        if (fetch.hostNotFound) text += QStringLiteral("\r\n\r\n") + hostNotFoundAdvice(fetch.viaProxy);
        prompter().errorWithDetails(self->promptParent(), text, fetch.detail);
    });
    ScopeExit restore([previous] { net::setErrorReporter(previous); });
    if (!proxyHost.isEmpty()) net::SetProxy(proxyHost, proxyPort);
    return net::GetUrl(url);
}

// Retries, the pause between pages and the run's summary are the engine's
// (fetchpolicy); here they only reach the screen. A bulk run fetches
// quietly: its failures go to one summary box at the end.
FetchResult MainImportDriver::fetchPage(const QByteArray &url, const QByteArray &proxyHost, int proxyPort,
                                        bool quiet) {
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

void MainImportDriver::bulkStatus(const QString &text) {
    if (m_dialog) m_dialog->setStatusText(text);
}

void MainImportDriver::bulkPlannedWait(qint64 ms) {
    if (m_dialog) m_dialog->setPlannedWaitMs(ms);
}

void MainImportDriver::bulkSummary(const QList<FailedDate> &failures, int notTried) {
    // Above the options dialog when the run was started from there.
    QWidget *modal = QApplication::activeModalWidget();
    prompter().message(modal ? modal : m_form, QMessageBox::Warning, QStringLiteral("一括で取得"),
                       failureSummaryText(failures, notTried), QMessageBox::Ok, QMessageBox::Ok);
}

void MainImportDriver::bulkRunSummary(const BulkRunSummary &summary) {
    // A window closing while the run ends asks its own questions instead;
    // an unattended start-up would wait for the click.
    if (m_closeAfterRun || m_unattended) return;
    QWidget *modal = QApplication::activeModalWidget();
    const bool trouble = !summary.failed.isEmpty() || summary.stop == BulkRunSummary::Stop::GaveUp;
    prompter().message(modal ? modal : m_form, trouble ? QMessageBox::Warning : QMessageBox::Information,
                       QStringLiteral("一括で取得"), bulkSummaryText(summary), QMessageBox::Ok,
                       QMessageBox::Ok);
}

void MainImportDriver::setBusy(bool busy) {
    if (busy) {
        m_dateListHadFocus = m_form->dateList->hasFocus();
        m_form->dateList->setEnabled(false);
        QApplication::setOverrideCursor(Qt::WaitCursor);
        m_form->connectionTimer->start();
    } else {
        m_form->connectionTimer->stop();
        QApplication::restoreOverrideCursor();
        m_form->dateList->setEnabled(true);
        // Disabling passed the focus on, to a page the import may have
        // hidden: the keys go back to the dates they were on.
        if (m_dateListHadFocus) m_form->dateList->setFocus();
    }
}

QWidget *MainImportDriver::promptParent() const {
    if (m_dialog && m_dialog->isVisible()) return m_dialog;
    return m_form;
}

bool MainImportDriver::askRecordNotFound(const QByteArray &label) {
    return prompter().message(promptParent(), QMessageBox::Question, QStringLiteral("Not Found"),
                              notFoundQuestionText(label), QMessageBox::Yes | QMessageBox::No,
                              QMessageBox::Yes) == QMessageBox::Yes;
}

void MainImportDriver::tellNotPublishedYet(const QByteArray &label) {
    prompter().message(promptParent(), QMessageBox::NoIcon, QStringLiteral("Not Found"),
                       notPublishedYetText(label), QMessageBox::Ok, QMessageBox::Ok);
}

void MainImportDriver::tellAllImported() {
    prompter().message(m_form, QMessageBox::NoIcon, QStringLiteral("一括で取得"),
                       QStringLiteral("すべて取得されています。"), QMessageBox::Ok, QMessageBox::Ok);
}

bool MainImportDriver::confirmGrid(ResultGrid &grid) {
    ImportResultDialog form6(promptParent());
    form6.setGrid(grid);
    if (form6.exec() != QDialog::Accepted) return false;
    grid = form6.grid();
    return true;
}

QString MainImportDriver::chooseHtmlFile(const QString &proposed) {
    return withDefaultSuffix(
        prompter().openFile(m_form, QString(), proposed, QStringLiteral("VORQ web page (*.html)")),
        QStringLiteral("html"));
}

QString MainImportDriver::chooseTextFile(const QString &proposed) {
    return withDefaultSuffix(
        prompter().openFile(m_form, QString(), proposed, QStringLiteral("Text file (*.txt)")),
        QStringLiteral("txt"));
}

QString MainImportDriver::withDefaultSuffix(const QString &path, const QString &suffix) {
    if (path.isEmpty() || !QFileInfo(path).suffix().isEmpty() || QFileInfo::exists(path)) return path;
    return path + QLatin1Char('.') + suffix;
}

void MainImportDriver::bulkBegin() {
    delete m_dialog.data();
    QWidget *modal = QApplication::activeModalWidget();
    m_dialog = new BulkDownloadDialog(m_form, modal && modal != m_form ? modal : nullptr);
    m_dialog->setProgress(0);
    m_dialog->clearCancel();
}

void MainImportDriver::bulkShow() {
    if (!m_dialog) return;
    m_dialog->show();
    m_dialog->repaint();
}

void MainImportDriver::bulkStartDate(const QString &source, const QString &destination, qint64 expected) {
    m_fetchedThisDate = false;
    if (m_dialog) m_dialog->startDate(source, destination, expected);
}

void MainImportDriver::bulkFinishDate() {
    if (!m_dialog) return;
    // A fetch quicker than one connectionTimer tick would leave the totals short:
    // show the date's final figures before adding them up.
    if (m_fetchedThisDate) m_dialog->reportTransfer(net::receivedByteCount(), m_engine.currentDateElapsed());
    m_dialog->finishDate();
}

void MainImportDriver::bulkEnd() {
    delete m_dialog.data();
    m_dialog = nullptr;
}

QByteArray MainImportDriver::dataFolder() { return m_form->store().dataFolder; }
int MainImportDriver::dateCount() { return m_form->dateList->count(); }
QByteArray MainImportDriver::dateLabelAt(int index) { return m_form->dateLabelAt(index); }
void MainImportDriver::selectDate(int index) { m_form->dateList->setCurrentRow(index); }
void MainImportDriver::buildDateList() { m_form->buildDateList(); }
void MainImportDriver::syncDateListSelection() { m_form->syncDateListSelection(); }
int MainImportDriver::tabCount() { return m_form->tabCount(); }
int MainImportDriver::tabTag(int index) { return m_form->tabSheet(index)->tag(); }
void MainImportDriver::activateTab(int index) { m_form->setActiveTab(index); }
void MainImportDriver::loadChartFile(const QString &path) { m_form->loadChartFile(storeSize(), path); }
int MainImportDriver::storeSize() const { return static_cast<int>(m_form->store().tabs.size()); }
qint64 MainImportDriver::receivedBytes() { return net::receivedByteCount(); }
bool MainImportDriver::bulkCancelled() { return m_cancelRequested || (m_dialog && m_dialog->cancelled()); }
void MainImportDriver::updateAssociationsAfterImport() { vorq::updateAssociationsAfterImport(m_form); }

}  // namespace vorq
