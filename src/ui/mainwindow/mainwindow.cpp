#include "ui/mainwindow/mainwindow.h"

#include "ui/import/importhost.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/storedtarget.h"
#include "core/import/importdriver.h"
#include "core/text/sjistext.h"
#include "net/httpclient.h"
#include "ui/associations/associationcommands.h"
#include "ui/associations/indexhistorydialog.h"
#include "ui/cdr/cdrcommands.h"
#include "ui/common/aboutbox.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/shell.h"
#include "ui/common/waitdialog.h"
#include "ui/history/historycommands.h"
#include "ui/library/librarycommands.h"
#include "ui/mainwindow/chartrowdelegate.h"
#include "ui/mainwindow/charttablemodel.h"
#include "ui/mainwindow/commandpanel.h"
#include "ui/mainwindow/datafoldersync.h"
#include "ui/mainwindow/dateentrydelegate.h"
#include "ui/mainwindow/emptycharthint.h"
#include "ui/mainwindow/mainwindowkeys.h"
#include "ui/mainwindow/startweek.h"
#include "ui/player/playerbar.h"
#include "ui/player/playercommands.h"
#include "ui/playlist/playlistcommands.h"
#include "ui/results/listcommands.h"

namespace vorq {

namespace {

QString dirtyText() { return QStringLiteral("更新"); }

QFont mainFont() {
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans Mono CJK JP")});
    f.setPixelSize(12);
    return f;
}

// Follows a full load: pages as tables arrive, the wait dialog's label,
// progress and stop button.
class LoadWatcher : public LoadObserver {
public:
    LoadWatcher(WaitDialog *wait, std::function<void()> pagesChanged)
        : m_feedback(wait), m_pagesChanged(std::move(pagesChanged)) {}
    void loading(const QByteArray &label) override {
        m_feedback.dialog()->setLabel(QStringLiteral("読み込み中 : ") + sjis::toUnicode(label));
    }
    void tableAdded(int) override { m_pagesChanged(); }
    void progress(int percent) override { m_feedback.progress(percent); }
    void yield() override { m_feedback.yield(); }
    bool stopRequested() override { return m_feedback.stopRequested(); }

private:
    WaitFeedback m_feedback;
    std::function<void()> m_pagesChanged;
};

}  // namespace

// ---- main window ----------------------------------------------------------------

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(applicationTitle());
    setFont(mainFont());
    setAcceptDrops(true);
    buildLayout();
    m_folderSync = new DataFolderSync(this);
    historyCommands = new HistoryCommands(this);
    installMainWindowKeys(this);
    listCommands = new ListCommands(this);
    associationCommands = new AssociationCommands(this);
    playlistCommands = new PlaylistCommands(this);
    cdrCommands = new CdrCommands(this);
    installAssociationMenu(this);
    playerCommands = new PlayerCommands(this);
    static_cast<QBoxLayout *>(centralWidget()->layout())->insertWidget(1, playerCommands->bar());
    // The size the window returns to when it is no longer maximised; never
    // more than the screen holds.
    QSize size(1024, 700);
    if (const QScreen *display = screen())
        size = size.boundedTo(display->availableGeometry().size() - kFrameAllowance);
    resize(size.expandedTo(minimumSizeHint()));
}

MainWindow::~MainWindow() = default;

ResultListWindow *MainWindow::resultWindow() const { return listCommands->resultWindow(); }
SearchDialog *MainWindow::searchDialog() const { return listCommands->searchDialog(); }
void MainWindow::startCdrWizard() { cdrCommands->startWizard(); }
void MainWindow::restoreFromCdr() { cdrCommands->restore(); }

void MainWindow::setOptions(OptionsDialog *options) {
    m_options = options;
    if (m_options) m_options->setHost(this);
}

