#pragma once
// The result list window ("Form3", caption "検索結果"): chart entries
// gathered from several dates, shown modally by three callers, each in its
// own layout. Created once with the main window (MainWindow::resultWindow())
// and kept for the program's life; its rows stay until a caller clears them.
//
// How callers use it:
//   auto *w = mainWindow->resultWindow();
//   w->clearRows();                       // or setRows(list)
//   w->appendRow(row);                    // vorq::ResultRow, eight texts
//   w->selectRow(i);                      // pre-select (the same song's own row)
//   w->setHeaderText(text);               // Label1
//   w->setLayoutMode(ResultListWindow::SameSong);   // also sets icon and captions
//   w->setIcon(QMessageBox::Question);    // Image1, after the layout if needed
//   w->setSongCount(n);                   // SpinEdit1 (playlist layout)
//   const int answer = w->exec();         // ApplyToAll, ApplyToSelected, ChangeNothing
//   w->selectedRows();                    // row indices, ascending, for ApplyToSelected
//   w->setLayoutMode(ResultListWindow::SameSong);   // restore afterwards
//
// Layouts: Search (apply buttons hidden, "閉じる", information icon),
// SameSong (the window as created: "すべて変更する", "選択した項目のみ変更する",
// "何も変更しない", question icon) and Playlist (no icon, song count and the
// playlist commands, sizeable). Print and save use the song count in the
// playlist layout and the number of rows otherwise. "再生" (search and
// playlist layouts) asks the player to play the rows: playRequested.
#include <QDialog>
#include <QMessageBox>
#include <functional>

#include "core/lists/listoutput.h"
#include "core/lists/resultlist.h"

class QLabel;
class QPushButton;
class QSpinBox;
class QTableView;

namespace vorq {

class ResultListModel;
class ResultListView;

class ResultListWindow : public QDialog {
    Q_OBJECT
public:
    enum LayoutMode { Search, SameSong, Playlist };
    // The modal answers; ChangeNothing is also what Escape gives.
    enum Answer { ChangeNothing = 0, ApplyToAll = 2, ApplyToSelected = 3 };

    explicit ResultListWindow(QWidget *parent = nullptr);
    ~ResultListWindow() override;

    // ---- rows -------------------------------------------------------------
    void clearRows();
    void appendRow(const vorq::ResultRow &row);
    void setRows(vorq::ResultList rows);
    const vorq::ResultList &rows() const;
    int rowCount() const;
    // Sorts with a caller's order (the list is repainted afterwards).
    void sortRows(const std::function<bool(const vorq::ResultRow &, const vorq::ResultRow &)> &lessThan);
    // The column sort of a header click: flips the column's direction first.
    void sortByColumn(int column);
    int sortDirection(int column) const { return m_directions[column]; }

    // ---- selection --------------------------------------------------------
    void selectRow(int row);  // adds the row to the selection and shows it
    void clearSelection();
    QList<int> selectedRows() const;  // ascending

    // ---- layout and texts ---------------------------------------------------
    void setLayoutMode(LayoutMode mode);
    LayoutMode layoutMode() const { return m_mode; }
    void setHeaderText(const QString &text);
    QString headerText() const;
    void setIcon(QMessageBox::Icon icon);  // NoIcon hides Image1
    void setSongCount(int count);
    int songCount() const;
    // The row count that print and save use.
    qint64 outputCount() const;

    // The "OutputList" choices of the options dialog, read at each print
    // and save (defaults until set).
    void setOutputChoiceSource(std::function<vorq::OutputChoice()> source) { m_choice = std::move(source); }
    vorq::OutputChoice outputChoice() const;

    // Shows the window modally; returns an Answer.
    int exec() override;
    Answer answer() const { return m_answer; }

    // ---- commands (the buttons' handlers) ------------------------------------
    void onApplyToAllClicked();
    void onApplyToSelectedClicked();
    void onCloseClicked();
    void onPrintClicked();
    void onSaveClicked();
    void onSavePlaylistClicked();
    void onCopyClicked();
    // The selected rows' local files (drag-out, context menu).
    QStringList selectedFiles() const;

    // ---- controls -------------------------------------------------------------
    QLabel *iconLabel = nullptr;                   // Image1
    QLabel *headerLabel = nullptr;                 // Label1
    QPushButton *applyToAllButton = nullptr;       // Button1 "すべて変更する"
    QPushButton *applyToSelectedButton = nullptr;  // Button2 "選択した項目のみ変更する"
    QPushButton *closeButton = nullptr;            // Button3
    QLabel *songListLabel = nullptr;               // Label3 "曲目リスト"
    QPushButton *printButton = nullptr;            // Button6 "印刷"
    QPushButton *saveButton = nullptr;             // Button7 "保存"
    QLabel *songCountLabel = nullptr;              // Label2
    QSpinBox *songCountSpin = nullptr;             // SpinEdit1
    QLabel *associationLabel = nullptr;            // Label4 "関連付けファイル"
    QPushButton *savePlaylistButton = nullptr;     // Button4 "リスト保存"
    QPushButton *copyButton = nullptr;             // Button5 "コピー"
    QPushButton *playButton = nullptr;             // PlayButton "再生"
    ResultListView *listView = nullptr;            // ListView1

    // The designed column widths (the date column never narrower than a
    // date label in the font in use).
    QList<int> designedColumnWidths() const;

signals:
    // "再生": the rows (with the song count in the playlist layout) are to play.
    void playRequested();

protected:
    void closeEvent(QCloseEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void reject() override;

private:
    void finish(Answer a);
    void writePlaylist(const QString &path, bool copyMode);
    // As it shows, the window widens (up to what the screen holds) so the
    // columns show their texts whole, and the columns share the room; the
    // file column takes what is left whenever the list's room changes.
    void fitColumnsOnShow();
    void fillFileColumn();

    ResultListModel *m_model = nullptr;
    LayoutMode m_mode = SameSong;
    Answer m_answer = ChangeNothing;
    int m_directions[6] = {1, 1, 1, 1, 1, 1};
    std::function<vorq::OutputChoice()> m_choice;
    bool m_fitting = false;
};

}  // namespace vorq
