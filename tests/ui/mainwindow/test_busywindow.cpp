// The main window while it is busy: input during a reload, the wait
// dialog's stop button under the options dialog, the "Option" button and
// closing during an import, cancel of a bulk run, and the empty chart area.
// Clicks go through the window system's path (QWindow events), where modal
// windows block input, not straight to a widget.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "chartsite.h"
#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "fakeshell.h"
#include "historygen.h"
#include "mainwindowfixture.h"
#include "ui/common/waitdialog.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/importhost.h"
#include "ui/mainwindow/emptycharthint.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

using namespace vorq;
using vorq::test::ChartSite;
using vorq::test::ScopedFakes;

namespace {

WaitDialog *visibleWaitDialog() {
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *d = qobject_cast<WaitDialog *>(w); d && d->isVisible()) return d;
    return nullptr;
}

// A left click delivered to the window holding w, as the window system
// delivers it: blocked when a modal window stands in the way.
void windowClick(QWidget *w, const QPoint &pos) {
    QWidget *top = w->window();
    QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, w->mapTo(top, pos));
}

// Runs f once, on the first tick where ready() holds.
void when(std::function<bool()> ready, std::function<void()> f) {
    auto *poll = new QTimer;
    QObject::connect(poll, &QTimer::timeout, [poll, ready, f] {
        if (!ready()) return;
        poll->stop();
        poll->deleteLater();
        f();
    });
    poll->start(1);
}

class BusyWindowTest : public ScratchWindowTest {
protected:
    ScopedFakes fakes;
    std::unique_ptr<ChartSite> site;
    QString data;

    void SetUp() override {
        ScratchWindowTest::SetUp();
        data = sjis::toUnicode(GetUserSettingsFolder());  // the default data folder
    }
    void start() {
        startMainWindow(form, options);
        if (site) options->dataUrlEdit->setText(QString::fromLatin1(site->urlTemplate()));
    }
    // Years of charts: a load long enough to let events run several times
    // (it lets them run every 30 ms), even on a fast machine.
    int generateHistory() {
        const QDate today(2012, 1, 1);
        env::setToday(today);
        return bench::generateHistory(data, {.today = today, .seed = 3, .rowsPerWeek = 100}).charts;
    }
    void expectPagesMatchTables() {
        ASSERT_EQ(form->tabCount(), form->store().tabs.size());
        for (int i = 0; i < form->tabCount(); ++i) {
            EXPECT_EQ(form->tabSheet(i)->tag(), form->store().tabs[i].tag) << i;
            EXPECT_EQ(form->tabSheet(i)->caption(), sjis::toUnicode(form->store().tabs[i].caption)) << i;
        }
    }
};

}  // namespace

TEST_F(BusyWindowTest, AClickOnADateDuringAReloadIsBlockedAndPagesFollowTheStore) {
    const int charts = generateHistory();
    start();
    ASSERT_EQ(form->tabCount(), charts);
    options->importFromTextRadio->setChecked(true);
    const QString chosen = home.filePath(QStringLiteral("19950506.txt"));
    sjis::saveLines(chosen, {"1\tSong\tArtist"});
    fakes.prompter.files.push_back(chosen);
    options->dateStartBox->setCurrentIndex(options->dateStartBox->currentIndex() + 1);

    bool clicked = false;
    when(
        [] {
            return visibleWaitDialog() &&
                   visibleWaitDialog()->messageLabel->text().startsWith(QStringLiteral("読み込み中"));
        },
        [&] {
            // After the tabs were disposed every date is drawn engraved.
            QListWidgetItem *item = form->dateList->item(0);
            windowClick(form->dateList->viewport(), form->dateList->visualItemRect(item).center());
            clicked = true;
        });
    QTest::mouseClick(options->applyButton, Qt::LeftButton);
    EXPECT_TRUE(clicked);
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());  // nothing was imported meanwhile
    EXPECT_EQ(form->tabCount(), charts - 1);
    expectPagesMatchTables();

    // A table that replaced another at the same index gets its own page.
    form->store().tabs[0].tag = 19950506;
    form->store().tabs[0].caption = dateLabelFromTag(19950506);
    form->loadChartFile(static_cast<int>(form->store().tabs.size()), chosen);
    expectPagesMatchTables();
}

TEST_F(BusyWindowTest, TheStopButtonWorksDuringApplyInTheModalOptionsDialog) {
    const int charts = generateHistory();
    start();
    bool stopped = false;
    when([&] { return options->isVisible(); },
         [&] {
             options->dateStartBox->setCurrentIndex(options->dateStartBox->currentIndex() + 1);
             ASSERT_TRUE(options->applyButton->isEnabled());
             when([] { return visibleWaitDialog() && visibleWaitDialog()->stopButton->isVisible(); },
                  [&] {
                      WaitDialog *wait = visibleWaitDialog();
                      windowClick(wait->stopButton, wait->stopButton->rect().center());
                      stopped = wait->stopRequested();
                  });
             QTest::mouseClick(options->applyButton, Qt::LeftButton);
             options->reject();
         });
    form->onOptionsClicked();
    EXPECT_TRUE(stopped);
    EXPECT_LT(form->tabCount(), charts - 1);
    expectPagesMatchTables();
}