void MainWindow::buildLayout() {
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *top = new QHBoxLayout;
    top->setSpacing(0);

    dateList = new DateListWidget(central);
    dateList->setObjectName(QStringLiteral("ListBox1"));
    dateList->setAccessibleName(QStringLiteral("日付一覧"));
    dateList->hasData = [this](int row) { return dateHasData(row); };
    dateList->setFixedWidth(153);
    dateList->setFrameShape(QFrame::NoFrame);
    dateList->setUniformItemSizes(true);
    dateList->setSelectionMode(QAbstractItemView::SingleSelection);
    dateList->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dateList->setItemDelegate(new DateEntryDelegate(this));
    // The list lies on the button face, as its tabs do, in any palette.
    dateList->viewport()->setBackgroundRole(QPalette::Button);
    connect(dateList, &DateListWidget::userClicked, this, [this] { onDateListClicked(); });
    // A loaded date shows its chart as the keys pass it; a date without data
    // waits for Enter or a click.
    connect(dateList, &DateListWidget::keyboardMoved, this, [this] {
        if (dateHasData(dateList->currentRow())) onDateListClicked();
    });
    connect(dateList, &DateListWidget::rightPressed, this,
            [this](const QPoint &pos) { onDateListRightPressed(pos); });
    top->addWidget(dateList);

    pageStack = new QStackedWidget(central);
    pageStack->setObjectName(QStringLiteral("PageControl1"));
    connect(pageStack, &QStackedWidget::currentChanged, this, [this] { activeTabChanged(); });
    emptyHint = new EmptyChartHint(pageStack);
    top->addWidget(pageStack, 1);
    outer->addLayout(top, 1);

    outer->addWidget(buildCommandPanel(this, central));
    setCentralWidget(central);

    statusPanels = new PanelStatusBar(this);
    setStatusBar(statusPanels);
    // The designed widths assumed the designed font: the texts each panel
    // shows must fit whole in the font in use.
    statusPanels->fitPanel(0, {dirtyText()});
    statusPanels->fitPanel(1, {QStringLiteral("open"), QStringLiteral("play"), QStringLiteral("edit"),
                               QStringLiteral("print"), QStringLiteral("explore")});
    QStringList states;
    for (int state = -1; state <= 5; ++state) states << net::connectionStateText(state);
    statusPanels->fitPanel(3, states);
    connect(statusPanels, &PanelStatusBar::doubleClicked, this, [this] { onStatusBarDoubleClicked(); });

    fitCommandPanelToScreen(this, central);

    dateMenu = new QMenu(this);
    dateMenu->setObjectName(QStringLiteral("PopupMenu1"));
    openOnlineAction = dateMenu->addAction(QStringLiteral("オンラインで開く"));
    openOnlineAction->setObjectName(QStringLiteral("N1"));
    importAction = dateMenu->addAction(QStringLiteral("取り込み"));
    importAction->setObjectName(QStringLiteral("Save1"));
    connect(openOnlineAction, &QAction::triggered, this, [this] { onOpenOnlineTriggered(); });
    connect(importAction, &QAction::triggered, this, [this] { onImportTriggered(); });
    new vorq::LibraryCommands(this);

    connectionTimer = new QTimer(this);
    connectionTimer->setObjectName(QStringLiteral("Timer1"));
    connectionTimer->setInterval(100);
    connect(connectionTimer, &QTimer::timeout, this, [this] { onConnectionTimerTick(); });

    connect(openButton, &QPushButton::clicked, this, [this] { onOpenClicked(); });
    connect(optionsButton, &QPushButton::clicked, this, [this] { onOptionsClicked(); });
    connect(quitButton, &QPushButton::clicked, this, [this] { onQuitClicked(); });
    connect(clearButton, &QPushButton::clicked, this, [this] { onClearClicked(); });
    connect(searchButton, &QPushButton::clicked, this, [this] { listCommands->onSearchClicked(); });
    connect(makePlaylistButton, &QPushButton::clicked, this,
            [this] { playlistCommands->onMakePlaylistClicked(); });
    connect(autoUpdateButton, &QPushButton::clicked, this, [this] { onAutoUpdateClicked(); });
    connect(printButton, &QPushButton::clicked, this, [this] { listCommands->onPrintClicked(); });
    connect(saveListButton, &QPushButton::clicked, this, [this] { listCommands->onSaveListClicked(); });
    connect(aboutButton, &QToolButton::clicked, this, [this] { onAboutClicked(); });
}

