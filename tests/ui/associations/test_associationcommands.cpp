// The association commands on the main window: drop, clear, the same-song
// question, the automatic update from its button, drag-out and the file
// menu, and the marker that the close question turns into file.idx.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "core/base/appenv.h"
#include "core/text/sjistext.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/associations/associationcommands.h"
#include "ui/associations/indexhistorydialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

QByteArray readBytes(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

// Answers the result list window's same-song question once it shows:
// records its rows, selection and header, then clicks a button.
struct QuestionAnswer {
    QStringList dates;
    QList<int> selected;
    QString header;
    bool asked = false;
};
void answerWhenShown(ResultListWindow *w, QPushButton *ResultListWindow::*button, QuestionAnswer *seen) {
    QTimer::singleShot(10, w, [=] {
        if (!w->isVisible()) return answerWhenShown(w, button, seen);
        seen->asked = true;
        for (const ResultRow &r : w->rows()) seen->dates << sjis::toUnicode(r.text(ResultRow::Date));
        seen->selected = w->selectedRows();
        seen->header = w->headerText();
        (w->*button)->click();
    });
}

class AssociationCommandsTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog, music;
    ScopedFakes fakes;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    QString data;

    void SetUp() override {
        ASSERT_TRUE(home.isValid() && prog.isValid() && music.isValid());
        useScratchFolders(home, prog, QDate(1995, 5, 20));
        data = scratchDataFolder();
        // "Hit" by "Star" charts on three dates; "Solo" on one.
        const QByteArray hit = "Hit\tStar";
        sjis::saveLines(data + QStringLiteral("19950422.txt"), {"1\t" + hit, "2\tSolo\tOne"});
        sjis::saveLines(data + QStringLiteral("19950415.txt"), {"1\tOther\tX", "2\t" + hit});
        sjis::saveLines(data + QStringLiteral("19950408.txt"), {"1\t" + hit, "2\tGone\tY"});
        sjis::saveLines(data + QStringLiteral("file.idx"), {"19950408002\t/nowhere/gone.mp3\t"});
    }
    void TearDown() override {
        form.reset();
        env::setToday({});
        env::setProgramFolder({});
    }
    void start(bool dragDisabled = false) {
        startMainWindow(form, options);
        if (::testing::Test::HasFatalFailure()) return;
        options->lockAssociationsBox->setChecked(dragDisabled);
        form->resize(900, 600);
        form->setActiveTab(0);  // 1995-04-22
        QApplication::processEvents();
        view();
        QApplication::processEvents();  // the view on screen, as a drop finds it
    }
    QTableView *view() { return form->listView(form->activeTab()); }
    QPoint rowCenter(int row) { return view()->visualRect(view()->model()->index(row, 1)).center(); }
    const ChartEntry &entry(int tab, int row) { return form->store().tabs.at(tab).rows.at(row); }
    QString musicFile(const char *name) {
        const QString p = music.filePath(QString::fromLatin1(name));
        QFile f(p);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        return p;
    }
    // Files dropped from a file manager: what the window's drop event hands on.
    void drop(const QString &file, int row) {
        form->onFilesDropped({file}, view()->viewport()->mapToGlobal(rowCenter(row)));
    }
    void mouse(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent ev(type, pos, view()->viewport()->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(view()->viewport(), &ev);
    }
};

}  // namespace

TEST_F(AssociationCommandsTest, DropOnASongWithThreeRowsAsksAndEachAnswerReachesItsRows) {
    start();
    ResultListWindow *w = form->resultWindow();
    const QString song = musicFile("hit.mp3");
    QuestionAnswer seen;
    answerWhenShown(w, &ResultListWindow::applyToSelectedButton, &seen);
    drop(song, 0);
    ASSERT_TRUE(seen.asked);
    EXPECT_EQ(seen.dates, QStringList({u8("1995年04月22日"), u8("1995年04月15日"), u8("1995年04月08日")}));
    EXPECT_EQ(seen.selected, QList<int>{0});  // the dropped row
    EXPECT_EQ(seen.header,
              u8("曲名:\"Hit\", \r\nアーティスト名:\"Star\"で\r\n検索した結果は次の通りです。\r\n"
                 "同名の項目が複数見つかりましたが、どのように処理しますか?"));
    EXPECT_EQ(entry(0, 0).file, sjis::fromUnicode(song));
    EXPECT_TRUE(entry(1, 1).file.isEmpty());
    EXPECT_TRUE(entry(2, 0).file.isEmpty());
    EXPECT_TRUE(form->associationsDirty());
    EXPECT_EQ(form->statusPanels->panelText(2), song);  // the dropped row is selected

    const QString other = musicFile("other.mp3");
    answerWhenShown(w, &ResultListWindow::applyToAllButton, &seen);
    drop(other, 0);
    EXPECT_EQ(entry(0, 0).file, sjis::fromUnicode(other));
    EXPECT_EQ(entry(1, 1).file, sjis::fromUnicode(other));
    EXPECT_EQ(entry(2, 0).file, sjis::fromUnicode(other));

    form->saveAssociationIndex();
    answerWhenShown(w, &ResultListWindow::closeButton, &seen);
    drop(song, 0);
    EXPECT_EQ(entry(0, 0).file, sjis::fromUnicode(other));
    EXPECT_FALSE(form->associationsDirty());
    EXPECT_EQ(w->layoutMode(), ResultListWindow::SameSong);

    // The close question writes what the marker stands for.
    answerWhenShown(w, &ResultListWindow::applyToSelectedButton, &seen);
    form->clearButton->click();
    fakes.prompter.answers = {QMessageBox::Yes};
    EXPECT_TRUE(form->close());
    const QList<QByteArray> idx = sjis::splitLines(readBytes(data + QStringLiteral("file.idx")));
    EXPECT_FALSE(idx.contains("19950422001\t" + sjis::fromUnicode(other) + '\t'));
    EXPECT_TRUE(idx.contains("19950415002\t" + sjis::fromUnicode(other) + '\t'));
}

