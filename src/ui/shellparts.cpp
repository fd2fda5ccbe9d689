#include "shellparts.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDir>
#include <QDrag>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMimeData>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QStandardPaths>
#include <QUrl>
#include <exception>

#include "errors.h"

namespace vorq {

namespace {

class DesktopPrompter : public Prompter {
public:
    QMessageBox::StandardButton message(QWidget *parent, QMessageBox::Icon icon, const QString &caption,
                                        const QString &text, QMessageBox::StandardButtons buttons,
                                        QMessageBox::StandardButton defaultButton) override {
        QMessageBox box(icon, caption, text, buttons, parent);
        box.setDefaultButton(defaultButton);
        return static_cast<QMessageBox::StandardButton>(box.exec());
    }

    void error(QWidget *parent, const QString &text) override {
        QMessageBox::critical(parent, applicationTitle(), text);
    }

    QString openFile(QWidget *parent, const QString &caption, const QString &proposed,
                     const QString &filter) override {
        return QFileDialog::getOpenFileName(parent, caption, proposed, filter);
    }

    QStringList openFiles(QWidget *parent, const QString &caption, const QString &startDir,
                          const QString &filter) override {
        return QFileDialog::getOpenFileNames(parent, caption, startDir, filter);
    }

    QString saveFile(QWidget *parent, const QString &caption, const QString &proposed, const QString &filter,
                     const QString &defaultSuffix) override {
        QFileDialog dialog(parent, caption, proposed, filter);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        if (!defaultSuffix.isEmpty()) dialog.setDefaultSuffix(defaultSuffix);
        if (!proposed.isEmpty()) dialog.selectFile(proposed);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        return dialog.selectedFiles().constFirst();
    }

    QString folder(QWidget *parent, const QString &caption, const QString &start) override {
        return QFileDialog::getExistingDirectory(parent, caption, start);
    }

    bool print(QWidget *parent, QPrinter *printer) override {
        QPrintDialog dialog(printer, parent);
        return dialog.exec() == QDialog::Accepted;
    }
};

QUrl targetUrl(const QString &target) {
    // Addresses keep their scheme; anything else is a local path.
    static const QString schemes[] = {QStringLiteral("http"), QStringLiteral("ftp"), QStringLiteral("mailto"),
                                      QStringLiteral("file")};
    for (const QString &s : schemes)
        if (target.startsWith(s)) return QUrl(target, QUrl::TolerantMode);
    return QUrl::fromLocalFile(target);
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

class DesktopShell : public Shell {
public:
    bool execute(QWidget *parent, const QString &verb, const QString &target, QString *error) override {
        Q_UNUSED(parent);
        const QString v = verb.trimmed().toLower();
        auto fail = [error](const QString &text) {
            if (error) *error = text;
            return false;
        };
        if (target.isEmpty()) return fail(QStringLiteral("開く対象がありません。"));
        if (v.isEmpty() || v == QLatin1String("open")) {
            const QUrl url = targetUrl(target);
            if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile()))
                return fail(openFailureText(target, QStringLiteral("ファイルが存在しません。")));
            if (QDesktopServices::openUrl(url)) return true;
            if (url.isLocalFile())
                return fail(openFailureText(
                    target, QStringLiteral("この種類のファイルを開くプログラムが設定されていません。")));
            if (url.scheme() == QLatin1String("mailto"))
                return fail(
                    openFailureText(target, QStringLiteral("メールを送るプログラムが見つかりません。")));
            return fail(openFailureText(target, QStringLiteral("Web ブラウザが見つかりません。")));
        }
        if (v == QLatin1String("play")) {
            if (QDesktopServices::openUrl(targetUrl(target))) return true;
            return fail(openFailureText(
                target, QStringLiteral("この種類のファイルを開くプログラムが設定されていません。")));
        }
        if (v == QLatin1String("explore") || v == QLatin1String("find")) {
            const QString folder = QFileInfo(target).absolutePath();
            if (!QFileInfo(folder).isDir())
                return fail(openFailureText(folder, QStringLiteral("フォルダが存在しません。")));
            if (QDesktopServices::openUrl(QUrl::fromLocalFile(folder))) return true;
            return fail(
                openFailureText(folder, QStringLiteral("フォルダを開くプログラムが設定されていません。")));
        }
        // The method comes from file.idx, which travels between computers:
        // it never names a program to run.
        return fail(
            QStringLiteral("「%1」という開き方はこのシステムにはありません (%2)。").arg(verb, target));
    }

    bool exists(const QString &path) override { return !path.isEmpty() && QFileInfo::exists(path); }

