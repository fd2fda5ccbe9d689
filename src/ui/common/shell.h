#pragma once
// The seam between the forms and the desktop's shell operations: opening,
// copying, dragging files and their context menu go through shell(), so
// forms can be driven headless and tests record what would have run.
#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <memory>

class QAction;
class QWidget;
class QUrl;

namespace vorq {

// What a copy left in the target folder.
struct CopyOutcome {
    QStringList present;  // sources whose file is now in the target (copied, kept on No, or already there)
    QStringList failed;   // sources that could not be copied
    bool cancelled = false;
};

// Whether a copy asks before it replaces a file of the target folder, or
// replaces without asking (the caller has asked once for all of them).
enum class Overwrite { Ask, Replace };

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
    // question, one summary of what failed at the end). Returns false when
    // anything failed or was cancelled; *outcome, when given, says which.
    // names, when given, are the copies' file names (parallel to sources);
    // otherwise each keeps its own.
    virtual bool copyFiles(QWidget *parent, const QStringList &sources, const QString &targetFolder,
                           CopyOutcome *outcome = nullptr, Overwrite overwrite = Overwrite::Ask,
                           const QStringList &names = {}) = 0;
    // A blocking drag of local files, copy only.
    virtual void dragFiles(QWidget *source, const QStringList &files) = 0;
    // Our own context menu for files at a global point.
    // extra: the caller's own entries, below the file entries; without
    // files the menu holds them alone.
    virtual void contextMenu(QWidget *parent, const QStringList &files, const QPoint &globalPos,
                             const QList<QAction *> &extra = {}) = 0;

protected:
    // The actions execute() chooses; the desktop runs them, tests record them.
    // Each returns false with *error set when it could not be done.
    virtual bool openDefault(const QUrl &url, QString *error) = 0;  // the desktop's handler
    virtual bool runMailcap(const QString &action, const QString &path, QString *error) = 0;
    virtual bool showFolder(const QString &folder, QString *error) = 0;  // in the file manager
};

// The process-wide shell; tests replace it.
Shell &shell();
void setShell(Shell *s);  // nullptr restores the real one
std::unique_ptr<Shell> makeDesktopShell();

}  // namespace vorq
