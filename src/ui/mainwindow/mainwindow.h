#pragma once
// The main window: the date list down the left, one hidden-tab page per
// loaded date with its chart, the command buttons and the status bar. It
// owns the chart store; the logic lives in the core, this form wires it.
#include <QHash>
#include <QLabel>
#include <QMainWindow>
#include <QTableView>

#include "core/charts/chartstore.h"
#include "core/lists/listoutput.h"
#include "ui/mainwindow/chartrowdelegate.h"
#include "ui/mainwindow/datelistwidget.h"
#include "ui/mainwindow/datepage.h"
#include "ui/mainwindow/panelstatusbar.h"
#include "ui/options/optionsdialog.h"

class QMenu;
class QAction;
class QPushButton;
class QStackedWidget;
class QTimer;
class QToolButton;

namespace vorq {

class AssociationCommands;
class CdrCommands;
class ChartTableModel;
class HistoryCommands;
class ListCommands;
class PlaylistCommands;
class PlayerCommands;
class ResultListWindow;
class SearchDialog;
class DataFolderSync;

class MainWindow : public QMainWindow, public OptionsHost {
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The options dialog holding the configuration (not owned); set before
    // the window is first shown.
    void setOptions(OptionsDialog *options);
    OptionsDialog *options() const { return m_options; }
    // The result list window ("Form3") and the search dialog ("Form5"),
    // created with the main window and kept for its life (listCommands).
    ResultListWindow *resultWindow() const;
    SearchDialog *searchDialog() const;
    ChartStore &store() { return m_store; }
    const ChartStore &store() const { return m_store; }

    // ---- chart store operations on the window --------------------------
    void fullLoad() override;
    void buildDateList() override;
    void disposeAllTabs() override;
    // Adds a chart as a new page (index = number of the store's tables for imports) and
    // makes it the active page. Returns the index.
    int addChartTable(const QString &fileName, int index, const QList<QByteArray> &lines);
    int loadChartFile(int index, const QString &path);
    void syncDateListSelection();

    // ---- pages ----------------------------------------------------------
    int tabCount() const;
    int activeTab() const;  // -1 without pages
    void setActiveTab(int index);
    DatePage *tabSheet(int index) const;
    // "ListView" + (index + 1), created now if its page was never shown.
    QTableView *listView(int index);
    // Repaints the rows of a table after its entries changed.
    void refreshTable(int index);

    // ---- date list ------------------------------------------------------
    // The Shift-JIS label of a date-list item.
    QByteArray dateLabelAt(int row) const;
    bool dateHasData(int row) const;

    // Shows the tabs of the chosen dates, importing those not loaded by the
    // import mode (through the main window's import driver).
    void importDateList(const QStringList &indices);
    void importMissingDates() override;
    // The automatic association update without its question (first
    // activation); the association commands provide it.
    void autoUpdateAssociations();

    // ---- selection and associations --------------------------------------
    // The selected target of the active page: the selected row's associated
    // file (a full path unless it is an address) and its verb ("open" when
    // the row has none); both empty without a selected row.
    QString currentFile() const;
    QString currentMethod() const;
    // The selected row of the active page; null without one.
    const ChartEntry *selectedEntry() const;
    void selectionFeedback();
    // The chart history commands (shortcuts and the row menu's entries).
    HistoryCommands *historyCommands = nullptr;
    void markChanged();  // the dirty marker "更新"
    bool associationsDirty() const;
    // When dirty: saves and clears the marker. False when the user cancelled
    // a question of the save (the marker stays). Throws as the save does.
    bool saveAssociationIndex();
    // Before the charts are loaded again (options, a version put back):
    // unsaved association changes are saved, discarded or the reload is
    // cancelled, as the user answers; associations that file.idx lost are
    // kept or let go. False: do not reload.
    bool settleAssociations() override;
    // Gives up the unsaved association changes; the rows show file.idx again.
    void discardAssociationChanges();
    DataFolderSync *dataFolderSync() const { return m_folderSync; }
    // Whether a modal operation (load, import, automatic update, CD-R, a
    // question) is running: changes from other programs wait for its end.
    bool operationRunning() const;
    // Adds a chart another program stored as a page, without leaving the
    // page on view.
    void addChartQuietly(const QString &path);

    // Hooks of the options dialog for commands of later features.
    void startCdrWizard() override;
    void restoreFromCdr() override;
    void setAssociationEditingVisible(bool visible) override;