TEST_F(AssociationCommandsTest, ASongOnOneDateIsSetWithoutAskingAndClearedByTheButton) {
    start();
    const QString song = musicFile("solo.mp3");
    drop(song, 1);
    EXPECT_FALSE(form->resultWindow()->isVisible());
    EXPECT_EQ(entry(0, 1).file, sjis::fromUnicode(song));
    EXPECT_TRUE(form->associationsDirty());
    ASSERT_TRUE(form->clearButton->isEnabled());

    form->saveAssociationIndex();
    EXPECT_FALSE(form->associationsDirty());
    form->clearButton->click();
    EXPECT_TRUE(entry(0, 1).file.isEmpty());
    EXPECT_TRUE(form->associationsDirty());  // every change marks
    EXPECT_FALSE(form->clearButton->isEnabled());
}

TEST_F(AssociationCommandsTest, DropIsRefusedWhileLockedOutsideRowsAndForNamesShiftJisCannotHold) {
    start(true);
    const QString song = musicFile("solo.mp3");
    drop(song, 1);
    EXPECT_TRUE(entry(0, 1).file.isEmpty());
    EXPECT_FALSE(form->associationsDirty());

    options->lockAssociationsBox->setChecked(false);
    form->associationCommands->drop({song}, view()->viewport()->mapToGlobal(QPoint(5, 500)));
    const int y = rowCenter(1).y();  // beside the view: the date list, the button panel
    for (const int x : {-30, view()->viewport()->width() + 30})
        form->associationCommands->drop({song}, view()->viewport()->mapToGlobal(QPoint(x, y)));
    EXPECT_FALSE(form->associationsDirty());

    const QString odd = music.filePath(QString::fromUtf8("\xF0\x9F\x8E\xB5.mp3"));  // U+1F3B5
    form->associationCommands->drop({odd}, view()->viewport()->mapToGlobal(rowCenter(1)));
    EXPECT_TRUE(entry(0, 1).file.isEmpty());
    EXPECT_FALSE(form->associationsDirty());
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_TRUE(fakes.prompter.asked.at(0).text.contains(QStringLiteral("U+1F3B5")));
}

TEST_F(AssociationCommandsTest, AutoUpdateAsksFirstThenDropsDeadLinksAndFindsPatternNames) {
    start();
    options->fileNamePatternBox->setChecked(true);
    options->fileNamePatternEdit->setText(QStringLiteral("%a-%t.mp3"));
    options->musicFolderEdit->setText(music.path());  // no trailing "/"
    musicFile("Star-Hit.mp3");

    fakes.prompter.answers = {QMessageBox::No};
    form->autoUpdateButton->click();
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked.at(0).caption, u8("関連付けの自動更新"));
    EXPECT_EQ(
        fakes.prompter.asked.at(0).text,
        u8("次の作業を行いますが、よろしいですか。\r\n\r\n・存在しないファイルを関連付けから抹消します。\r\n"
           "・すでに設定されている関連付けを参考に、\r\n  関連付けられていない項目についても、\r\n"
           "  自動的に関連付けを設定します。"));
    EXPECT_EQ(entry(2, 1).file, QByteArray("/nowhere/gone.mp3"));
    EXPECT_FALSE(form->associationsDirty());

    fakes.prompter.answers = {QMessageBox::Yes};
    form->autoUpdateButton->click();
    EXPECT_TRUE(entry(2, 1).file.isEmpty());
    const QByteArray found = sjis::fromUnicode(music.path() + QStringLiteral("/Star-Hit.mp3"));
    EXPECT_EQ(entry(0, 0).file, found);
    EXPECT_EQ(entry(1, 1).file, found);
    EXPECT_EQ(entry(2, 0).file, found);
    EXPECT_TRUE(entry(0, 1).file.isEmpty());
    EXPECT_TRUE(form->associationsDirty());
    EXPECT_FALSE(form->resultWindow()->isVisible());  // the update never asks
    EXPECT_TRUE(form->pageStack->updatesEnabled());
}

