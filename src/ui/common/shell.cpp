#include "ui/common/shell.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProcess>
#include <QProgressDialog>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <optional>

#include "core/base/errors.h"
#include "core/charts/openverbs.h"
#include "ui/common/prompter.h"

namespace vorq {

namespace {

// run-mailcap builds a shell command line from the file name; a name it does
// not take as it is goes through a symbolic link with a plain name.
QString mailcapAlias(const QString &path) {
    QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/vorqview-mailcap-XXXXXX"));
    if (!dir.isValid()) return {};
    dir.setAutoRemove(false);  // the detached program still reads through it
    const QString suffix = QFileInfo(path).suffix();
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9]{1,10}$"));
    const QString alias = dir.filePath(
        QStringLiteral("file") + (plain.match(suffix).hasMatch() ? QLatin1Char('.') + suffix : QString()));
    if (!isMailcapSafePath(alias) || !QFile::link(path, alias)) return {};
    return alias;
}

// "<target> を開けませんでした。" and why, on lines of their own; a long
// path is broken after a folder separator so the box stays readable.
QString openFailureText(const QString &target, const QString &reason) {
    constexpr int kLine = 60;
    QString shown;
    int lineStart = 0;
    for (qsizetype i = 0; i < target.size(); ++i) {
        shown += target.at(i);
        if (target.at(i) == QLatin1Char('/') && shown.size() - lineStart >= kLine && i + 1 < target.size()) {
            shown += QLatin1Char('\n');
            lineStart = static_cast<int>(shown.size());
        }
    }
    return shown + QStringLiteral(" を\n開けませんでした。\n\n") + reason;
}

// Whether the desktop has a program for the target, asked before opening:
// QDesktopServices::openUrl reports success as soon as xdg-open starts, even
// when xdg-open then finds nothing. nullopt when the desktop cannot be asked
// (no xdg-mime, or a sandbox whose portal decides): then the open is tried.
std::optional<bool> desktopHasHandler(const QUrl &url) {
    if (qEnvironmentVariableIsSet("FLATPAK_ID") || qEnvironmentVariableIsSet("SNAP")) return std::nullopt;
    const QString xdgMime = QStandardPaths::findExecutable(QStringLiteral("xdg-mime"));
    if (xdgMime.isEmpty()) return std::nullopt;
    const auto answers = [](const QString &program, const QStringList &args) -> std::optional<bool> {
        QProcess p;
        p.start(program, args);
        if (!p.waitForFinished(5000)) {
            p.kill();
            p.waitForFinished(1000);
            return std::nullopt;
        }
        if (p.exitStatus() != QProcess::NormalExit) return std::nullopt;
        return p.exitCode() == 0 && !p.readAllStandardOutput().trimmed().isEmpty();
    };
    if (url.isLocalFile()) {
        const QString type = QMimeDatabase().mimeTypeForFile(url.toLocalFile()).name();
        const std::optional<bool> desktop =
            answers(xdgMime, {QStringLiteral("query"), QStringLiteral("default"), type});
        if (!desktop || *desktop) return desktop;
        // xdg-open falls back to the mailcap entries of the type.
        const QString mailcap = QStandardPaths::findExecutable(QStringLiteral("run-mailcap"));
        if (mailcap.isEmpty()) return false;
        if (!isMailcapSafePath(url.toLocalFile())) return std::nullopt;
        return answers(mailcap,
                       {QStringLiteral("--norun"), QStringLiteral("--action=view"), url.toLocalFile()})
            .value_or(false);
    }
    const std::optional<bool> desktop =
        answers(xdgMime, {QStringLiteral("query"), QStringLiteral("default"),
                          QStringLiteral("x-scheme-handler/") + url.scheme()});
    if (!desktop || *desktop) return desktop;
    // Without a registered handler xdg-open still tries $BROWSER and the
    // Debian alternatives for web addresses.
    if (url.scheme() == QLatin1String("mailto")) return false;
    if (!qEnvironmentVariableIsEmpty("BROWSER")) return true;
    for (const char *browser : {"x-www-browser", "sensible-browser", "www-browser"})
        if (!QStandardPaths::findExecutable(QString::fromLatin1(browser)).isEmpty()) return true;
    return false;
}

class DesktopShell : public Shell {
public:
    bool exists(const QString &path) override { return !path.isEmpty() && QFileInfo::exists(path); }

