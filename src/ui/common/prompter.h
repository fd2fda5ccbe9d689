#pragma once
// The seam between the forms and the desktop's modal prompts: every message
// box, file dialog and print dialog goes through prompter(), so forms can be
// driven headless with scripted answers.
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <memory>

class QWidget;
class QPrinter;

namespace vorq {

class Prompter {
public:
    virtual ~Prompter() = default;
    // A message box; returns the button pressed.
    virtual QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon,
                                                const QString &caption, const QString &text,
                                                QMessageBox::StandardButtons buttons,
                                                QMessageBox::StandardButton defaultButton) = 0;
    // The top-level error box for an error that ended a command.
    virtual void error(QWidget *parent, const QString &text) = 0;
    // The same box with the technical text behind it in a details part,
    // shown on request.
    virtual void errorWithDetails(QWidget *parent, const QString &text, const QString &details) = 0;
    // File dialogs: empty result when cancelled. filter uses Qt's syntax.
    virtual QString openFile(QWidget *parent, const QString &caption, const QString &proposed,
                             const QString &filter) = 0;
    virtual QStringList openFiles(QWidget *parent, const QString &caption, const QString &startDir,
                                  const QString &filter) = 0;
    virtual QString saveFile(QWidget *parent, const QString &caption, const QString &proposed,
                             const QString &filter, const QString &defaultSuffix) = 0;
    virtual QString folder(QWidget *parent, const QString &caption, const QString &start) = 0;
    // The print dialog; false when cancelled.
    virtual bool print(QWidget *parent, QPrinter *printer) = 0;
};

// The application's name in the main window's title bar and the caption of
// the top-level error box.
QString applicationTitle();

// The process-wide prompter; tests replace it.
Prompter &prompter();
void setPrompter(Prompter *p);  // nullptr restores the real one
std::unique_ptr<Prompter> makeDesktopPrompter();

}  // namespace vorq
