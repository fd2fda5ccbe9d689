#pragma once
// Scripted stand-ins for the desktop seams: a Prompter that answers from a
// queue and records what it was asked, and a Shell that records every call.
// Install them with ScopedFakes for the length of a test.
#include <QDir>
#include <QFileInfo>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <QUrl>
#include <deque>

#include "ui/common/prompter.h"
#include "ui/common/shell.h"

namespace vorq::test {

struct PromptRecord {
    QString kind;  // "message", "error", "openFile", "openFiles", "saveFile", "folder", "print"
    QString caption;
    QString text;
    QMessageBox::StandardButtons buttons;
    QString details{};  // errorWithDetails
};

class FakePrompter : public Prompter {
public:
    std::deque<QMessageBox::StandardButton> answers;  // message(): front first
    std::deque<QString> files;                        // openFile/saveFile/folder
    std::deque<QStringList> fileLists;                // openFiles
    bool printAnswer = false;
    QList<PromptRecord> asked;

    QList<PromptRecord> errors() const {
        QList<PromptRecord> out;
        for (const auto &r : asked)
            if (r.kind == QLatin1String("error")) out << r;
        return out;
    }

    QMessageBox::StandardButton message(QWidget *, QMessageBox::Icon, const QString &caption,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override {
        asked.append({QStringLiteral("message"), caption, text, buttons});
        if (answers.empty()) return defaultButton;
        const auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void error(QWidget *, const QString &text) override {
        asked.append({QStringLiteral("error"), {}, text, {}});
    }
    void errorWithDetails(QWidget *, const QString &text, const QString &details) override {
        asked.append({QStringLiteral("error"), {}, text, {}, details});
    }
    QString openFile(QWidget *, const QString &caption, const QString &proposed, const QString &) override {
        asked.append({QStringLiteral("openFile"), caption, proposed, {}});
        return nextFile();
    }
    QStringList openFiles(QWidget *, const QString &caption, const QString &startDir,
                          const QString &) override {
        asked.append({QStringLiteral("openFiles"), caption, startDir, {}});
        if (fileLists.empty()) return {};
        QStringList l = fileLists.front();
        fileLists.pop_front();
        return l;
    }
    QString saveFile(QWidget *, const QString &caption, const QString &proposed, const QString &,
                     const QString &) override {
        asked.append({QStringLiteral("saveFile"), caption, proposed, {}});
        return nextFile();
    }
    QString folder(QWidget *, const QString &caption, const QString &start) override {
        asked.append({QStringLiteral("folder"), caption, start, {}});
        return nextFile();
    }
    bool print(QWidget *, QPrinter *) override {
        asked.append({QStringLiteral("print"), {}, {}, {}});
        return printAnswer;
    }

private:
    QString nextFile() {
        if (files.empty()) return {};
        QString f = files.front();
        files.pop_front();
        return f;
    }
};

struct ShellCall {
    QString op;  // "execute", "copy", "drag", "menu"
    QString verb;
    QStringList targets;
};

// What the verb table made run: op "open" (the desktop's handler, verb
// empty), "mailcap" (verb "edit" or "print") or "folder", with the path or
// address it was given.
using RanAction = ShellCall;

class FakeShell : public Shell {
public:
    bool executeResult = true;  // false: every execute fails before the table
    bool actionResult = true;   // what the recorded actions report
    bool copyResult = true;
    QList<ShellCall> calls;
    QList<RanAction> ran;

    bool execute(QWidget *parent, const QString &verb, const QString &target, QString *error) override {
        calls.append({QStringLiteral("execute"), verb, {target}});
        if (!executeResult) {
            if (error) *error = QStringLiteral("cannot open ") + target;
            return false;
        }
        return Shell::execute(parent, verb, target, error);  // the real table, recorded actions
    }
    bool exists(const QString &path) override { return !path.isEmpty() && QFileInfo::exists(path); }
    bool copyFiles(QWidget *, const QStringList &sources, const QString &targetFolder, CopyOutcome *outcome,
                   Overwrite, const QStringList &) override {
        calls.append({QStringLiteral("copy"), targetFolder, sources});
        if (outcome) *outcome = {copyResult ? sources : QStringList(), {}, !copyResult};
        return copyResult;
    }
    void dragFiles(QWidget *, const QStringList &files) override {
        calls.append({QStringLiteral("drag"), {}, files});
    }
    void contextMenu(QWidget *, const QStringList &files, const QPoint &, const QList<QAction *> &) override {
        calls.append({QStringLiteral("menu"), {}, files});
    }

protected:
    bool openDefault(const QUrl &url, QString *error) override {
        return record(QStringLiteral("open"), {}, url.isLocalFile() ? url.toLocalFile() : url.toString(),
                      error);
    }
    bool runMailcap(const QString &action, const QString &path, QString *error) override {
        return record(QStringLiteral("mailcap"), action, path, error);
    }
    bool showFolder(const QString &folder, QString *error) override {
        return record(QStringLiteral("folder"), {}, folder, error);
    }

private:
    bool record(const QString &op, const QString &verb, const QString &target, QString *error) {
        ran.append({op, verb, {target}});
        if (!actionResult && error) *error = QStringLiteral("cannot open ") + target;
        return actionResult;
    }
};

// Installs both fakes and restores the real seams on destruction.
struct ScopedFakes {
    FakePrompter prompter;
    FakeShell shell;
    ScopedFakes() {
        setPrompter(&prompter);
        setShell(&shell);
    }
    ~ScopedFakes() {
        setPrompter(nullptr);
        setShell(nullptr);
    }
    ScopedFakes(const ScopedFakes &) = delete;
    ScopedFakes &operator=(const ScopedFakes &) = delete;
};

}  // namespace vorq::test