    bool copyFiles(QWidget *parent, const QStringList &sources, const QString &targetFolder,
                   CopyOutcome *outcome, Overwrite overwrite, const QStringList &names) override {
        CopyOutcome local;
        CopyOutcome &out = outcome ? *outcome : local;
        out = {};
        QDir dir(targetFolder);
        if (!dir.exists() && !QDir().mkpath(targetFolder)) {
            out.failed = sources;
            prompter().error(parent, QStringLiteral("フォルダ %1 を作成できません。").arg(targetFolder));
            return false;
        }
        QProgressDialog progress(QStringLiteral("コピー中..."), QStringLiteral("中止"), 0,
                                 static_cast<int>(sources.size()), parent);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        // Once the progress is up, our boxes belong to it: a window manager
        // stacks a box of the parent below the modal progress, where it
        // takes neither clicks nor keys.
        auto asker = [&]() -> QWidget * { return progress.isVisible() ? &progress : parent; };
        QStringList errors;
        bool all = overwrite == Overwrite::Replace;
        for (qsizetype i = 0; i < sources.size() && !out.cancelled; ++i) {
            progress.setValue(static_cast<int>(i));
            if (progress.wasCanceled()) {
                out.cancelled = true;
                break;
            }
            const QString &src = sources.at(i);
            const QString dst = dir.filePath(names.value(i, QFileInfo(src).fileName()));
            if (QFileInfo(src).absoluteFilePath() == QFileInfo(dst).absoluteFilePath()) {
                out.present.append(src);
                continue;
            }
            if (QFileInfo::exists(dst) && !all) {
                const auto answer = prompter().message(
                    asker(), QMessageBox::Question, QStringLiteral("ファイルの上書き確認"),
                    QStringLiteral("%1 は既に存在します。上書きしますか?").arg(dst),
                    QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel,
                    QMessageBox::No);
                if (answer == QMessageBox::Cancel) {
                    out.cancelled = true;
                    break;
                }
                if (answer == QMessageBox::No) {
                    out.present.append(src);  // the user keeps the file by that name
                    continue;
                }
                if (answer == QMessageBox::YesToAll) all = true;
            }
            // Copy beside the target first so an existing file is replaced
            // only by a complete copy.
            const QString part = dst + QStringLiteral(".part");
            QFile::remove(part);
            if (!QFile::copy(src, part)) {
                out.failed.append(src);
                errors.append(QStringLiteral("%1 をコピーできません。").arg(src));
                continue;
            }
            QFile::remove(dst);
            if (!QFile::rename(part, dst)) {
                QFile::remove(part);
                out.failed.append(src);
                errors.append(QStringLiteral("%1 を書き込めません。").arg(dst));
                continue;
            }
            out.present.append(src);
        }
        if (!out.cancelled) progress.setValue(static_cast<int>(sources.size()));
        if (!errors.isEmpty()) {
            // One box for the whole copy, however many files failed.
            constexpr int kShown = 20;
            QStringList shown = errors.mid(0, kShown);
            if (errors.size() > kShown)
                shown.append(QStringLiteral("ほか %1 個のファイル").arg(errors.size() - kShown));
            prompter().error(
                asker(), QStringLiteral("%1 個のファイルをコピーできませんでした。\n\n").arg(errors.size()) +
                             shown.join(QLatin1Char('\n')));
        }
        return !out.cancelled && out.failed.isEmpty();
    }

    void dragFiles(QWidget *source, const QStringList &files) override {
        if (files.isEmpty()) return;
        auto *mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString &f : files) urls << QUrl::fromLocalFile(f);
        mime->setUrls(urls);
        auto *drag = new QDrag(source);
        drag->setMimeData(mime);
        drag->exec(Qt::CopyAction, Qt::CopyAction);
    }

    void contextMenu(QWidget *parent, const QStringList &files, const QPoint &globalPos,
                     const QList<QAction *> &extra) override {
        if (files.isEmpty() && extra.isEmpty()) return;
        QMenu menu(parent);
        if (!files.isEmpty()) addFileEntries(menu, parent, files);
        if (!extra.isEmpty()) {
            if (!files.isEmpty()) menu.addSeparator();
            menu.addActions(extra);
        }
        menu.exec(globalPos);
    }

private:
    void addFileEntries(QMenu &menu, QWidget *parent, const QStringList &files) {
        const QString first = files.constFirst();
        menu.addAction(QStringLiteral("開く"), [this, parent, files] {
            for (const QString &f : files) {
                QString error;
                if (!execute(parent, QStringLiteral("open"), f, &error)) prompter().error(parent, error);
            }
        });
        menu.addAction(QStringLiteral("プログラムから開く..."), [this, parent, files] {
            const QString program = prompter().openFile(parent, QStringLiteral("プログラムから開く"),
                                                        QStringLiteral("/usr/bin/"), QString());
            if (!program.isEmpty() && !QProcess::startDetached(program, files))
                prompter().error(parent, QStringLiteral("%1 を起動できません。").arg(program));
        });
        menu.addAction(QStringLiteral("フォルダを開く"), [first] {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(first).absolutePath()));
        });
        menu.addAction(QStringLiteral("パスをコピー"),
                       [files] { QGuiApplication::clipboard()->setText(files.join(QLatin1Char('\n'))); });
    }

