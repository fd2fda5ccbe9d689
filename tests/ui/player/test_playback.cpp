// The player plays for real, headless: a countdown of generated WAV files
// from the date menu to the end, the playing row marked and followed, a file
// no player reads reported once and passed over; the window closes cleanly
// while a song plays.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include "playerfixture.h"
#include "sjtest.h"
#include "ui/mainwindow/datepage.h"
#include "ui/mainwindow/panelstatusbar.h"
#include "ui/player/playerbar.h"
#include "ui/player/playercommands.h"
#include "ui/player/queueplayer.h"

VORQ_PLAYER_LEAK_SUPPRESSIONS

using namespace vorq;

namespace {

class PlaybackTest : public PlayerWindowTest {
protected:
    QStringList steps;        // what the window showed each time the player moved on
    QList<qint64> durations;  // per played entry, the length the backend found
    int failures = 0;
    bool finished = false;

    QueuePlayer *player() { return form->playerCommands->player(); }
    void record() {
        QObject::connect(player(), &QueuePlayer::currentChanged, form.get(), [this] {
            // After the window's own handlers: the mark and the page as shown.
            QMetaObject::invokeMethod(
                form.get(),
                [this] {
                    steps << QStringLiteral("mark %1/%2 page %3 bar %4")
                                 .arg(form->playingMark.tag)
                                 .arg(form->playingMark.row)
                                 .arg(form->tabSheet(form->activeTab())->tag())
                                 .arg(form->playerCommands->bar()->nowPlayingLabel->text());
                },
                Qt::QueuedConnection);
        });
        QObject::connect(player(), &QueuePlayer::durationChanged, form.get(), [this](qint64 ms) {
            if (ms > 0) durations.append(ms);
        });
        QObject::connect(player(), &QueuePlayer::playbackFailed, form.get(), [this] { ++failures; });
        QObject::connect(player(), &QueuePlayer::finished, form.get(), [this] { finished = true; });
    }
    bool waitFinished() {
        // Generous: a loaded machine or a sanitizer build plays slowly.
        return QTest::qWaitFor([&] { return finished; }, 120000);
    }
};

TEST_F(PlaybackTest, CountdownFromTheDateMenuPlaysToTheEndFollowingTheRow) {
    const int before = 19950415;
    form->setActiveTab(pageOf(before));
    record();
    // The date menu of 1995-04-22, "カウントダウン再生" > "全順位".
    QListWidget *dates = form->dateList;
    int row = -1;
    for (int i = 0; i < dates->count(); ++i)
        if (dates->item(i)->text() == QString::fromUtf8("1995年04月22日")) row = i;
    ASSERT_GE(row, 0);
    QTest::mousePress(dates->viewport(), Qt::RightButton, {},
                      dates->visualItemRect(dates->item(row)).center());
    auto *menu = form->dateMenu->findChild<QMenu *>(QStringLiteral("CountdownMenu"));
    ASSERT_TRUE(menu);
    EXPECT_TRUE(menu->menuAction()->isEnabled());
    form->dateMenu->hide();
    form->setActiveTab(pageOf(before));  // the right press showed the week; start elsewhere
    menu->findChild<QAction *>(QStringLiteral("CountdownAll"))->trigger();
    EXPECT_TRUE(form->playerCommands->bar()->isVisible());

    ASSERT_TRUE(waitFinished());
    QApplication::processEvents();
    const QStringList expected = {u8("mark 19950422/3 page 19950422 bar 4位 Four / D"),
                                  u8("mark 19950422/2 page 19950422 bar 3位 Three / C"),
                                  u8("mark 19950422/1 page 19950422 bar 2位 Two / B"),
                                  u8("mark 19950422/0 page 19950422 bar 1位 One / A"),
                                  u8("mark 0/-1 page 19950422 bar ")};
    EXPECT_EQ(steps, expected);
    // The three WAV files played through; the broken one was reported once.
    EXPECT_EQ(durations, (QList<qint64>{1000, 1000, 1000}));
    EXPECT_EQ(failures, 1);
    const QString message = form->playerCommands->messageLabel()->text();
    EXPECT_TRUE(message.contains(song(2))) << message.toStdString();
    EXPECT_EQ(player()->state(), QueuePlayer::State::Stopped);
    // The panels of the status bar stay as they were.
    EXPECT_TRUE(form->statusPanels->panel(0)->isVisible());
}

TEST_F(PlaybackTest, ResultRowsFollowTheirWeeksAndClosingStopsThePlayer) {
    // A countdown playing when the search's rows are asked for.
    form->playerCommands->countdown(19950422, {1, false});
    ASSERT_TRUE(QTest::qWaitFor([&] { return player()->position() > 0; }, 60000));
    record();
    // A search's rows over both weeks: the page follows each song's week.
    const ChartTab &week = form->store().tabs.at(pageOf(19950422));
    const ChartTab &before = form->store().tabs.at(pageOf(19950415));
    form->playerCommands->playResultRows({ResultRow::fromEntry(week.caption, week.rows.at(3), "1", "3"),
                                          ResultRow::fromEntry(before.caption, before.rows.at(1), "2", "1"),
                                          ResultRow::fromEntry(before.caption, before.rows.at(0), "2", "0")});
    ASSERT_EQ(player()->queue().entries.size(), 2);
    ASSERT_EQ(player()->queue().skipped.size(), 1);  // "Four" has no file in the older week
    EXPECT_FALSE(form->playerCommands->messageLabel()->text().isEmpty());
    // The bar shows the new song's length, not the old one's nor none.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return form->playerCommands->bar()->timeLabel->text().endsWith(QStringLiteral("/ 0:01")); },
        60000))
        << form->playerCommands->bar()->timeLabel->text().toStdString();
    ASSERT_TRUE(waitFinished());
    QApplication::processEvents();
    ASSERT_GE(steps.size(), 2);
    EXPECT_TRUE(steps.at(0).startsWith(u8("mark 19950422/3 page 19950422"))) << steps.at(0).toStdString();
    EXPECT_TRUE(steps.at(1).startsWith(u8("mark 19950415/0 page 19950415"))) << steps.at(1).toStdString();
    EXPECT_EQ(durations, (QList<qint64>{1000, 1000}));

    // Closing the bar leaves no row marked as playing.
    form->playerCommands->countdown(19950422, {1, false});
    ASSERT_TRUE(QTest::qWaitFor([&] { return form->playingMark.row >= 0; }, 60000));
    form->playerCommands->bar()->closeButton->click();
    EXPECT_EQ(form->playingMark.row, -1);

    // Closing the window in the middle of a song stops it at once.
    finished = false;
    form->playerCommands->countdown(19950422, {1, false});
    ASSERT_TRUE(QTest::qWaitFor([&] { return player()->position() > 0; }, 60000));
    EXPECT_TRUE(form->close());
    EXPECT_EQ(player()->state(), QueuePlayer::State::Stopped);
    EXPECT_EQ(player()->position(), 0);
    form.reset();
}

}  // namespace
