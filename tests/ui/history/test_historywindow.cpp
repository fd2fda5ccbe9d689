// The chart history commands on the main window: a song's and an artist's
// window from the selected row, a week chosen from the appearances, the
// plot exported, the top lists following a reload.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "core/base/appenv.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/history/chartrunplot.h"
#include "ui/history/historywindow.h"
#include "ui/history/toplistsdialog.h"

using namespace vorq;

namespace {

class HistoryWindowTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog;
    vorq::test::ScopedFakes fakes;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    QString data;

    void SetUp() override {
        useScratchFolders(home, prog, QDate(1995, 5, 20));
        data = scratchDataFolder();
        // "Hit" climbs 5, 2, 1; "Other" is in the first week only.
        sjis::saveLines(data + QStringLiteral("19950408.txt"), {sj("1\tOther\tB"), sj("5\tHit\tA")});
        sjis::saveLines(data + QStringLiteral("19950415.txt"), {sj("1\tX\tC"), sj("2\tHit\tA")});
        sjis::saveLines(data + QStringLiteral("19950422.txt"), {sj("1\tHit\tA"), sj("2\tSecond\tA")});
        startMainWindow(form, options);
    }
    void TearDown() override {
        form.reset();
        env::setToday({});
        env::setProgramFolder({});
    }
    QAction *action(const char *name) { return form->findChild<QAction *>(QString::fromLatin1(name)); }
    HistoryWindow *window() { return form->findChild<HistoryWindow *>(); }
};

TEST_F(HistoryWindowTest, SongWindowFromTheSelectedRowShowsItsRunAndChoosesAWeek) {
    ASSERT_FALSE(HasFatalFailure());
    // The newest week is page 0; its first row is "Hit" at #1.
    form->setActiveTab(0);
    form->listView(0)->selectRow(0);
    action("SongHistory")->trigger();
    HistoryWindow *w = window();
    ASSERT_TRUE(w && w->isVisible());
    EXPECT_TRUE(w->figuresLabel->text().contains(u8("最高位: 1位"))) << w->figuresLabel->text().toStdString();
    EXPECT_TRUE(w->figuresLabel->text().contains(u8("チャートイン: 3週")));
    ASSERT_EQ(w->appearanceTable->rowCount(), 3);
    EXPECT_EQ(w->appearanceTable->item(0, 1)->text(), QStringLiteral("5"));
    ASSERT_EQ(w->plot->series().size(), 1);
    EXPECT_EQ(w->plot->series().first().figures.runs, 1);

    // A double click on the oldest week shows that week's page.
    emit w->appearanceTable->cellDoubleClicked(0, 0);
    EXPECT_EQ(form->tabSheet(form->activeTab())->tag(), 19950408);

    // PNG export at the plot's size through the save dialog.
    QTemporaryDir out;
    const QString png = out.filePath(QStringLiteral("run.png"));
    fakes.prompter.files.push_back(png);
    w->resize(900, 600);
    w->savePngButton->click();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), w->plot->size().expandedTo(QSize(640, 320)));
    const QString svg = out.filePath(QStringLiteral("run.svg"));
    fakes.prompter.files.push_back(svg);
    w->saveSvgButton->click();
    QFile f(svg);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.readAll().contains("<svg"));
}

TEST_F(HistoryWindowTest, ArtistWindowAndTopListsFollowAReload) {
    ASSERT_FALSE(HasFatalFailure());
    form->setActiveTab(0);
    form->listView(0)->selectRow(1);  // "Second" by A
    action("ArtistHistory")->trigger();
    HistoryWindow *w = window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->appearanceTable->rowCount(), 2);  // Hit, Second
    EXPECT_EQ(w->plot->series().size(), 2);

    action("TopLists")->trigger();
    auto *top = form->findChild<TopListsDialog *>();
    ASSERT_TRUE(top);
    EXPECT_EQ(top->table->item(0, 1)->text(), QStringLiteral("Hit"));  // 3 weeks
    // After the newest week is unloaded, the list is computed anew.
    QFile::remove(data + QStringLiteral("19950422.txt"));
    form->disposeAllTabs();
    form->fullLoad();
    top->orderBox->setCurrentIndex(1);  // weeks at #1: Other and X; Hit's was in the week gone
    EXPECT_EQ(top->table->rowCount(), 2);
}

}  // namespace
