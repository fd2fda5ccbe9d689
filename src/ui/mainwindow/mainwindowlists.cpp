// The main window's list commands: the result list window and the search
// dialog it creates, print and save of the active chart, the search button.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>

#include "core/lists/search.h"
#include "core/text/sjistext.h"
#include "ui/common/shellparts.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/results/listcommands.h"
#include "ui/results/resultlistview.h"
#include "ui/results/resultlistwindow.h"
#include "ui/results/searchdialog.h"

using namespace vorq;

namespace {
// Frees a top-level form with the main window. The result window is not a
// child of the main window, so the main window's widget tree stays the
// date list, its pages and its controls.
class FormKeeper : public QObject {
public:
    FormKeeper(QWidget *form, QObject *owner) : QObject(owner), m_form(form) {}
    ~FormKeeper() override { delete m_form; }

private:
    QWidget *m_form;
};
}  // namespace

void MainWindow::createListForms() {
    m_resultWindow = new ResultListWindow(nullptr);
    new FormKeeper(m_resultWindow, this);
    m_resultWindow->setOutputChoiceSource([this] { return outputChoice(); });
    m_searchDialog = new SearchDialog(this);

    // Print and save need a chart on view.
    auto follow = [this] {
        const bool any = pageStack->count() > 0;
        printButton->setEnabled(any);
        saveListButton->setEnabled(any);
    };
    connect(pageStack, &QStackedWidget::currentChanged, this, follow);
    connect(pageStack, &QStackedWidget::widgetRemoved, this, follow);
    follow();
}

OutputChoice MainWindow::outputChoice() const {
    OutputChoice c;
    if (!m_options) return c;
    c.date = m_options->listDateBox->isChecked();
    c.number = m_options->listRankBox->isChecked();
    c.title = m_options->listTitleBox->isChecked();
    c.artist = m_options->listArtistBox->isChecked();
    c.file = m_options->listFileBox->isChecked();
    c.method = m_options->listMethodBox->isChecked();
    return c;
}

int MainWindow::search(const ChartEntry *origin, const QByteArray &artistPattern, bool exact,
                       const QByteArray &titlePattern, bool fold) {
    SearchResult found = searchCharts(m_store.tabs, origin, artistPattern, exact, titlePattern, fold);
    ResultListWindow *w = m_resultWindow;
    w->setRows(std::move(found.rows));
    w->setHeaderText(sjis::toUnicode(found.header));
    if (found.originRow >= 0) w->selectRow(found.originRow);
    return w->rowCount();
}

void MainWindow::onSearchClicked() {
    runGuarded(this, [this] { searchCommand(); });
}

void MainWindow::searchCommand() {
    const int tab = activeTab();
    if (tab < 0 || !listView(tab)) return;  // no chart loaded
    const ChartEntry *origin = selectedEntry();
    SearchDialog *d = m_searchDialog;
    if (origin) {
        d->artistEdit->setText(sjis::toUnicode(origin->artist));
        d->titleEdit->setText(sjis::toUnicode(origin->title));
        d->exactBox->setChecked(true);
    }
    if (d->exec() != QDialog::Accepted) return;
    {
        CursorGuard busy;
        search(origin, sjis::fromUnicode(d->artistEdit->text()), d->exactBox->isChecked(),
               sjis::fromUnicode(d->titleEdit->text()), d->foldBox->isChecked());
    }
    ResultListWindow *w = m_resultWindow;
    w->setLayoutMode(ResultListWindow::Search);
    if (w->rowCount() == 1)
        w->setHeaderText(w->headerText() + QStringLiteral("\r\n") + sjis::toUnicode(singleResultLine()));
    ScopeExit restore([w] { w->setLayoutMode(ResultListWindow::SameSong); });
    w->exec();
}

void MainWindow::onPrintClicked() {
    const int tab = activeTab();
    if (tab < 0 || tab >= m_store.tabs.size()) return;
    runGuarded(this, [&] {
        const ChartTable &table = m_store.tabs.at(tab).rows;
        printListCommand(this, chartCaptions(), ChartRows(table), outputChoice(), table.size());
    });
}

void MainWindow::onSaveListClicked() {
    const int tab = activeTab();
    if (tab < 0 || tab >= m_store.tabs.size()) return;
    const QString file = askListFileName(this, sjis::toUnicode(m_store.tabs.at(tab).caption));
    if (file.isEmpty()) return;
    runGuarded(this, [&] {
        const ChartTable &table = m_store.tabs.at(tab).rows;
        CursorGuard busy;
        saveList(file, chartCaptions(), ChartRows(table), outputChoice(), table.size());
    });
}
