// The desktop seams and the small dialogs: the guard, the clean-up guards,
// the desktop shell's verbs and copy, the wait dialog and the about box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "core/base/errors.h"
#include "fakeshell.h"
#include "ui/common/aboutbox.h"
#include "ui/common/guards.h"
#include "ui/common/shell.h"
#include "ui/common/waitdialog.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

void writeFile(const QString &path, const QByteArray &content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(content);
}

QByteArray readFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(RunGuarded, ShowsAnyErrorInTheErrorBoxAndReportsFailure) {
    ScopedFakes fakes;
    EXPECT_TRUE(runGuarded(nullptr, [] {}));
    EXPECT_FALSE(runGuarded(nullptr, [] { throw ConvertError(QStringLiteral("'x' は整数ではありません")); }));
    EXPECT_FALSE(runGuarded(nullptr, [] { throw std::runtime_error("plain"); }));
    EXPECT_FALSE(runGuarded(nullptr, [] { throw 42; }));
    const auto errors = fakes.prompter.errors();
    ASSERT_EQ(errors.size(), 3);
    EXPECT_EQ(errors.at(0).text, QString::fromUtf8("'x' は整数ではありません"));
    EXPECT_EQ(errors.at(1).text, QStringLiteral("plain"));
    EXPECT_FALSE(errors.at(2).text.isEmpty());
}

TEST(CleanupGuards, RestoreOnEveryPathAndNest) {
    ScopedFakes fakes;
    QWidget w;
    runGuarded(nullptr, [&] {
        CursorGuard c;
        FreezeGuard f(&w);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        EXPECT_FALSE(w.updatesEnabled());
        {
            FreezeGuard inner(&w);  // already frozen: leaves it frozen
        }
        EXPECT_FALSE(w.updatesEnabled());
        throw FileError(QStringLiteral("boom"));
    });
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(w.updatesEnabled());
    int runs = 0;
    {
        ScopeExit e([&] { ++runs; });
    }
    EXPECT_EQ(runs, 1);
}

TEST(DesktopShell, UnknownVerbFailsWithAClearMessage) {
    auto shell = makeDesktopShell();
    QString error;
    EXPECT_FALSE(
        shell->execute(nullptr, QStringLiteral("no-such-verb-xyz"), QStringLiteral("/tmp/a.mp3"), &error));
    EXPECT_TRUE(error.contains(QStringLiteral("no-such-verb-xyz")));
    error.clear();
    EXPECT_FALSE(shell->execute(nullptr, QStringLiteral("open"), QString(), &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DesktopShell, ExistenceTest) {
    QTemporaryDir dir;
    auto shell = makeDesktopShell();
    EXPECT_TRUE(shell->exists(dir.path()));
    EXPECT_FALSE(shell->exists(dir.filePath(QStringLiteral("missing"))));
    EXPECT_FALSE(shell->exists(QString()));
}

TEST(DesktopShell, CopyAsksBeforeOverwritingAndCopiesTheRest) {
    ScopedFakes fakes;
    QTemporaryDir src, dst;
    writeFile(src.filePath(QStringLiteral("a.mp3")), "new a");
    writeFile(src.filePath(QStringLiteral("b.mp3")), "new b");
    writeFile(dst.filePath(QStringLiteral("a.mp3")), "old a");
    auto shell = makeDesktopShell();
    const QStringList files{src.filePath(QStringLiteral("a.mp3")), src.filePath(QStringLiteral("b.mp3"))};

    fakes.prompter.answers = {QMessageBox::No};
    EXPECT_TRUE(shell->copyFiles(nullptr, files, dst.path()));
    EXPECT_EQ(readFile(dst.filePath(QStringLiteral("a.mp3"))), QByteArray("old a"));
    EXPECT_EQ(readFile(dst.filePath(QStringLiteral("b.mp3"))), QByteArray("new b"));
    ASSERT_EQ(fakes.prompter.asked.size(), 1);

    fakes.prompter.answers = {QMessageBox::YesToAll};
    EXPECT_TRUE(shell->copyFiles(nullptr, files, dst.path()));
    EXPECT_EQ(readFile(dst.filePath(QStringLiteral("a.mp3"))), QByteArray("new a"));
    EXPECT_EQ(fakes.prompter.asked.size(), 2);  // one question for both files
    EXPECT_FALSE(QFile::exists(dst.filePath(QStringLiteral("a.mp3.part"))));

    fakes.prompter.answers = {QMessageBox::Cancel};
    EXPECT_FALSE(shell->copyFiles(nullptr, files, dst.path()));
}

TEST(DesktopShell, CopyOfAMissingSourceReportsAndFails) {
    ScopedFakes fakes;
    QTemporaryDir dst;
    auto shell = makeDesktopShell();
    EXPECT_FALSE(shell->copyFiles(nullptr, {dst.filePath(QStringLiteral("nothing.mp3"))},
                                  dst.filePath(QStringLiteral("sub"))));
    EXPECT_EQ(fakes.prompter.errors().size(), 1);
}

TEST(WaitDialog, StopButtonOnlyRaisesTheFlag) {
    QWidget owner;
    WaitGuard wait(&owner, QStringLiteral("読み込み中 : x"));
    EXPECT_TRUE(wait->isVisible());
    EXPECT_EQ(wait->windowTitle(), QString::fromUtf8("しばらくお待ちください..."));
    EXPECT_EQ(wait->stopButton->text(), QString::fromUtf8("中止"));
    EXPECT_FALSE(wait->stopRequested());
    wait->setProgress(140);
    EXPECT_EQ(wait->progressBar->value(), 100);
    wait->close();  // only the button acts
    EXPECT_TRUE(wait->isVisible());
    wait->stopButton->click();
    EXPECT_TRUE(wait->stopRequested());
    EXPECT_TRUE(wait->isVisible());
}

TEST(AboutBox, ShowsTheVersionAndOpensItsLinks) {
    ScopedFakes fakes;
    AboutBox about;
    EXPECT_EQ(about.windowTitle(), QString::fromUtf8("VORQ Viewerのバージョン情報"));
    EXPECT_EQ(about.versionLabel->text(), QStringLiteral("Ver. ") + QStringLiteral(VORQ_VERSION));
    about.homePageLink->setText(QStringLiteral("http://www.vorq.example/vorq/"));
    about.show();
    QTest::mouseClick(about.homePageLink, Qt::LeftButton);
    QTest::mouseClick(about.supportMailLink, Qt::LeftButton);
    ASSERT_EQ(fakes.shell.calls.size(), 2);
    EXPECT_EQ(fakes.shell.calls.at(0).verb, QStringLiteral("open"));
    EXPECT_EQ(fakes.shell.calls.at(0).targets.value(0), QStringLiteral("http://www.vorq.example/vorq/"));
    EXPECT_TRUE(fakes.shell.calls.at(1).targets.value(0).startsWith(QStringLiteral("mailto:")));
    about.okButton->click();
    EXPECT_EQ(about.result(), QDialog::Accepted);
}

}  // namespace