// ---- start and end ------------------------------------------------------------------

void MainWindow::showEvent(QShowEvent *e) {
    QMainWindow::showEvent(e);
    if (m_startupGuard == 0 && !m_shown) onFirstShow();
}

bool MainWindow::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate) onActivated();
    return QMainWindow::event(e);
}

void MainWindow::changeEvent(QEvent *e) { QMainWindow::changeEvent(e); }

void MainWindow::onFirstShow() {
    m_shown = true;
    // Each step is its own command: a chart file with a bad line ends the
    // load with the error shown, and the date list is still built so the
    // tabs that did load can be reached.
    runGuarded(this, [this] {
        if (m_options) m_options->loadSettings(QCoreApplication::arguments().mid(1));
    });
    runGuarded(this, [this] { fullLoad(); });
    runGuarded(this, [this] { buildDateList(); });
    m_folderSync->sayIfShared();
    m_loaded = true;
    if (m_activationDue || isActiveWindow()) {
        m_activationDue = false;
        // After the show has finished, as an activation would arrive.
        QMetaObject::invokeMethod(
            this, [this] { onActivated(); }, Qt::QueuedConnection);
    }
}

void MainWindow::onActivated() {
    if (m_startupGuard != 0) return;
    if (!m_loaded) {
        m_activationDue = true;
        return;
    }
    // The guard is raised first: the automation lets events run, and a
    // second activation meanwhile must not start it again.
    m_startupGuard = 1;
    if (m_options) {
        if (m_options->autoRunImportBox->isChecked())
            runGuarded(this, [this] { vorq::importMissingDates(this, m_options->autoQuitBox->isChecked()); });
        if (m_options->autoRunAssociateBox->isChecked())
            runGuarded(this, [this] { autoUpdateAssociations(); });
        if (m_options->autoQuitBox->isChecked() && !m_startWeek.isValid())
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    if (m_startWeek.isValid()) runGuarded(this, [this] { showRequestedWeek(*this, m_startWeek); });
    emit startupFinished();
}

void MainWindow::closeEvent(QCloseEvent *e) {
    if (m_closing) return e->accept();
    // A running import is cancelled first; the window closes, with its own
    // question, once the run has unwound from its fetch.
    if (importRunning(this)) {
        cancelImportThenClose(this);
        return e->ignore();
    }
    if (!confirmClose()) return e->ignore();
    m_closing = true;
    onClosing();
    e->accept();
}

bool MainWindow::confirmClose() { return settleAssociations(); }

bool MainWindow::settleAssociations() {
    if (associationsDirty()) {
        const auto answer =
            prompter().message(this, QMessageBox::Question, QStringLiteral("保存の確認"),
                               QStringLiteral("関連付けが更新されていますが、保存しますか?"),
                               QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
        if (answer == QMessageBox::Yes) {
            bool saved = false;
            return runGuarded(this, [&] { saved = saveAssociationIndex(); }) && saved;
        }
        if (answer != QMessageBox::No) return false;
        discardAssociationChanges();
    }
    // file.idx read once more: a loss the window has not seen yet is found,
    // and the save asks whether to put back what the window holds. Nothing
    // of the user's is at stake when that cannot run.
    try {
        return m_folderSync->saveIndex();
    } catch (const Error &) {
        return true;
    }
}

void MainWindow::discardAssociationChanges() {
    m_store.discardChanges();
    statusPanels->setPanelText(0, QString());
    for (int i = 0; i < tabCount(); ++i) refreshTable(i);
    selectionFeedback();
}

void MainWindow::onClosing() {
    playerCommands->shutdown();
    runGuarded(this, [this] {
        if (m_options) m_options->saveSettings();
    });
    runGuarded(this, [this] { disposeAllTabs(); });
}

// ---- chart store on the window -----------------------------------------------------

void MainWindow::fullLoad() {
    QString folder = m_options ? m_options->dataFolderEdit->text() : QString();
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    m_store.dataFolder = sjis::fromUnicode(folder);
    m_store.programFolder = env::programFolder();
    const QByteArray start =
        m_options ? sjis::fromUnicode(m_options->dateStartBox->currentText()) : QByteArray();
    const QByteArray end = m_options ? sjis::fromUnicode(m_options->dateEndBox->currentText()) : QByteArray();

    CursorGuard cursor;
    repaint();
    FreezeGuard freeze(this);
    m_loading = true;
    const int before = tabCount();
    ScopeExit done([this, before] {
        m_loading = false;
        syncPages();
        if (tabCount() > before) {
            setActiveTab(tabCount() - 1);
            syncDateListSelection();
        }
        ensureCurrentView();
        selectionFeedback();
    });
    m_folderSync->follow(m_store.dataFolder);
    WaitGuard wait(this);
    LoadWatcher watcher(wait.get(), [this] { syncPages(); });
    m_store.fullLoad(start, end, &watcher);
}

// Brings the pages in line with the store's tables: a page per table, the
// last one added active. Pages are matched by tag, not by count: a table
// that replaced another at the same index gets a fresh page, so captions
// and association edits never point at another date's rows.
void MainWindow::syncPages() {
    const int tables = static_cast<int>(m_store.tabs.size());
    int count = pageStack->count();
    int same = 0;
    while (same < count && same < tables && m_pageTags.at(same) == m_store.tabs.at(same).tag) ++same;
    if (same == count && count == tables) return;
    const bool added = tables > same;
    while (count > same) {
        QWidget *w = pageStack->widget(--count);
        if (auto *sheet = qobject_cast<DatePage *>(w)) noteCaption(sjis::fromUnicode(sheet->caption()), -1);
        pageStack->removeWidget(w);
        delete w;
    }
    m_pageTags.resize(count);
    while (m_models.size() > count) m_models.removeLast();
    for (int k = count; k < tables; ++k) {
        const ChartTab &t = m_store.tabs.at(k);
        auto *sheet = new DatePage(t.tag, sjis::toUnicode(t.caption), pageStack);
        sheet->setObjectName(QStringLiteral("TabSheet%1").arg(k + 1));
        pageStack->addWidget(sheet);
        m_pageTags.append(t.tag);
        m_models.append(nullptr);
        noteCaption(t.caption, +1);
    }
    // Each new page becomes the active one; a full load passes through
    // them all, so only the last is shown when it ends.
    if (added && !m_loading) {
        setActiveTab(tables - 1);
        syncDateListSelection();
    }
    emit chartsChanged();
}

int MainWindow::addChartTable(const QString &fileName, int index, const QList<QByteArray> &lines) {
    ScopeExit pages([this] { syncPages(); });
    return m_store.addChartTable(fileName, index, lines);
}

int MainWindow::loadChartFile(int index, const QString &path) {
    ScopeExit pages([this] { syncPages(); });
    return m_store.loadChartFile(index, path);
}

void MainWindow::disposeAllTabs() {
    CursorGuard cursor;
    repaint();
    WaitGuard wait(this, QStringLiteral("終了処理中です..."), false);
    FreezeGuard freeze(this);
    m_loading = true;
    ScopeExit done([this] {
        m_loading = false;
        selectionFeedback();
        dateList->viewport()->update();
    });
    const int count = pageStack->count();
    QList<QWidget *> pages;
    for (int i = 0; i < count; ++i) pages << pageStack->widget(i);
    int shown = 0;
    for (int i = 0; i < count; ++i) {
        auto *sheet = qobject_cast<DatePage *>(pages.at(i));
        if (sheet) {
            noteCaption(sjis::fromUnicode(sheet->caption()), -1);
            delete sheet->listView();
        }
        pageStack->removeWidget(pages.at(i));
        delete pages.at(i);
        const int percent = static_cast<int>(static_cast<qint64>(i) * 100 / count);
        if (percent != shown) {
            shown = percent;
            wait->setProgress(percent);
            wait->repaint();
        }
    }
    m_models.clear();
    m_pageTags.clear();
    m_captions.clear();
    m_store.clear();
}

void MainWindow::buildDateList() {
    QByteArray folder = m_store.dataFolder;
    if (folder.isEmpty() && m_options) {
        QString f = m_options->dataFolderEdit->text();
        if (!f.isEmpty() && !f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
        folder = sjis::fromUnicode(f);
    }
    const QList<QByteArray> notFound = readNotFoundList(folder, env::programFolder());
    const QSet<QByteArray> nf(notFound.begin(), notFound.end());
    QList<QByteArray> labels;
    if (m_options) {
        const auto start = dateFromLabel(sjis::fromUnicode(m_options->dateStartBox->currentText()));
        const auto end = dateFromLabel(sjis::fromUnicode(m_options->dateEndBox->currentText()));
        if (start && end) {
            QSet<QByteArray> captions;
            for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it) captions.insert(it.key());
            labels = vorq::buildDateList(*start, *end, nf, m_options->hideNoDataBox->isChecked(), captions);
        }
    }
    m_syncing = true;
    ScopeExit syncing([this] { m_syncing = false; });
    m_dateLabels = labels;
    m_dateIndex.clear();
    QStringList texts;
    texts.reserve(labels.size());
    for (int i = 0; i < labels.size(); ++i) {
        m_dateIndex.insert(labels.at(i), i);
        texts << sjis::toUnicode(labels.at(i));
    }
    dateList->setDates(texts);
    syncDateListSelection();
}

void MainWindow::syncDateListSelection() {
    if (pageStack->count() == 0) return;
    const DatePage *sheet = tabSheet(activeTab());
    if (!sheet) return;
    const int row = m_dateIndex.value(dateLabelFromTag(sheet->tag()), -1);
    const bool was = m_syncing;
    m_syncing = true;
    if (row >= 0) {
        dateList->setCurrentRow(row);
    } else {
        dateList->setCurrentRow(-1);
        dateList->clearSelection();
    }
    m_syncing = was;
    dateList->viewport()->update();
}

void MainWindow::noteCaption(const QByteArray &caption, int delta) {
    const int n = m_captions.value(caption) + delta;
    if (n > 0)
        m_captions.insert(caption, n);
    else
        m_captions.remove(caption);
}

// ---- pages --------------------------------------------------------------------------

int MainWindow::tabCount() const { return pageStack->count(); }
int MainWindow::activeTab() const { return pageStack->currentIndex(); }

void MainWindow::setActiveTab(int index) { pageStack->setCurrentIndex(index); }

DatePage *MainWindow::tabSheet(int index) const { return qobject_cast<DatePage *>(pageStack->widget(index)); }

QTableView *MainWindow::listView(int index) {
    DatePage *sheet = tabSheet(index);
    if (!sheet) return nullptr;
    if (sheet->listView()) return sheet->listView();

    auto *view = new QTableView(sheet);
    view->setObjectName(QStringLiteral("ListView%1").arg(index + 1));
    view->setProperty("tag", index + 1);
    view->setAccessibleName(sheet->caption() + QStringLiteral("のチャート"));
    auto *model = new ChartTableModel(&m_store, index, view);
    m_models[index] = model;
    view->setModel(model);
    view->setItemDelegate(new ChartRowDelegate(&playingMark, sheet->tag(), view));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    QHeaderView *header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->resizeSection(0, 50);
    header->resizeSection(1, 400);
    header->resizeSection(2, 250);
    // The selection stays visible without focus.
    QPalette pal = view->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(pal);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, view] {
        if (tabSheet(activeTab()) && tabSheet(activeTab())->listView() == view) selectionFeedback();
    });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { onOpenClicked(); });
    // The keyboard's row is framed across the row: repaint whole rows.
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view->viewport(),
            qOverload<>(&QWidget::update));
    associationCommands->attachView(view);
    sheet->setListView(view);
    // Tab goes from the dates to their chart, whenever the chart was made.
    QWidget::setTabOrder(dateList, view);
    return view;
}

