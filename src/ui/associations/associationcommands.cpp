#include "ui/associations/associationcommands.h"

#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QStackedWidget>
#include <QTableView>

#include "core/base/errors.h"
#include "core/charts/storedtarget.h"
#include "core/lists/search.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/shell.h"
#include "ui/common/waitdialog.h"
#include "ui/history/historycommands.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/player/playercommands.h"
#include "ui/results/resultlistview.h"
#include "ui/results/resultlistwindow.h"

namespace vorq {

namespace {

// Follows the update in the wait dialog.
class UpdateWatcher : public AutoUpdateObserver {
public:
    explicit UpdateWatcher(WaitDialog *wait) : m_feedback(wait) {}
    void editing(const QByteArray &caption) override {
        m_feedback.dialog()->setLabel(QStringLiteral("編集中 : ") + sjis::toUnicode(caption));
    }
    void progress(int percent) override { m_feedback.progress(percent); }
    void yield() override { m_feedback.yield(); }
    bool stopRequested() override { return m_feedback.stopRequested(); }

private:
    WaitFeedback m_feedback;
};

// The question in the result list window's same-song layout: every
// same-song row listed (texts 6 and 7 locate it again, whatever the user's
// column sort), the row itself selected.
class ResultWindowQuestion : public SameSongQuestion {
public:
    explicit ResultWindowQuestion(MainWindow *form) : m_form(form) {}
    Answer ask(QWidget *, const QList<RowRef> &rows, const RowRef &self, QList<RowRef> *chosen) override {
        ResultListWindow *w = m_form->resultWindow();
        const QList<ChartTab> &tabs = m_form->store().tabs;
        w->clearRows();
        w->clearSelection();
        for (const RowRef &r : rows)
            w->appendRow(ResultRow::fromEntry(tabs.at(r.tab).caption, tabs.at(r.tab).rows.at(r.row),
                                              QByteArray::number(r.tab + 1), QByteArray::number(r.row)));
        w->selectRow(int(rows.indexOf(self)));
        w->setLayoutMode(ResultListWindow::SameSong);
        w->setIcon(QMessageBox::Question);
        const ChartEntry &e = tabs.at(self.tab).rows.at(self.row);
        w->setHeaderText(sjis::toUnicode(searchHeader(e.artist, true, e.title)) +
                         QStringLiteral("\r\n同名の項目が複数見つかりましたが、どのように処理しますか?"));
        w->listView->setFocus();
        const int answer = w->exec();
        auto at = [w](int i) {
            const ResultRow &row = w->rows().at(i);
            return RowRef{row.text(ResultRow::Extra1).toInt() - 1, row.text(ResultRow::Extra2).toInt()};
        };
        chosen->clear();
        if (answer == ResultListWindow::ApplyToAll) {
            for (int i = 0; i < w->rowCount(); ++i) chosen->append(at(i));
            return Answer::All;
        }
        if (answer == ResultListWindow::ApplyToSelected) {
            for (int i : w->selectedRows()) chosen->append(at(i));
            return Answer::Selected;
        }
        return Answer::Nothing;
    }

private:
    MainWindow *m_form;
};

// The stored file as drag-out and the file menu see it, existence by the shell.
StoredTarget targetOf(const QByteArray &file) {
    return resolveStoredTarget(file, [](const QString &p) { return shell().exists(p); });
}

}  // namespace

AssociationCommands::AssociationCommands(MainWindow *form) : QObject(form), m_form(form) {}

AssociationCommands::~AssociationCommands() = default;

SameSongQuestion &AssociationCommands::question() {
    if (m_question) return *m_question;
    if (!m_ownQuestion) m_ownQuestion = std::make_unique<ResultWindowQuestion>(m_form);
    return *m_ownQuestion;
}

bool AssociationCommands::dragDisabled() const {
    return m_form->options() && m_form->options()->lockAssociationsBox->isChecked();
}

int AssociationCommands::selectedRow(QTableView *view) const {
    if (!view || !view->selectionModel()) return -1;
    const QModelIndexList rows = view->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

// ---- set file, assign, clear, drop ------------------------------------------------------

void AssociationCommands::setFile(const RowRef &at, const QByteArray &file) {
    QList<ChartTab> &tabs = m_form->store().tabs;
    if (at.tab < 0 || at.tab >= tabs.size() || at.row < 0 || at.row >= tabs.at(at.tab).rows.size()) return;
    ChartTable &rows = tabs[at.tab].rows;
    rows[at.row].file = file;
    m_form->store().noteRowChanged(at.tab, at.row);
    m_form->markChanged();
    m_form->refreshTable(at.tab);
    m_form->selectionFeedback();
}

void AssociationCommands::assign(const RowRef &at, const QByteArray &file) {
    const QList<ChartTab> &tabs = m_form->store().tabs;
    if (at.tab < 0 || at.tab >= tabs.size() || at.row < 0 || at.row >= tabs.at(at.tab).rows.size()) return;
    const ChartEntry &e = tabs.at(at.tab).rows.at(at.row);
    const QList<RowRef> same = sameSongRows(tabs, e.title, e.artist);
    if (same.size() < 2) {
        setFile(at, file);
        return;
    }
    QList<RowRef> chosen;
    if (question().ask(m_form, same, at, &chosen) == SameSongQuestion::Answer::Nothing) return;
    for (const RowRef &r : chosen) setFile(r, file);
}

void AssociationCommands::clear() {
    const int tab = m_form->activeTab();
    if (tab < 0) return;
    const int row = selectedRow(m_form->listView(tab));
    if (row < 0) return;
    assign({tab, row}, QByteArray());
}

void AssociationCommands::drop(const QStringList &files, const QPoint &globalPos) {
    if (dragDisabled() || files.isEmpty()) return;
    const int tab = m_form->activeTab();
    QTableView *view = tab >= 0 ? m_form->listView(tab) : nullptr;
    if (!view) return;
    // Only a drop on a row the user can see: the date list, the buttons or
    // a point past the visible rows share y with some row, not the row.
    const QPoint at = view->viewport()->mapFromGlobal(globalPos);
    if (!view->viewport()->rect().contains(at)) return;
    const int row = view->rowAt(at.y());
    if (row < 0) return;
    const QString name = files.constFirst();
    QByteArray file;
    try {
        file = sjis::fromUnicode(name);
    } catch (const EncodingError &e) {
        prompter().message(m_form, QMessageBox::Warning, QStringLiteral("関連付けできません"),
                           name + QStringLiteral("\r\n") + e.message(), QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    view->setCurrentIndex(view->model()->index(row, 0));
    assign({tab, row}, file);
    view->viewport()->update();
}

// ---- automatic update -------------------------------------------------------------------

bool AssociationCommands::confirmAndAutoUpdate() {
    const QString text = QStringLiteral(
        "次の作業を行いますが、よろしいですか。\r\n\r\n"
        "・存在しないファイルを関連付けから抹消します。\r\n"
        "・すでに設定されている関連付けを参考に、\r\n"
        "  関連付けられていない項目についても、\r\n"
        "  自動的に関連付けを設定します。");
    const auto answer =
        prompter().message(m_form, QMessageBox::Question, QStringLiteral("関連付けの自動更新"), text,
                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes);
    if (answer != QMessageBox::Yes) return false;
    autoUpdate();
    return true;
}

AutoUpdateResult AssociationCommands::autoUpdate() {
    AutoUpdateOptions opts;
    if (OptionsDialog *o = m_form->options()) {
        opts.pattern = sjis::fromUnicode(o->fileNamePatternEdit->text());
        opts.folder = sjis::fromUnicode(o->musicFolderEdit->text());
        opts.autoAdd = o->fileNamePatternBox->isChecked();
    }
    AutoUpdateResult result;
    CursorGuard cursor;
    FreezeGuard frozen(m_form->pageStack);
    WaitGuard wait(m_form);
    // Modal while it runs: the tables it edits must not be disposed, nor new
    // pages added, by a click meanwhile.
    wait->hide();
    wait->setWindowModality(Qt::ApplicationModal);
    wait->showNow();
    ScopeExit done([&] {
        for (int i = 0; i < m_form->tabCount(); ++i) m_form->refreshTable(i);
        if (result.changed) m_form->markChanged();
        m_form->selectionFeedback();
    });
    UpdateWatcher watcher(wait.get());
    // One resolver for the whole update: the current folder and the medium
    // are read once, a missing folder answers for its files.
    StoredTargetResolver resolver({}, [](const QString &p) { return shell().exists(p); });
    result = vorq::autoUpdate(m_form->store().tabs, opts, &watcher,
                              [&resolver](const QByteArray &path) { return resolver.exists(path); });
    // What the update did goes into the journal, also when it was stopped.
    m_form->store().journal.reserveMore(result.changes.size());
    for (const AssociationChange &c : result.changes) m_form->store().noteRowChanged(c.at.tab, c.at.row);
    return result;
}

// ---- drag-out and the file menu ---------------------------------------------------------

void AssociationCommands::attachView(QTableView *view) {
    view->viewport()->installEventFilter(this);
    view->installEventFilter(this);  // keyboard menu requests go to the view
}

QTableView *AssociationCommands::viewOf(QObject *viewport) const {
    return qobject_cast<QTableView *>(viewport->parent());
}

bool AssociationCommands::eventFilter(QObject *watched, QEvent *event) {
    if (m_forwarding) return false;
    const QEvent::Type type = event->type();
    // The menu key, or Shift+F10, on the view itself.
    if (type == QEvent::ContextMenu || type == QEvent::KeyPress) {
        auto *view = qobject_cast<QTableView *>(watched);
        const bool asked =
            type == QEvent::ContextMenu
                ? static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Keyboard
                : static_cast<QKeyEvent *>(event)->key() == Qt::Key_F10 &&
                      static_cast<QKeyEvent *>(event)->modifiers() == Qt::ShiftModifier;
        if (!view || !asked) return false;
        keyboardMenu(view);
        return true;
    }
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove) return false;
    QTableView *view = viewOf(watched);
    if (!view) return false;
    auto *me = static_cast<QMouseEvent *>(event);
    if (type == QEvent::MouseButtonPress) {
        if (me->button() == Qt::LeftButton) m_dragOrigin = me->position().toPoint();
        if (me->button() != Qt::RightButton) return false;
        // The press selects the row under the pointer first, as it does for
        // the left button; the menu is for what is then selected.
        m_forwarding = true;
        QCoreApplication::sendEvent(watched, event);
        m_forwarding = false;
        rightPressed(view, me->globalPosition().toPoint());
        return true;
    }
    if (!(me->buttons() & (Qt::LeftButton | Qt::RightButton))) return false;
    mouseMoved(view, me->position().toPoint(), me->buttons());
    // A held button drags the file, it does not move the selection.
    return true;
}

void AssociationCommands::mouseMoved(QTableView *view, const QPoint &pos, Qt::MouseButtons buttons) {
    if (m_dragging) return;
    if (!(buttons & (Qt::LeftButton | Qt::RightButton))) return;
    if (qAbs(pos.x() - m_dragOrigin.x()) <= 9 && qAbs(pos.y() - m_dragOrigin.y()) <= 9) return;
    const int row = selectedRow(view);
    const int tab = view->property("tag").toInt() - 1;
    if (row < 0 || tab < 0 || tab >= m_form->store().tabs.size()) return;
    const QByteArray file = m_form->store().tabs.at(tab).rows.value(row).file;
    if (file.isEmpty()) return;
    const StoredTarget target = targetOf(file);
    // A web address is no file to drop anywhere.
    if (target.isWeb()) return;
    if (target.exists) {
        m_dragging = true;
        ScopeExit over([this] { m_dragging = false; });
        shell().dragFiles(view, {target.localPath});
        return;
    }
    if (m_form->options() && m_form->options()->missingFileAlertBox->isChecked())
        prompter().message(
            m_form, QMessageBox::Warning, QStringLiteral("ファイルが見つかりません"),
            target.displayText() + QStringLiteral("は存在しません。\r\n"
                                                  "ファイルの場所を確認するか、"
                                                  "ディスクを変更してもう一度実行してください"),
            QMessageBox::Ok, QMessageBox::Ok);
}

void AssociationCommands::rightPressed(QTableView *view, const QPoint &globalPos) {
    const int row = selectedRow(view);
    const int tab = view->property("tag").toInt() - 1;
    if (row < 0 || tab < 0 || tab >= m_form->store().tabs.size()) return;
    const QByteArray file = m_form->store().tabs.at(tab).rows.value(row).file;
    // Our file menu is for local files that exist; a row with no file to
    // drag gets the chart's own entries alone. A missing file's right press
    // may start a drag, which reports the file missing.
    const StoredTarget target = targetOf(file);
    if (!target.isWeb() && target.exists)
        shell().contextMenu(view, {target.localPath}, globalPos, rowMenuEntries());
    else if (file.isEmpty() || target.isWeb())
        shell().contextMenu(view, {}, globalPos, rowMenuEntries());
}

QList<QAction *> AssociationCommands::rowMenuEntries() const {
    QList<QAction *> entries;
    if (HistoryCommands *h = m_form->historyCommands) entries << h->songAction << h->artistAction;
    if (PlayerCommands *p = m_form->playerCommands) entries << p->chartCountdownAction();
    return entries;
}

// The context-menu key (or Shift+F10) on a chart: the menu of the selected
// row, or of the week alone without one. No drag can follow a key.
void AssociationCommands::keyboardMenu(QTableView *view) {
    const int row = selectedRow(view);
    const int tab = view->property("tag").toInt() - 1;
    QRect rect = view->viewport()->rect();
    QStringList files;
    if (row >= 0 && tab >= 0 && tab < m_form->store().tabs.size()) {
        view->scrollTo(view->model()->index(row, 0));
        rect = view->visualRect(view->model()->index(row, 1));
        const StoredTarget target = targetOf(m_form->store().tabs.at(tab).rows.value(row).file);
        if (!target.isWeb() && target.exists) files << target.localPath;
    }
    shell().contextMenu(view, files, view->viewport()->mapToGlobal(rect.center()), rowMenuEntries());
}

}  // namespace vorq
