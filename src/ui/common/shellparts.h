#pragma once
// Seams between the forms and the desktop: every modal prompt goes through a
// Prompter and every shell operation through a Shell, so forms can be driven
// headless with scripted answers. Also the RAII guards for clean-ups.
#include <QList>
#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QAction;
class QWidget;
class QPrinter;
class QUrl;

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

class Shell {
public:
    virtual ~Shell() = default;
    // Opens target (an absolute path or an address) with a stored method
    // through the fixed table of openverbs.h; the method never names a
    // program. Unknown methods and addresses of other schemes than http,
    // https, ftp and mailto run nothing; an executable target asks first
    // (Yes/No, default No). Returns false and sets *error when the user must
    // be told why nothing was opened; answering No is not an error.
    // Overridable only so test doubles can record calls; they pass on here.
    virtual bool execute(QWidget *parent, const QString &verb, const QString &target, QString *error);
    virtual bool exists(const QString &path) = 0;
    // Copies files into a folder in one operation (progress, overwrite
    // question). Returns false when anything failed or was cancelled.
    virtual bool copyFiles(QWidget *parent, const QStringList &sources, const QString &targetFolder) = 0;
    // A blocking drag of local files, copy only.
    virtual void dragFiles(QWidget *source, const QStringList &files) = 0;
    // Our own context menu for files at a global point.
    // extra: the caller's own entries, below the file entries.
    virtual void contextMenu(QWidget *parent, const QStringList &files, const QPoint &globalPos,
                             const QList<QAction *> &extra = {}) = 0;

protected:
    // The actions execute() chooses; the desktop runs them, tests record them.
    // Each returns false with *error set when it could not be done.
    virtual bool openDefault(const QUrl &url, QString *error) = 0;  // the desktop's handler
    virtual bool runMailcap(const QString &action, const QString &path, QString *error) = 0;
    virtual bool showFolder(const QString &folder, QString *error) = 0;  // in the file manager
};

// The application's name in the main window's title bar and the caption of
// the top-level error box.
QString applicationTitle();

// The process-wide seams; tests replace them.
Prompter &prompter();
Shell &shell();
void setPrompter(Prompter *p);  // nullptr restores the real one
void setShell(Shell *s);

std::unique_ptr<Prompter> makeDesktopPrompter();
std::unique_ptr<Shell> makeDesktopShell();

// Runs a command; any exception is shown in the top-level error box and
// swallowed, so none crosses the event loop. Returns false on an error.
bool runGuarded(QWidget *parent, const std::function<void()> &command);

// Hourglass cursor for the guard's lifetime.
class CursorGuard {
public:
    CursorGuard();
    ~CursorGuard();
    CursorGuard(const CursorGuard &) = delete;
    CursorGuard &operator=(const CursorGuard &) = delete;
};

// Frozen drawing of a widget for the guard's lifetime.
class FreezeGuard {
public:
    explicit FreezeGuard(QWidget *w);
    ~FreezeGuard();
    FreezeGuard(const FreezeGuard &) = delete;
    FreezeGuard &operator=(const FreezeGuard &) = delete;

private:
    QWidget *m_widget;
    bool m_wasEnabled;
};

// Runs a clean-up at scope exit (disabled widgets, stopped timers...).
class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> f) : m_f(std::move(f)) {}
    ~ScopeExit() {
        if (m_f) m_f();
    }
    ScopeExit(const ScopeExit &) = delete;
    ScopeExit &operator=(const ScopeExit &) = delete;

private:
    std::function<void()> m_f;
};

}  // namespace vorq