void MainWindow::refreshTable(int index) {
    if (index >= 0 && index < m_models.size() && m_models.at(index)) m_models.at(index)->rowsChanged();
    emit chartsChanged();
}

void MainWindow::activeTabChanged() {
    if (m_loading || m_viewPending) return;
    // Views are made for the page that stays on view, not for every page
    // a load passes through.
    m_viewPending = true;
    QMetaObject::invokeMethod(
        this, [this] { ensureCurrentView(); }, Qt::QueuedConnection);
}

void MainWindow::ensureCurrentView() {
    m_viewPending = false;
    if (activeTab() >= 0) listView(activeTab());
    // The buttons and status bar follow the page on view.
    selectionFeedback();
}

// ---- date list ------------------------------------------------------------------------

QByteArray MainWindow::dateLabelAt(int row) const {
    return row >= 0 && row < m_dateLabels.size() ? m_dateLabels.at(row) : QByteArray();
}

bool MainWindow::dateHasData(int row) const { return m_captions.contains(dateLabelAt(row)); }

void MainWindow::onDateListClicked() {
    if (m_syncing) return;
    const int row = dateList->currentRow();
    if (row < 0 || !dateList->item(row)->isSelected()) return;
    importDateList({QString::number(row)});
}

void MainWindow::importDateList(const QStringList &indices) { vorq::importDateList(this, indices); }

