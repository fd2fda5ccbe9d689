// The library windows on the main window: the review window proposes,
// applies only what is ticked (and nothing while associations are locked)
// and marks the change; the wanted window lists what is still missing,
// follows the changes while open and names the left-out candidates.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "core/base/appenv.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "musicfiles.h"
#include "sjtest.h"
#include "ui/library/libraryreviewwindow.h"
#include "ui/library/wantedwindow.h"

using namespace vorq;

class LibraryWindowsTest : public ScratchWindowTest {
protected:
    vorq::test::ScopedFakes fakes;
    QTemporaryDir music;
    void SetUp() override {
        ScratchWindowTest::SetUp();
        const QString data = scratchDataFolder();
        sjis::saveLines(data + QStringLiteral("19950408.txt"), {sj("1\tOther\tB"), sj("5\tHit\tA")});
        sjis::saveLines(data + QStringLiteral("19950415.txt"), {sj("1\tX\tC"), sj("2\tHit\tA")});
        sjis::saveLines(data + QStringLiteral("19950422.txt"), {sj("1\tHit\tA"), sj("2\tSecond\tA")});
        ASSERT_TRUE(test::writeTaggedMp3(music.filePath(QStringLiteral("hit.mp3")), u8("Hit"), u8("A")));
        ASSERT_TRUE(
            test::writeTaggedMp3(music.filePath(QStringLiteral("second.mp3")), u8("Second (Live)"), u8("A")));
        QFile empty(music.filePath(QStringLiteral("C - X.mp3")));  // a download that failed
        ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
        empty.close();
        startMainWindow(form, options);
    }
    QAction *action(const char *name) { return form->findChild<QAction *>(QString::fromLatin1(name)); }
    LibraryReviewWindow *scannedReview() {
        action("LibraryReview")->trigger();
        auto *review = form->findChild<LibraryReviewWindow *>();
        if (!review) return nullptr;
        review->folderEdit->setText(music.path());
        QTest::mouseClick(review->scanButton, Qt::LeftButton);
        return review;
    }
    int rowsWithFile() const {
        int n = 0;
        for (const ChartTab &t : form->store().tabs)
            for (const ChartEntry &e : t.rows) n += e.file.isEmpty() ? 0 : 1;
        return n;
    }
};

