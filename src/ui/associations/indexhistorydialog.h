#pragma once
// "関連付けの履歴": the versions of file.idx kept in the data folder's backup/
// folder, newest first, and putting one back. Reached from the association
// menu of the main window, which this file also fills.
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;
class QTableWidget;

namespace vorq {

class MainWindow;

class IndexHistoryDialog : public QDialog {
    Q_OBJECT
public:
    explicit IndexHistoryDialog(MainWindow *form);

    // Lists the kept versions again.
    void refresh();
    // Puts the version of the selected row back, after asking.
    void restoreSelected();

    QLabel *introLabel = nullptr;
    QTableWidget *versionTable = nullptr;  // "VersionList": time, lines, name
    QPushButton *restoreButton = nullptr;  // "RestoreVersion"
    QPushButton *closeButton = nullptr;

private:
    MainWindow *m_form;
};

// Puts a kept version back as file.idx in the window's data folder and shows
// it; unsaved changes are settled first. False when the user cancelled.
bool restoreIndexVersionInWindow(MainWindow *form, const QString &name);

// Fills the main window's association menu: save, and the history dialog.
void installAssociationMenu(MainWindow *form);

}  // namespace vorq
