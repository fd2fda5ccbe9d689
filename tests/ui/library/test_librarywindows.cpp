// The library windows on the main window: the review window proposes,
// applies only what is ticked and marks the change; the wanted window
// lists what is still missing.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QTest>

#include "../../core/library/musicfiles.h"
#include "core/base/appenv.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
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
        startMainWindow(form, options);
    }
    QAction *action(const char *name) { return form->findChild<QAction *>(QString::fromLatin1(name)); }
};

TEST_F(LibraryWindowsTest, ReviewAppliesOnlyTickedRowsToEveryDateAndWantedListFollows) {
    ASSERT_FALSE(HasFatalFailure());
    action("LibraryReview")->trigger();
    auto *review = form->findChild<LibraryReviewWindow *>();
    ASSERT_TRUE(review && review->isVisible());
    review->folderEdit->setText(music.path());
    QTest::mouseClick(review->scanButton, Qt::LeftButton);
    ASSERT_EQ(review->proposalTable->rowCount(), 2);
    EXPECT_EQ(review->proposalTable->item(0, 2)->text(), u8("Hit"));
    EXPECT_EQ(review->proposalTable->item(0, 0)->checkState(), Qt::Checked);
    EXPECT_EQ(review->proposalTable->item(1, 0)->checkState(), Qt::Unchecked);  // "Second (Live)" is not sure
    review->thresholdSlider->setValue(100);
    EXPECT_EQ(review->visibleRows(), 1);
    QTest::mouseClick(review->selectAllButton, Qt::LeftButton);
    EXPECT_EQ(review->proposalTable->item(1, 0)->checkState(),
              Qt::Unchecked);  // hidden rows stay as they were

    fakes.prompter.answers.push_back(QMessageBox::Ok);
    QTest::mouseClick(review->applyButton, Qt::LeftButton);
    const QByteArray hit = sjis::fromUnicode(music.filePath(QStringLiteral("hit.mp3")));
    int withFile = 0;
    for (const ChartTab &t : form->store().tabs)
        for (const ChartEntry &e : t.rows) {
            EXPECT_EQ(e.file, e.title == "Hit" ? hit : QByteArray()) << e.title.constData();
            withFile += !e.file.isEmpty();
        }
    EXPECT_EQ(withFile, 3);
    EXPECT_TRUE(form->associationsDirty());

    action("WantedSongs")->trigger();
    auto *wanted = form->findChild<WantedWindow *>();
    ASSERT_TRUE(wanted && wanted->isVisible());
    ASSERT_EQ(wanted->wantedTable->rowCount(), 3);
    EXPECT_EQ(wanted->wantedTable->item(0, 1)->text(), u8("Other"));  // #1 in the earlier week, before "X"
    EXPECT_EQ(wanted->wantedTable->item(2, 1)->text(), u8("Second"));
}
