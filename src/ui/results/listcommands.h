#pragma once
// The list commands: the main window's result list window and search
// dialog, the search and print and save of the active chart (ListCommands),
// and the print and save steps every song list shares with the result list
// window. Dialogs go through the Prompter, the work through the core's list
// output.
#include <QByteArray>
#include <QObject>
#include <QString>

#include "core/lists/listoutput.h"

class QWidget;

namespace vorq {

class MainWindow;
class ResultListWindow;
class SearchDialog;

// Created and wired by the main window. The result list window is no child
// of the main window, so the main window's widget tree stays the date list,
// its pages and its controls; it goes with these commands.
class ListCommands : public QObject {
public:
    explicit ListCommands(MainWindow *form);
    ~ListCommands() override;

    // The result list window and the search dialog, created with the main
    // window and kept for its life.
    ResultListWindow *resultWindow() const { return m_resultWindow; }
    SearchDialog *searchDialog() const { return m_searchDialog; }
    // The options dialog's "OutputList" choices (defaults without it).
    OutputChoice outputChoice() const;
    // The search function: fills the result window with the matching rows of
    // every loaded chart (the originating entry's row selected) and sets its
    // header; does not show it. Returns the number of rows.
    int search(const ChartEntry *origin, const QByteArray &artistPattern, bool exact,
               const QByteArray &titlePattern, bool fold = false);

    void onSearchClicked();
    void onPrintClicked();
    void onSaveListClicked();

private:
    void searchCommand();
    MainWindow *m_form;
    ResultListWindow *m_resultWindow = nullptr;
    SearchDialog *m_searchDialog = nullptr;
    // The row's own bytes behind the texts last put into the edits: a code
    // whose decoded text encodes back to another code (the NEC and IBM
    // duplicates) must still find the row it came from.
    struct FilledPattern {
        QString shown;
        QByteArray bytes;
    };
    FilledPattern m_filledArtist, m_filledTitle;
};

// Nothing for an empty list, a cancelled print dialog or an empty column
// set; otherwise the list on the chosen printer.
void printListCommand(QWidget *parent, const QList<QByteArray> &captions, const ListRows &rows,
                      const OutputChoice &choice, qint64 n);

// The list save dialog ("text file(タブ区切り)", *.txt, asks before
// overwriting) proposing the given name; empty when cancelled.
QString askListFileName(QWidget *parent, const QString &proposed);

}  // namespace vorq