    bool copyFiles(QWidget *parent, const QStringList &sources, const QString &targetFolder) override {
        QDir dir(targetFolder);
        if (!dir.exists() && !QDir().mkpath(targetFolder)) {
            prompter().error(parent, QStringLiteral("フォルダ %1 を作成できません。").arg(targetFolder));
            return false;
        }
        QProgressDialog progress(QStringLiteral("コピー中..."), QStringLiteral("中止"), 0,
                                 static_cast<int>(sources.size()), parent);
        progress.setWindowModality(Qt::WindowModal);
        progress.setMinimumDuration(300);
        bool all = false, ok = true;
        for (qsizetype i = 0; i < sources.size(); ++i) {
            progress.setValue(static_cast<int>(i));
            if (progress.wasCanceled()) return false;
            const QString &src = sources.at(i);
            const QString dst = dir.filePath(QFileInfo(src).fileName());
            if (QFileInfo(src).absoluteFilePath() == QFileInfo(dst).absoluteFilePath()) continue;
            if (QFileInfo::exists(dst)) {
                if (!all) {
                    const auto answer = prompter().message(
                        parent, QMessageBox::Question, QStringLiteral("ファイルの上書き確認"),
                        QStringLiteral("%1 は既に存在します。上書きしますか?").arg(dst),
                        QMessageBox::Yes | QMessageBox::YesToAll | QMessageBox::No | QMessageBox::Cancel,
                        QMessageBox::No);
                    if (answer == QMessageBox::Cancel) return false;
                    if (answer == QMessageBox::No) continue;
                    if (answer == QMessageBox::YesToAll) all = true;
                }
            }
            // Copy beside the target first so an existing file is replaced
            // only by a complete copy.
            const QString part = dst + QStringLiteral(".part");
            QFile::remove(part);
            if (!QFile::copy(src, part)) {
                ok = false;
                prompter().error(parent, QStringLiteral("%1 をコピーできません。").arg(src));
                continue;
            }
            QFile::remove(dst);
            if (!QFile::rename(part, dst)) {
                QFile::remove(part);
                ok = false;
                prompter().error(parent, QStringLiteral("%1 を書き込めません。").arg(dst));
            }
        }
        progress.setValue(static_cast<int>(sources.size()));
        return ok;
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

    void contextMenu(QWidget *parent, const QStringList &files, const QPoint &globalPos) override {
        if (files.isEmpty()) return;
        QMenu menu(parent);
        const QString first = files.constFirst();
        menu.addAction(QStringLiteral("開く"), [&] {
            for (const QString &f : files) QDesktopServices::openUrl(targetUrl(f));
        });
        menu.addAction(QStringLiteral("プログラムから開く..."), [&] {
            const QString program = prompter().openFile(parent, QStringLiteral("プログラムから開く"),
                                                        QStringLiteral("/usr/bin/"), QString());
            if (!program.isEmpty() && !QProcess::startDetached(program, files))
                prompter().error(parent, QStringLiteral("%1 を起動できません。").arg(program));
        });
        menu.addAction(QStringLiteral("フォルダを開く"), [&] {
            QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(first).absolutePath()));
        });
        menu.addAction(QStringLiteral("パスをコピー"),
                       [&] { QGuiApplication::clipboard()->setText(files.join(QLatin1Char('\n'))); });
        menu.exec(globalPos);
    }
};

std::unique_ptr<Prompter> g_desktopPrompter;
std::unique_ptr<Shell> g_desktopShell;
Prompter *g_prompter = nullptr;
Shell *g_shell = nullptr;

}  // namespace

QString applicationTitle() { return QStringLiteral("VORQ data viewer"); }

std::unique_ptr<Prompter> makeDesktopPrompter() { return std::make_unique<DesktopPrompter>(); }
std::unique_ptr<Shell> makeDesktopShell() { return std::make_unique<DesktopShell>(); }

Prompter &prompter() {
    if (g_prompter) return *g_prompter;
    if (!g_desktopPrompter) g_desktopPrompter = makeDesktopPrompter();
    return *g_desktopPrompter;
}

Shell &shell() {
    if (g_shell) return *g_shell;
    if (!g_desktopShell) g_desktopShell = makeDesktopShell();
    return *g_desktopShell;
}

void setPrompter(Prompter *p) { g_prompter = p; }
void setShell(Shell *s) { g_shell = s; }

bool runGuarded(QWidget *parent, const std::function<void()> &command) {
    QString text;
    try {
        command();
        return true;
    } catch (const Error &e) {
        text = e.message();
    } catch (const std::bad_alloc &) {
        text = QStringLiteral("メモリが不足しています。");
    } catch (const std::exception &e) {
        text = QString::fromLocal8Bit(e.what());
    } catch (...) {
        text = QStringLiteral("予期しないエラーが発生しました。");
    }
    prompter().error(parent, text);
    return false;
}

CursorGuard::CursorGuard() { QApplication::setOverrideCursor(Qt::WaitCursor); }
CursorGuard::~CursorGuard() { QApplication::restoreOverrideCursor(); }

FreezeGuard::FreezeGuard(QWidget *w) : m_widget(w), m_wasEnabled(w && w->updatesEnabled()) {
    if (m_widget) m_widget->setUpdatesEnabled(false);
}
FreezeGuard::~FreezeGuard() {
    if (m_widget && m_wasEnabled) m_widget->setUpdatesEnabled(true);
}

}  // namespace vorq