TEST_F(BusyWindowTest, OptionIsDisabledDuringAnImportAndClosingCancelsTheRunFirst) {
    ChartSite::Options o;
    o.delayMs = 400;
    site = std::make_unique<ChartSite>(o);
    ASSERT_TRUE(site->start());
    start();
    bool optionsDisabled = false;
    when([&] { return currentBulkDialog(form.get()) && currentBulkDialog(form.get())->isVisible(); },
         [&] {
             optionsDisabled = !form->optionsButton->isEnabled();
             form->markChanged();  // unsaved associations: the close asks
             form->close();
         });
    fakes.prompter.answers.push_back(QMessageBox::No);
    QElapsedTimer clock;
    clock.start();
    importMissingDates(form.get());
    EXPECT_LT(clock.elapsed(), 400);
    EXPECT_TRUE(optionsDisabled);
    EXPECT_TRUE(form->optionsButton->isEnabled());
    EXPECT_TRUE(QDir(data).entryList({QStringLiteral("*.txt")}).isEmpty());  // nothing saved
    EXPECT_LE(site->requests(), 1);  // no date after the one in flight
    // The designed question comes after the run has ended, then the window closes.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 2000));
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked[0].caption, QStringLiteral("保存の確認"));
}

TEST_F(BusyWindowTest, CancelOrEscapeDropsThePageInFlightWithoutQuestions) {
    ChartSite::Options o;
    o.missing = {QDate(1995, 4, 22), QDate(1995, 4, 29)};
    o.delayMs = 30;  // arrives before connectionTimer's next tick could close the socket
    site = std::make_unique<ChartSite>(o);
    ASSERT_TRUE(site->start());
    start();
    options->ignoreErrorBox->setChecked(false);  // a missing page would ask
    for (const bool escape : {false, true}) {
        when([&] { return currentBulkDialog(form.get()) && currentBulkDialog(form.get())->isVisible(); },
             [&] {
                 BulkDownloadDialog *d = currentBulkDialog(form.get());
                 if (escape)
                     QTest::keyClick(d->windowHandle(), Qt::Key_Escape);
                 else
                     windowClick(d->cancelButton, d->cancelButton->rect().center());
             });
        importDateList(form.get(), {QString::number(rowOf(escape ? "1995年04月29日" : "1995年04月22日"))});
        EXPECT_TRUE(fakes.prompter.asked.isEmpty()) << escape;
    }
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("notfound.txt")));
    EXPECT_EQ(form->tabCount(), 0);
}

TEST_F(BusyWindowTest, TheEmptyChartAreaSaysHowChartsArriveUntilOneIsShown) {
    start();
    auto *hint = form->pageStack->findChild<EmptyChartHint *>();
    ASSERT_NE(hint, nullptr);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->geometry(), form->pageStack->rect());
    EXPECT_TRUE(hint->text().contains(QStringLiteral("「Option」の「Web」")));
    const QRect chartArea = form->pageStack->geometry();

    options->importFromTextRadio->setChecked(true);
    const QString chosen = home.filePath(QStringLiteral("19950506.txt"));
    sjis::saveLines(chosen, {"1\tSong\tArtist"});
    fakes.prompter.files.push_back(chosen);
    windowClick(form->dateList->viewport(), form->dateList->visualItemRect(form->dateList->item(0)).center());
    ASSERT_EQ(form->tabCount(), 1);
    EXPECT_FALSE(hint->isVisible());
    EXPECT_EQ(form->pageStack->geometry(), chartArea);  // nothing of the layout moved

    form->disposeAllTabs();
    EXPECT_TRUE(hint->isVisible());
}

TEST_F(BusyWindowTest, OpenDialogsAddTheirDefaultExtension) {
    start();
    options->importFromTextRadio->setChecked(true);
    const QString chosen = home.filePath(QStringLiteral("19950506"));
    sjis::saveLines(chosen + QStringLiteral(".txt"), {"1\tSong\tArtist"});
    fakes.prompter.files.push_back(chosen);  // typed without ".txt"
    importDateList(form.get(), {QString::number(rowOf("1995年04月08日"))});
    ASSERT_EQ(form->tabCount(), 1);
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950506);
}

TEST(BulkDialogLayout, FiguresStandInsideTheirGroupBelowItsTitle) {
    QWidget owner;
    owner.show();
    BulkDownloadDialog dlg(&owner);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    for (QGroupBox *group : {dlg.currentGroup, dlg.allGroup}) {
        const QRect inside = group->contentsRect();
        const QList<QLabel *> labels = group->findChildren<QLabel *>(Qt::FindDirectChildrenOnly);
        ASSERT_EQ(labels.size(), 6);
        for (QLabel *label : labels) {
            EXPECT_GE(label->y(), inside.top()) << label->text().toStdString();
            EXPECT_LE(label->geometry().bottom(), inside.bottom()) << label->text().toStdString();
        }
    }
}
