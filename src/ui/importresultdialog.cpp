#include "importresultdialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "importdriver.h"
#include "shellparts.h"
#include "sjistext.h"

using namespace vorq;

ImportResultDialog::ImportResultDialog(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("取り込み結果---これでよければ「取り込み」ボタンを押してください"));
    resize(503, 403);
    gridTable = new QTableWidget(1, 1, this);
    gridTable->setObjectName(QStringLiteral("StringGrid1"));
    gridTable->verticalHeader()->hide();  // no fixed column
    gridTable->setEditTriggers(QAbstractItemView::AllEditTriggers);
    importButton = new QPushButton(QStringLiteral("取り込み"), this);
    importButton->setObjectName(QStringLiteral("Button1"));
    importButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("中止"), this);
    cancelButton->setObjectName(QStringLiteral("Button2"));
    saveButton = new QPushButton(QStringLiteral("保存..."), this);
    saveButton->setObjectName(QStringLiteral("Button3"));
    connect(importButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(saveButton, &QPushButton::clicked, this,
            [this] { runGuarded(this, [this] { onSaveClicked(); }); });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(importButton);
    buttons->addWidget(cancelButton);
    buttons->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 4);
    layout->addWidget(gridTable);
    layout->addLayout(buttons);
    setGrid(ResultGrid());
}

ImportResultDialog::~ImportResultDialog() = default;

void ImportResultDialog::setGrid(const ResultGrid &grid) {
    m_columns = grid.columnCount();
    gridTable->clear();
    gridTable->setColumnCount(m_columns);
    gridTable->setRowCount(std::max(0, grid.rowCount() - 1));
    const QFontMetrics fm(gridTable->font());
    QList<int> widths(m_columns, 0);
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < m_columns; ++c) {
            const QString text = sjis::toUnicode(grid.cell(c, r));
            widths[c] = std::max(widths[c], fm.horizontalAdvance(text));
            auto *item = new QTableWidgetItem(text);
            if (r == 0)
                gridTable->setHorizontalHeaderItem(c, item);
            else
                gridTable->setItem(r - 1, c, item);
        }
    }
    // Each column as wide as its widest text plus 10 pixels.
    for (int c = 0; c < m_columns; ++c) gridTable->setColumnWidth(c, widths[c] + 10);
}

ResultGrid ImportResultDialog::grid() const {
    ResultGrid out;
    out.resize(m_columns, gridTable->rowCount() + 1);
    for (int c = 0; c < m_columns; ++c) {
        if (const QTableWidgetItem *h = gridTable->horizontalHeaderItem(c))
            out.setCell(c, 0, sjis::fromUnicode(h->text()));
        for (int r = 0; r < gridTable->rowCount(); ++r)
            if (const QTableWidgetItem *item = gridTable->item(r, c))
                out.setCell(c, r + 1, sjis::fromUnicode(item->text()));
    }
    return out;
}

void ImportResultDialog::onSaveClicked() {
    const QString file = prompter().saveFile(this, QString(), QString(), QStringLiteral("Text file (*.txt)"),
                                             QStringLiteral("txt"));
    if (file.isEmpty()) return;
    sjis::saveLines(file, gridLines(grid()));
}

// ---- the main window's import driver ---------------------------------------

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QTimer>

#include "appenv.h"
#include "bulkdownloaddialog.h"
#include "httpclient.h"
#include "mainwindow.h"
#include "optionsdialog.h"

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
    template <typename F>
    void run(F &&f) {
        if (m_running) return;
        m_running = true;
        ScopeExit done([this] { m_running = false; });
        f();
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
        m_form->addChartTable(name, m_form->tabCount(), lines);
    }
    void loadChartFile(const QString &path) override { m_form->loadChartFile(m_form->tabCount(), path); }

    QByteArray fetch(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) override {
        m_fetchedThisDate = true;
        // The client's failures go to the top-level error box.
        QPointer<MainWindow> form(m_form);
        const net::ErrorReporter previous =
            net::setErrorReporter([form](const QString &message) { prompter().error(form, message); });
        ScopeExit restore([previous] { net::setErrorReporter(previous); });
        if (!proxyHost.isEmpty()) net::SetProxy(proxyHost, proxyPort);
        return net::GetUrl(url);
    }
    qint64 receivedBytes() override { return net::receivedByteCount(); }

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
        return prompter().openFile(m_form, QString(), proposed, QStringLiteral("VORQ web page (*.html)"));
    }
    QString chooseTextFile(const QString &proposed) override {
        return prompter().openFile(m_form, QString(), proposed, QStringLiteral("Text file (*.txt)"));
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
    bool bulkCancelled() override { return m_dialog && m_dialog->cancelled(); }
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

BulkDownloadDialog *currentBulkDialog(MainWindow *form) { return importDriverOf(form).dialog(); }

}  // namespace vorq