void MainWindow::importMissingDates() { vorq::importMissingDates(this); }

void MainWindow::autoUpdateAssociations() { associationCommands->autoUpdate(); }

void MainWindow::onDateListRightPressed(const QPoint &pos) {
    QListWidgetItem *item = dateList->itemAt(pos);
    if (!item) return;
    const int row = dateList->row(item);
    bool found = false;
    if (const auto date = dateFromLabel(dateLabelAt(row))) {
        const int tag = dateTag(*date);
        for (int i = 0; i < tabCount(); ++i) {
            if (tabSheet(i)->tag() != tag) continue;
            setActiveTab(i);
            syncDateListSelection();
            found = true;
        }
    }
    if (m_options && !m_options->importFromWebRadio->isChecked()) found = true;
    importAction->setVisible(!found);
    m_rightClicked = row;
    dateMenu->popup(dateList->viewport()->mapToGlobal(pos));
}

QString MainWindow::dateUrl(const QDate &date) const {
    // The import driver forms its addresses with the same rule, so the page
    // opened here is the page an import of the date fetches.
    QByteArray pattern;
    if (!m_options || !sjis::tryFromUnicode(m_options->dataUrlEdit->text(), &pattern)) return {};
    return sjis::toUnicode(formatDatePattern(pattern, date));
}

