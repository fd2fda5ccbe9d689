// What the user reads in prompts: the application's name on the error box,
// Qt's own buttons in Japanese, and open failures that say why.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "net/httpclient.h"
#include "ui/common/prompter.h"
#include "ui/common/qttranslations.h"
#include "ui/common/shell.h"
#include "ui/mainwindow/mainwindow.h"

using namespace vorq;

namespace {

// Shows the desktop prompter's box, reads it and closes it.
template <typename Show>
QMessageBox *readBox(Show show, std::function<void(QMessageBox *)> inspect) {
    QMessageBox *seen = nullptr;
    QTimer::singleShot(0, [&] {
        seen = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!seen) return;
        inspect(seen);
        seen->done(QMessageBox::Cancel);
    });
    show();
    return seen;
}

}  // namespace

TEST(PromptTexts, OneApplicationNameOnTheTitleBarAndTheErrorBox) {
    auto prompter = makeDesktopPrompter();
    QString caption;
    ASSERT_NE(readBox([&] { prompter->error(nullptr, QStringLiteral("x")); },
                      [&](QMessageBox *box) { caption = box->windowTitle(); }),
              nullptr);
    EXPECT_EQ(caption, QStringLiteral("VORQ data viewer"));
    MainWindow form;
    EXPECT_EQ(form.windowTitle(), caption);
}

TEST(PromptTexts, QtsOwnButtonsSpeakJapanese) {
    ASSERT_TRUE(installQtTranslations(qApp)) << "qt6-translations-l10n is not installed";
    auto prompter = makeDesktopPrompter();
    QStringList buttons;
    readBox(
        [&] {
            prompter->message(nullptr, QMessageBox::Question, QStringLiteral("保存の確認"),
                              QStringLiteral("?"), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                              QMessageBox::Yes);
        },
        [&](QMessageBox *box) {
            for (QAbstractButton *b : box->buttons()) buttons << b->text();
        });
    ASSERT_EQ(buttons.size(), 3);
    for (const QString &b : buttons)
        EXPECT_FALSE(b.contains(QLatin1String("Yes")) || b.contains(QLatin1String("No")) ||
                     b.contains(QLatin1String("Cancel")))
            << b.toStdString();
    EXPECT_TRUE(buttons.join(QString()).contains(QStringLiteral("はい")));
}

TEST(PromptTexts, AMissingFileSaysItDoesNotExistAndLongPathsBreakAtFolders) {
    QTemporaryDir dir;
    auto shell = makeDesktopShell();
    QString error;
    const QString missing =
        dir.filePath(QStringLiteral("a-folder-with-a-rather-long-name/and-another-one-below-it/"
                                    "song.mp3"));
    EXPECT_FALSE(shell->execute(nullptr, QStringLiteral("open"), missing, &error));
    EXPECT_TRUE(error.endsWith(QStringLiteral("開けませんでした。\n\nファイルが存在しません。")))
        << error.toStdString();
    const QStringList lines = error.split(QLatin1Char('\n'));
    EXPECT_GT(lines.size(), 4);  // the path took more than one line
    for (const QString &line : lines) EXPECT_LE(line.size(), 90) << line.toStdString();
    EXPECT_EQ(QString(error).remove(QLatin1Char('\n')).left(missing.size()), missing);
}

TEST(PromptTexts, StatusPanelsShowTheirTextsWhole) {
    MainWindow form;
    for (int state = -1; state <= 5; ++state) {
        const QString text = net::connectionStateText(state);
        QLabel *panel = form.statusPanels->panel(3);
        EXPECT_GE(panel->contentsRect().width(), panel->fontMetrics().horizontalAdvance(text))
            << text.toStdString();
    }
    EXPECT_GE(form.statusPanels->panel(0)->width(), 80);  // never narrower than designed
}

TEST(PromptTexts, AStoredMethodNamingAProgramRunsNothing) {
    QTemporaryDir dir;
    auto shell = makeDesktopShell();
    const QString made = dir.filePath(QStringLiteral("made-by-touch"));
    QString error;
    EXPECT_FALSE(shell->execute(nullptr, QStringLiteral("touch"), made, &error));
    QTest::qWait(200);  // a program started detached would have run by now
    EXPECT_FALSE(QFile::exists(made));
    EXPECT_TRUE(error.contains(QStringLiteral("touch")));
}