TEST_F(AssociationCommandsTest, DragStartsAtTenPixelsAndAMissingFileIsReported) {
    start();
    const QString song = musicFile("solo.mp3");
    drop(song, 1);
    const QPoint p = rowCenter(1);
    mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, p + QPoint(9, 0), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, p + QPoint(0, -9), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(fakes.shell.calls.isEmpty());
    mouse(QEvent::MouseMove, p + QPoint(10, 0), Qt::NoButton, Qt::LeftButton);
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls.at(0).op, QStringLiteral("drag"));
    EXPECT_EQ(fakes.shell.calls.at(0).targets, QStringList{song});
    mouse(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);

    // The right button over a row whose file exists: the file menu.
    mouse(QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    ASSERT_EQ(fakes.shell.calls.size(), 2);
    EXPECT_EQ(fakes.shell.calls.at(1).op, QStringLiteral("menu"));
    mouse(QEvent::MouseButtonRelease, p, Qt::RightButton, Qt::NoButton);

    // A missing file: nothing, and the message only with DisplayAlerts on.
    QFile::remove(song);
    mouse(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, p + QPoint(0, 12), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    options->missingFileAlertBox->setChecked(true);
    mouse(QEvent::MouseMove, p + QPoint(0, 12), Qt::NoButton, Qt::LeftButton);
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked.at(0).caption, u8("ファイルが見つかりません"));
    EXPECT_EQ(
        fakes.prompter.asked.at(0).text,
        song +
            u8("は存在しません。\r\nファイルの場所を確認するか、ディスクを変更してもう一度実行してください"));
    mouse(QEvent::MouseButtonPress, p, Qt::RightButton, Qt::RightButton);
    EXPECT_EQ(fakes.shell.calls.size(), 2);
}

TEST_F(AssociationCommandsTest, FirstActivationUpdatesWithoutAskingWhenTheOptionsSaySo) {
    form = std::make_unique<MainWindow>();
    options = new OptionsDialog(form.get());
    form->setOptions(options);
    form->show();
    // The automation reads the boxes at the first activation, after show.
    options->autoRunAssociateBox->setChecked(true);
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->startupGuard() == 1; }, 5000));
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    EXPECT_TRUE(entry(2, 1).file.isEmpty());  // the dead link is gone
    EXPECT_TRUE(form->associationsDirty());
}

TEST_F(AssociationCommandsTest, TheHistoryPutsAKeptVersionBackAfterTheUnsavedChangesAreSettled) {
    start();
    const QByteArray first = readBytes(data + QStringLiteral("file.idx"));
    form->associationCommands->setFile({0, 1}, "/m/solo.mp3");
    form->saveAssociationIndex();  // keeps the first version
    form->associationCommands->setFile({0, 1}, "/m/again.mp3");
    QAction *history = form->associationMenu->findChild<QAction *>(QStringLiteral("IndexHistory"));
    ASSERT_TRUE(history && history->text() == QStringLiteral("関連付けの履歴…"));

    IndexHistoryDialog dialog(form.get());
    ASSERT_EQ(dialog.versionTable->rowCount(), 1);
    EXPECT_EQ(dialog.versionTable->item(0, 1)->text(), QStringLiteral("1"));
    // The unsaved change is asked about first; a cancel there restores nothing.
    fakes.prompter.answers = {QMessageBox::Yes, QMessageBox::Cancel};
    dialog.restoreSelected();
    EXPECT_EQ(entry(0, 1).file, QByteArray("/m/again.mp3"));
    EXPECT_NE(readBytes(data + QStringLiteral("file.idx")), first);

    fakes.prompter.answers = {QMessageBox::Yes, QMessageBox::No};  // discard, then restore
    dialog.restoreSelected();
    EXPECT_EQ(readBytes(data + QStringLiteral("file.idx")), first);
    EXPECT_EQ(entry(0, 1).file, QByteArray());  // shown as restored, removals too
    EXPECT_EQ(entry(2, 1).file, QByteArray("/nowhere/gone.mp3"));
    EXPECT_FALSE(form->associationsDirty());
    EXPECT_EQ(dialog.versionTable->rowCount(), 2);  // the replaced version is kept
}