TEST_F(LibraryWindowsTest, ReviewAppliesOnlyTickedRowsToEveryDateAndWantedListFollows) {
    ASSERT_FALSE(HasFatalFailure());
    options->lockAssociationsBox->setChecked(false);
    action("WantedSongs")->trigger();  // open before: it follows the apply
    auto *wanted = form->findChild<WantedWindow *>();
    ASSERT_TRUE(wanted && wanted->isVisible());
    EXPECT_EQ(wanted->wantedTable->rowCount(), 4);

    LibraryReviewWindow *review = scannedReview();
    ASSERT_TRUE(review && review->isVisible());
    ASSERT_EQ(review->proposalTable->rowCount(), 2);
    EXPECT_EQ(review->proposalTable->item(0, 2)->text(), u8("Hit"));
    EXPECT_EQ(review->proposalTable->item(0, 0)->checkState(), Qt::Checked);
    // "Second (Live)" is another version: below the threshold, unticked, hidden, marked.
    EXPECT_EQ(review->proposalTable->item(1, 0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(review->visibleRows(), 1);
    EXPECT_EQ(review->proposalTable->item(1, 6)->text(), u8("版違い: Live"));
    EXPECT_EQ(review->tabs->tabText(1), u8("除外したファイル (1)"));
    EXPECT_EQ(review->leftOutTable->item(0, 0)->text(), u8("空のファイル"));
    review->thresholdSlider->setValue(50);
    EXPECT_EQ(review->visibleRows(), 2);
    review->thresholdSlider->setValue(100);
    QTest::mouseClick(review->selectAllButton, Qt::LeftButton);
    EXPECT_EQ(review->proposalTable->item(1, 0)->checkState(),
              Qt::Unchecked);  // hidden rows stay as they were

    fakes.prompter.answers.push_back(QMessageBox::Ok);
    QTest::mouseClick(review->applyButton, Qt::LeftButton);
    const QByteArray hit = sjis::fromUnicode(music.filePath(QStringLiteral("hit.mp3")));
    for (const ChartTab &t : form->store().tabs)
        for (const ChartEntry &e : t.rows)
            EXPECT_EQ(e.file, e.title == "Hit" ? hit : QByteArray()) << e.title.constData();
    EXPECT_EQ(rowsWithFile(), 3);
    EXPECT_TRUE(form->associationsDirty());

    // The wanted window, open all along, drops "Hit" and names the empty file of "X".
    ASSERT_TRUE(QTest::qWaitFor([&] { return wanted->wantedTable->rowCount() == 3; }, 5000));
    EXPECT_EQ(wanted->wantedTable->item(0, 1)->text(), u8("Other"));  // #1 in the earlier week, before "X"
    EXPECT_EQ(wanted->wantedTable->item(1, 1)->text(), u8("X"));
    EXPECT_TRUE(wanted->wantedTable->item(1, 5)->text().startsWith(u8("候補は除外: 空のファイル")));
    EXPECT_EQ(wanted->wantedTable->item(2, 1)->text(), u8("Second"));
}

// "関連づけの変更を禁止する。": the window shows its proposals and ticks,
// 適用 is off and says why, and nothing is associated even when asked
// directly; unticking the option gives 適用 back at once.
TEST_F(LibraryWindowsTest, TheChangeLockLetsTheReviewWindowLookButNotApply) {
    ASSERT_FALSE(HasFatalFailure());
    ASSERT_TRUE(options->lockAssociationsBox->isChecked());  // the default
    LibraryReviewWindow *review = scannedReview();
    ASSERT_TRUE(review);
    EXPECT_EQ(review->proposalTable->item(0, 0)->checkState(), Qt::Checked);
    EXPECT_FALSE(review->applyButton->isEnabled());
    EXPECT_TRUE(review->lockLabel->isVisible());
    EXPECT_TRUE(review->lockLabel->text().contains(u8("関連づけの変更を禁止する。")));

    // Both windows fit the screen they open on, buttons included.
    action("WantedSongs")->trigger();
    auto *wanted = form->findChild<WantedWindow *>();
    ASSERT_TRUE(wanted);
    const QRect screen = form->screen()->availableGeometry();
    for (QWidget *w : {static_cast<QWidget *>(review), static_cast<QWidget *>(wanted)}) {
        EXPECT_LE(w->width(), screen.width()) << qPrintable(w->objectName());
        EXPECT_LE(w->height(), screen.height()) << qPrintable(w->objectName());
    }
    EXPECT_TRUE(screen.contains(review->applyButton->mapToGlobal(review->applyButton->rect().bottomRight())));

    fakes.prompter.answers.push_back(QMessageBox::Ok);
    review->apply();
    EXPECT_EQ(rowsWithFile(), 0);
    EXPECT_FALSE(form->associationsDirty());
    ASSERT_EQ(fakes.prompter.asked.size(), 1);

    options->lockAssociationsBox->setChecked(false);
    EXPECT_TRUE(review->applyButton->isEnabled());
    EXPECT_FALSE(review->lockLabel->isVisible());
}

// Enter in the folder field scans; it opens no folder dialog.
TEST_F(LibraryWindowsTest, EnterInTheFolderFieldScans) {
    ASSERT_FALSE(HasFatalFailure());
    action("LibraryReview")->trigger();
    auto *review = form->findChild<LibraryReviewWindow *>();
    ASSERT_TRUE(review);
    review->folderEdit->setText(music.path());
    review->folderEdit->setFocus();
    QTest::keyClick(review->folderEdit, Qt::Key_Return);
    EXPECT_EQ(review->proposalTable->rowCount(), 2);
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
}
