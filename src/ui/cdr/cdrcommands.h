#pragma once
// The main window's CD-R commands: the wizard and the restore, behind the
// options dialog's "その他" page. Created by the main window.
#include <QObject>
#include <QString>

namespace vorq {

class MainWindow;

class CdrCommands : public QObject {
public:
    explicit CdrCommands(MainWindow *form);
    void startWizard();
    void restore();
    // The running program as the program folder holds it.
    static QString runningProgramFile();

private:
    MainWindow *m_form;
};

}  // namespace vorq