protected:
    bool openDefault(const QUrl &url, QString *error) override {
        const QString target = url.isLocalFile() ? url.toLocalFile() : url.toString();
        auto fail = [&](const QString &reason) {
            if (error) *error = openFailureText(target, reason);
            return false;
        };
        if (url.isLocalFile() && !QFileInfo::exists(target))
            return fail(QStringLiteral("ファイルが存在しません。"));
        if (desktopHasHandler(url).value_or(true) && QDesktopServices::openUrl(url)) return true;
        if (url.isLocalFile())
            return fail(QStringLiteral("この種類のファイルを開くプログラムが設定されていません。"));
        if (url.scheme() == QLatin1String("mailto"))
            return fail(QStringLiteral("メールを送るプログラムが見つかりません。"));
        return fail(QStringLiteral("Web ブラウザが見つかりません。"));
    }

    bool runMailcap(const QString &action, const QString &path, QString *error) override {
        auto fail = [error](const QString &text) {
            if (error) *error = text;
            return false;
        };
        const QString program = QStandardPaths::findExecutable(QStringLiteral("run-mailcap"));
        if (program.isEmpty())
            return fail(QStringLiteral("開き方「%1」には run-mailcap (mailcap パッケージ) が必要ですが、"
                                       "見つかりません。何も実行しませんでした。")
                            .arg(action));
        // run-mailcap would create and remove a missing file to test "edit".
        if (!QFileInfo::exists(path)) return fail(QStringLiteral("%1 は存在しません。").arg(path));
        const QString handed = isMailcapSafePath(path) ? path : mailcapAlias(path);
        if (handed.isEmpty()) return fail(QStringLiteral("%1 を開けませんでした。").arg(path));
        const QString actionArg = QStringLiteral("--action=") + action;
        QProcess probe;
        probe.start(program, {QStringLiteral("--norun"), actionArg, handed});
        const bool answered = probe.waitForFinished(10000);
        if (!answered) probe.kill();
        if (!answered || probe.exitStatus() != QProcess::NormalExit || probe.exitCode() != 0 ||
            probe.readAllStandardOutput().trimmed().isEmpty())
            return fail(QStringLiteral("この種類のファイルには「%1」の設定 (mailcap) がありません。"
                                       "何も実行しませんでした。\n%2")
                            .arg(action, path));
        if (QProcess::startDetached(program, {actionArg, handed})) return true;
        return fail(QStringLiteral("run-mailcap を起動できません (%1)。").arg(path));
    }

    bool showFolder(const QString &folder, QString *error) override {
        auto fail = [&](const QString &reason) {
            if (error) *error = openFailureText(folder, reason);
            return false;
        };
        if (!QFileInfo(folder).isDir()) return fail(QStringLiteral("フォルダが存在しません。"));
        if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) return true;
        return fail(QStringLiteral("フォルダを開くプログラムが設定されていません。"));
    }
};

std::unique_ptr<Shell> g_desktopShell;
Shell *g_shell = nullptr;

}  // namespace

std::unique_ptr<Shell> makeDesktopShell() { return std::make_unique<DesktopShell>(); }

Shell &shell() {
    if (g_shell) return *g_shell;
    if (!g_desktopShell) g_desktopShell = makeDesktopShell();
    return *g_desktopShell;
}

void setShell(Shell *s) { g_shell = s; }

bool Shell::execute(QWidget *parent, const QString &verb, const QString &target, QString *error) {
    auto fail = [error](const QString &text) {
        if (error) *error = text;
        return false;
    };
    if (target.isEmpty()) return fail(QStringLiteral("開く対象がありません。"));
    const OpenAction action = openActionFor(verb);
    if (action == OpenAction::Refused) return fail(unknownMethodMessage(verb));
    QString scheme;
    switch (classifyTarget(target, &scheme)) {
        case TargetKind::RefusedAddress: return fail(refusedSchemeMessage(target, scheme));
        case TargetKind::Address: {
            const QUrl url(target, QUrl::TolerantMode);
            // Check what Qt understood too, so a parse quirk cannot change the scheme.
            if (!url.isValid() || !allowedSchemes().contains(url.scheme().toLower()))
                return fail(refusedSchemeMessage(target, scheme));
            if (action != OpenAction::DefaultHandler)
                return fail(
                    QStringLiteral("開き方「%1」はアドレスには使えません。何も実行しませんでした。\n%2")
                        .arg(verb, target));
            return openDefault(url, error);
        }
        case TargetKind::LocalPath: break;
    }
    const QString path = QDir::cleanPath(QDir::current().absoluteFilePath(target));
    if (isExecutableFile(path) &&
        prompter().message(parent, QMessageBox::Warning, executableQuestionCaption(),
                           executableQuestionText(path), QMessageBox::Yes | QMessageBox::No,
                           QMessageBox::No) != QMessageBox::Yes)
        return true;  // the user's choice, nothing to report
    switch (action) {
        case OpenAction::MailcapEdit:
        case OpenAction::MailcapPrint: return runMailcap(mailcapActionName(action), path, error);
        case OpenAction::ContainingFolder:
            return showFolder(QFileInfo(path).isDir() ? path : QFileInfo(path).absolutePath(), error);
        default: return openDefault(QUrl::fromLocalFile(path), error);
    }
}

}  // namespace vorq