void MainWindow::onOpenOnlineTriggered() {
    const auto date = dateFromLabel(dateLabelAt(m_rightClicked));
    if (!date) return;
    runGuarded(this, [&] {
        const QString url = dateUrl(*date);
        QString error;
        if (!shell().execute(this, QStringLiteral("open"), url, &error)) prompter().error(this, error);
    });
}

void MainWindow::onImportTriggered() {
    if (m_rightClicked < 0 || m_rightClicked >= dateList->count()) return;
    {
        const bool was = m_syncing;
        m_syncing = true;
        dateList->setCurrentRow(m_rightClicked);
        m_syncing = was;
    }
    onDateListClicked();
}

// ---- selection and associations --------------------------------------------------

const ChartEntry *MainWindow::selectedEntry() const {
    const int tab = activeTab();
    const DatePage *sheet = tabSheet(tab);
    if (!sheet || !sheet->listView() || tab >= m_store.tabs.size()) return nullptr;
    const QModelIndexList rows = sheet->listView()->selectionModel()->selectedRows();
    const ChartTable &table = m_store.tabs.at(tab).rows;
    if (rows.isEmpty() || rows.first().row() >= table.size()) return nullptr;
    return &table.at(rows.first().row());
}

QString MainWindow::currentFile() const {
    const ChartEntry *e = selectedEntry();
    if (!e || e->file.isEmpty()) return {};
    // A medium-rooted path that leaves the medium shows as stored; open refuses it.
    return resolveStoredTarget(e->file).displayText();
}