    // ---- event handlers, named as the form binds them -----------------------
    void onDateListClicked();
    void onDateListRightPressed(const QPoint &pos);
    void onOpenOnlineTriggered();
    void onImportTriggered();
    void onOpenClicked();
    void onOptionsClicked();
    void onQuitClicked();
    void onClearClicked();
    void onAutoUpdateClicked();
    void onAboutClicked();
    void onStatusBarDoubleClicked();
    void onConnectionTimerTick();
    // Files dropped from the desktop on the window.
    void onFilesDropped(const QStringList &files, const QPoint &globalPos);

    // The URL of a date from the options dialog's template.
    QString dateUrl(const QDate &date) const;

    // ---- controls -------------------------------------------------------
    DateListWidget *dateList = nullptr;
    QStackedWidget *pageStack = nullptr;
    QLabel *emptyHint = nullptr;      // over pageStack while it has no page
    QWidget *commandPanel = nullptr;  // bottom panel
    QPushButton *openButton = nullptr;
    QPushButton *optionsButton = nullptr;
    QPushButton *quitButton = nullptr;
    QPushButton *clearButton = nullptr;
    QPushButton *searchButton = nullptr;
    QPushButton *makePlaylistButton = nullptr;
    QPushButton *autoUpdateButton = nullptr;
    QPushButton *printButton = nullptr;
    QPushButton *saveListButton = nullptr;
    QToolButton *aboutButton = nullptr;
    QLabel *songListLabel = nullptr;     // "曲目リスト"
    QLabel *associationLabel = nullptr;  // "関連付けファイル"
    QLabel *songListMarkLeft = nullptr;
    QLabel *songListMarkRight = nullptr;
    QLabel *associationMarkLeft = nullptr;
    QLabel *associationMarkRight = nullptr;
    PanelStatusBar *statusPanels = nullptr;
    QMenu *dateMenu = nullptr;
    // The association group's menu: save, and the kept versions of file.idx.
    QToolButton *associationMenuButton = nullptr;
    QMenu *associationMenu = nullptr;
    QAction *openOnlineAction = nullptr;  // "オンラインで開く"
    QAction *importAction = nullptr;      // "取り込み"
    QTimer *connectionTimer = nullptr;
    // The commands of the features, each wired to its buttons here.
    // Clear, drop, automatic update, drag-out and the file menu.
    AssociationCommands *associationCommands = nullptr;
    // Search, print and save of the active chart; the result list window.
    ListCommands *listCommands = nullptr;
    // "リスト作成".
    PlaylistCommands *playlistCommands = nullptr;
    // The CD-R wizard and restore.
    CdrCommands *cdrCommands = nullptr;
    // The countdown player: its bar, queue, menus and media controls.
    PlayerCommands *playerCommands = nullptr;
    // The row the player plays, marked in the chart views.
    PlayingMark playingMark;

    // The dateList index on which the date menu was opened.
    int rightClickedIndex() const { return m_rightClicked; }
    // 0 until the start-up sequence has run, then 1.
    int startupGuard() const { return m_startupGuard; }
    // A week to show once started (vorqview --date); the start-up's
    // automatic close then does not apply, the user asked to see it.
    void setStartWeek(const QDate &week) { m_startWeek = week; }

signals:
    // The start-up load and the first activation have run.
    void startupFinished();
    // Rows of the loaded charts changed (associations, the live view) or
    // pages came or went; windows that show them follow.
    void chartsChanged();

protected:
    void showEvent(QShowEvent *e) override;
    void changeEvent(QEvent *e) override;
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void dragEnterEvent(QDragEnterEvent *e) override;
    void dropEvent(QDropEvent *e) override;

private:
    void buildLayout();
    void onFirstShow();
    void onActivated();
    bool confirmClose();
    void onClosing();
    void syncPages();
    void ensureCurrentView();
    void activeTabChanged();
    void noteCaption(const QByteArray &caption, int delta);

    OptionsDialog *m_options = nullptr;
    ChartStore m_store;
    DataFolderSync *m_folderSync = nullptr;
    QHash<QByteArray, int> m_captions;   // caption -> number of tabs with it
    QList<QByteArray> m_dateLabels;      // dateList items as Shift-JIS
    QHash<QByteArray, int> m_dateIndex;  // label -> first dateList row
    QList<ChartTableModel *> m_models;   // per table, created with its view
    QList<int> m_pageTags;               // per page, the tag of the table it shows
    int m_startupGuard = 0;
    QDate m_startWeek;
    int m_rightClicked = -1;
    bool m_shown = false;          // start-up load started
    bool m_loaded = false;         // start-up load ended
    bool m_activationDue = false;  // activated before the load ended
    bool m_loading = false;        // a full load adds pages
    bool m_viewPending = false;    // the current page's view is due
    bool m_syncing = false;
    bool m_closing = false;
};

}  // namespace vorq
