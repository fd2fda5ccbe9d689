#pragma once
// The association commands of the main window: clear, files dropped on a
// row, the same-song question, the automatic update, dragging the associated
// file out of a chart view and its file menu. The main window creates one
// and wires its buttons and views to it.
#include <QByteArray>
#include <QList>
#include <QObject>
#include <QPoint>
#include <memory>

#include "core/charts/associationupdate.h"

class QAction;
class QTableView;
class QWidget;

namespace vorq {

class MainWindow;

// How far a new association reaches when the song has other rows: asked in
// the result list window's same-song layout.
class SameSongQuestion {
public:
    enum class Answer { All, Selected, Nothing };
    virtual ~SameSongQuestion() = default;
    // rows: every same-song row in tab order, self among them (selected when
    // asked). Returns the answer; *chosen holds the rows to change (all of
    // them, the selected ones, or none).
    virtual Answer ask(QWidget *parent, const QList<RowRef> &rows, const RowRef &self,
                       QList<RowRef> *chosen) = 0;
};

class AssociationCommands : public QObject {
    Q_OBJECT
public:
    explicit AssociationCommands(MainWindow *form);
    ~AssociationCommands() override;

    // The question asked when a song has several rows (not owned; tests
    // script it). Without one, the result list window asks.
    void setQuestion(SameSongQuestion *question) { m_question = question; }

    // "消去": the selected row's association, through assign.
    void clear();
    // Files dropped at a global point: the first one goes to the row under
    // the pointer of the active page, through assign. Nothing with
    // DragDisabled on, outside a row, or for a path Shift-JIS cannot hold
    // (then with a message).
    void drop(const QStringList &files, const QPoint &globalPos);
    // Sets file on the row, or on its same-song rows as the question's answer
    // says. Empty file clears.
    void assign(const RowRef &row, const QByteArray &file);
    // The row's associated file becomes file; the dirty marker is set every
    // time and the selection feedback runs.
    void setFile(const RowRef &row, const QByteArray &file);

    // "自動更新": asks first; true when the update ran.
    bool confirmAndAutoUpdate();
    // The update itself (first activation, after an import, or confirmed).
    AutoUpdateResult autoUpdate();

    // Drag-out and the file menu on a chart view.
    void attachView(QTableView *view);
    bool dragging() const { return m_dragging; }
    QPoint dragOrigin() const { return m_dragOrigin; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTableView *viewOf(QObject *viewport) const;
    int selectedRow(QTableView *view) const;
    void mouseMoved(QTableView *view, const QPoint &pos, Qt::MouseButtons buttons);
    void rightPressed(QTableView *view, const QPoint &globalPos);
    void keyboardMenu(QTableView *view);
    // The chart's own entries of a row's menu: history, the week's countdown.
    QList<QAction *> rowMenuEntries() const;
    bool dragDisabled() const;
    SameSongQuestion &question();

    MainWindow *m_form;
    SameSongQuestion *m_question = nullptr;
    std::unique_ptr<SameSongQuestion> m_ownQuestion;
    QPoint m_dragOrigin;
    bool m_dragging = false;
    bool m_forwarding = false;  // a press handed back to its view
};

}  // namespace vorq