QString MainWindow::currentMethod() const {
    const ChartEntry *e = selectedEntry();
    if (!e) return {};
    return e->method.isEmpty() ? QStringLiteral("open") : sjis::toUnicode(e->method);
}

void MainWindow::selectionFeedback() {
    const QString file = currentFile();
    const QString method = currentMethod();
    openButton->setEnabled(!file.isEmpty());
    if (!m_options || !m_options->lockAssociationsBox->isChecked()) clearButton->setEnabled(!file.isEmpty());
    statusPanels->setPanelText(2, file);
    statusPanels->setPanelText(1, file.isEmpty() ? QString() : method);
    statusPanels->setPanelText(3, QString());
}

void MainWindow::markChanged() { statusPanels->setPanelText(0, dirtyText()); }

bool MainWindow::associationsDirty() const { return statusPanels->panelText(0) == dirtyText(); }

bool MainWindow::saveAssociationIndex() {
    if (!associationsDirty()) return true;
    if (!m_folderSync->saveIndex()) return false;  // throws with the marker still set
    statusPanels->setPanelText(0, QString());
    return true;
}

bool MainWindow::operationRunning() const {
    return !m_loaded || m_loading || m_closing || m_startupGuard == 0 ||
           importRunning(const_cast<MainWindow *>(this)) || QApplication::activeModalWidget() != nullptr;
}

void MainWindow::addChartQuietly(const QString &path) {
    m_loading = true;  // the page on view stays
    ScopeExit done([this] {
        syncPages();
        m_loading = false;
        dateList->viewport()->update();
    });
    m_store.loadChartFile(static_cast<int>(m_store.tabs.size()), path);
}

void MainWindow::onStatusBarDoubleClicked() {
    runGuarded(this, [this] { saveAssociationIndex(); });
}

void MainWindow::onOpenClicked() {
    const QString file = currentFile();
    if (file.isEmpty()) return;
    if (const ChartEntry *e = selectedEntry(); resolveStoredTarget(e->file).isRefused()) {
        prompter().message(this, QMessageBox::Warning, QStringLiteral("ファイルが見つかりません"),
                           file + QStringLiteral("は存在しません。\r\nファイルの場所を確認するか、"
                                                 "ディスクを変更してもう一度実行してください"),
                           QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    runGuarded(this, [&] {
        QString error;
        if (!shell().execute(this, currentMethod(), file, &error)) prompter().error(this, error);
    });
}

void MainWindow::onOptionsClicked() {
    if (m_options) m_options->showOptions();
}

void MainWindow::onQuitClicked() { close(); }

void MainWindow::onAboutClicked() {
    AboutBox about(this);
    if (m_options) about.homePageLink->setText(m_options->homeUrlEdit->text());
    about.exec();
}

void MainWindow::onClearClicked() {
    runGuarded(this, [this] { associationCommands->clear(); });
}

void MainWindow::onAutoUpdateClicked() {
    runGuarded(this, [this] { associationCommands->confirmAndAutoUpdate(); });
}

void MainWindow::onFilesDropped(const QStringList &files, const QPoint &globalPos) {
    runGuarded(this, [&] { associationCommands->drop(files, globalPos); });
}

void MainWindow::onConnectionTimerTick() { vorq::importTimerTick(this); }

void MainWindow::setAssociationEditingVisible(bool visible) {
    clearButton->setVisible(visible);
    autoUpdateButton->setVisible(visible);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent *e) {
    QStringList files;
    for (const QUrl &url : e->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty()) return;
    e->acceptProposedAction();
    onFilesDropped(files, mapToGlobal(e->position().toPoint()));
}

}  // namespace vorq
