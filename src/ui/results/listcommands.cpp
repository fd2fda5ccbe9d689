#include "ui/results/listcommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <optional>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "core/lists/search.h"
#include "core/text/sjistext.h"
#include "print/listprinting.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/waitdialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/results/resultlistwindow.h"
#include "ui/results/searchdialog.h"

namespace vorq {

void printListCommand(QWidget *parent, const QList<QByteArray> &captions, const ListRows &rows,
                      const OutputChoice &choice, qint64 n) {
    if (rows.size() == 0) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!prompter().print(parent, &printer)) return;
    const PrintLayout layout(captions, rows, choice, n);
    if (layout.isEmpty()) return;
    CursorGuard busy;
    // A long list (the whole history is thousands of pages) shows its
    // progress once it has taken half a second; a chart's page flashes no
    // dialog. Printing has no stop in the design, so the dialog has none.
    QElapsedTimer clock;
    clock.start();
    std::optional<WaitGuard> wait;
    printList(&printer, layout, rows, [&](int percent) {
        if (!wait && clock.elapsed() < 500) return;
        if (!wait) wait.emplace(parent, QString(), false);
        (*wait)->setProgress(percent);
        // At most a hundred times: lets the dialog be drawn (a repaint before
        // the window is mapped shows an empty frame); it is application
        // modal, so no other window takes input meanwhile.
        QCoreApplication::processEvents();
    });
}

QString askListFileName(QWidget *parent, const QString &proposed) {
    return prompter().saveFile(parent, QString(), proposed, QStringLiteral("text file(タブ区切り) (*.txt)"),
                               QStringLiteral("txt"));
}

// ---- the main window's list commands ----------------------------------------

ListCommands::ListCommands(MainWindow *form) : QObject(form), m_form(form) {
    m_resultWindow = new ResultListWindow(nullptr);
    m_resultWindow->setOutputChoiceSource([this] { return outputChoice(); });
    m_searchDialog = new SearchDialog(form);

    // Print and save need a chart on view.
    auto follow = [form] {
        const bool any = form->pageStack->count() > 0;
        form->printButton->setEnabled(any);
        form->saveListButton->setEnabled(any);
    };
    connect(form->pageStack, &QStackedWidget::currentChanged, this, follow);
    connect(form->pageStack, &QStackedWidget::widgetRemoved, this, follow);
    follow();
}

ListCommands::~ListCommands() { delete m_resultWindow; }

OutputChoice ListCommands::outputChoice() const {
    OutputChoice c;
    const OptionsDialog *options = m_form->options();
    if (!options) return c;
    c.date = options->listDateBox->isChecked();
    c.number = options->listRankBox->isChecked();
    c.title = options->listTitleBox->isChecked();
    c.artist = options->listArtistBox->isChecked();
    c.file = options->listFileBox->isChecked();
    c.method = options->listMethodBox->isChecked();
    return c;
}

int ListCommands::search(const ChartEntry *origin, const QByteArray &artistPattern, bool exact,
                         const QByteArray &titlePattern, bool fold) {
    SearchResult found = searchCharts(m_form->store().tabs, origin, artistPattern, exact, titlePattern, fold);
    ResultListWindow *w = m_resultWindow;
    w->setRows(std::move(found.rows));
    w->setHeaderText(sjis::toUnicode(found.header));
    if (found.originRow >= 0) w->selectRow(found.originRow);
    return w->rowCount();
}

void ListCommands::onSearchClicked() {
    runGuarded(m_form, [this] { searchCommand(); });
}

void ListCommands::searchCommand() {
    const int tab = m_form->activeTab();
    if (tab < 0 || !m_form->listView(tab)) return;  // no chart loaded
    const ChartEntry *origin = m_form->selectedEntry();
    SearchDialog *d = m_searchDialog;
    if (origin) {
        m_filledArtist = {sjis::toUnicode(origin->artist), origin->artist};
        m_filledTitle = {sjis::toUnicode(origin->title), origin->title};
        d->artistEdit->setText(m_filledArtist.shown);
        d->titleEdit->setText(m_filledTitle.shown);
        d->exactBox->setChecked(true);
    }
    if (d->exec() != QDialog::Accepted) return;
    const auto pattern = [](const QLineEdit *edit, const FilledPattern &filled) {
        return edit->text() == filled.shown && !filled.bytes.isNull() ? filled.bytes
                                                                      : sjis::fromUnicode(edit->text());
    };
    {
        CursorGuard busy;
        search(origin, pattern(d->artistEdit, m_filledArtist), d->exactBox->isChecked(),
               pattern(d->titleEdit, m_filledTitle), d->foldBox->isChecked());
    }
    ResultListWindow *w = m_resultWindow;
    w->setLayoutMode(ResultListWindow::Search);
    if (w->rowCount() == 1)
        w->setHeaderText(w->headerText() + QStringLiteral("\r\n") + sjis::toUnicode(singleResultLine()));
    ScopeExit restore([w] { w->setLayoutMode(ResultListWindow::SameSong); });
    w->exec();
}

void ListCommands::onPrintClicked() {
    const int tab = m_form->activeTab();
    if (tab < 0 || tab >= m_form->store().tabs.size()) return;
    runGuarded(m_form, [&] {
        const ChartTable &table = m_form->store().tabs.at(tab).rows;
        printListCommand(m_form, chartCaptions(), ChartRows(table), outputChoice(), table.size());
    });
}

void ListCommands::onSaveListClicked() {
    const int tab = m_form->activeTab();
    if (tab < 0 || tab >= m_form->store().tabs.size()) return;
    const QString file = askListFileName(m_form, sjis::toUnicode(m_form->store().tabs.at(tab).caption));
    if (file.isEmpty()) return;
    runGuarded(m_form, [&] {
        const ChartTable &table = m_form->store().tabs.at(tab).rows;
        CursorGuard busy;
        saveList(file, chartCaptions(), ChartRows(table), outputChoice(), table.size());
    });
}

}  // namespace vorq
