#include <gtest/gtest.h>

#include "core/import/bulkprogress.h"

using vorq::BulkProgress;

TEST(BulkProgress, FirstSecondOfThreeDatesGivesFigures) {
    BulkProgress p;
    p.reset();
    p.startDate(3 * 40000);
    const auto f = p.update(5000, 1000);
    EXPECT_EQ(f.progress, 4);
    EXPECT_EQ(f.timeLeft, QStringLiteral("00:00:23"));
    EXPECT_EQ(f.rate, QStringLiteral("4.8 K/sec"));
    EXPECT_EQ(f.transfer, QStringLiteral("5000"));
    EXPECT_EQ(f.time, QStringLiteral("00:00:01"));
    EXPECT_EQ(f.totTransfer, QStringLiteral("5000"));
    EXPECT_EQ(f.totTime, QStringLiteral("00:00:01"));
}

TEST(BulkProgress, RateTextHasThreeForms) {
    EXPECT_EQ(vorq::rateText(500, 3), QStringLiteral("166 bytes/sec"));
    EXPECT_EQ(vorq::rateText(5000, 0), QStringLiteral("???"));  // first second
    EXPECT_EQ(vorq::rateText(100, 1), QStringLiteral("???"));   // below 102.4 B/s
    EXPECT_EQ(vorq::rateText(1023, 1), QStringLiteral("1023 bytes/sec"));
    EXPECT_EQ(vorq::rateText(1024, 1), QStringLiteral("1.0 K/sec"));
}

TEST(BulkProgress, NothingReceivedShowsUnknownTimeLeft) {
    BulkProgress p;
    p.reset();
    p.startDate(40000);
    const auto f = p.update(0, 500);
    EXPECT_EQ(f.timeLeft, QStringLiteral("???"));
    EXPECT_EQ(f.rate, QStringLiteral("???"));
    EXPECT_EQ(f.progress, 0);
}

TEST(BulkProgress, ZeroExpectationAndOverrun) {
    EXPECT_EQ(vorq::progressPercent(100, 0), 0);
    EXPECT_EQ(vorq::progressPercent(150, 100), 150);
    // An estimate already passed does not show a negative time.
    EXPECT_EQ(vorq::timeLeftText(100, 150, 10, 150), QStringLiteral("00:00:00"));
}

TEST(BulkProgress, PlannedPausesAddToTheTimeLeft) {
    // 20 s of transfer left plus 99 pauses of a second; nothing arrived: "???".
    EXPECT_EQ(vorq::timeLeftText(300, 100, 10, 100, 99000), QStringLiteral("00:01:59"));
    EXPECT_EQ(vorq::timeLeftText(300, 100, 10, 0, 99000), QStringLiteral("???"));
    vorq::BulkProgress p;
    p.startDate(300);
    p.setPlannedWaitMs(5000);
    EXPECT_EQ(p.update(100, 10000).timeLeft, QStringLiteral("00:00:25"));
}

TEST(BulkProgress, ClockWrapsAtADay) {
    EXPECT_EQ(vorq::formatClock(999), QStringLiteral("00:00:00"));
    EXPECT_EQ(vorq::formatClock((25 * 3600 + 61) * 1000LL), QStringLiteral("01:01:01"));
}

TEST(BulkProgress, TotalsAddFinishedDates) {
    BulkProgress p;
    p.reset();
    p.startDate(80000);
    p.update(30000, 2000);
    p.finishDate();
    p.startDate(60000);
    const auto f = p.update(1000, 500);
    EXPECT_EQ(f.totTransfer, QStringLiteral("31000"));
    EXPECT_EQ(f.totTime, QStringLiteral("00:00:02"));
    EXPECT_EQ(f.transfer, QStringLiteral("1000"));
    EXPECT_EQ(f.progress, 31000 * 100 / 60000);
    // A date finished without any update adds nothing twice.
    p.finishDate();
    p.finishDate();
    EXPECT_EQ(p.completedBytes(), 31000);
}

TEST(BulkProgress, AnimationStepsFrom30DownTo15EveryTenUpdates) {
    BulkProgress p;
    p.reset();
    p.startDate(1);
    std::vector<std::pair<int, int>> frames;  // (update number, shown)
    int lastHidden = 0;
    for (int u = 1; u <= 161; ++u) {
        const auto f = p.update(0, 0);
        if (u < 10) {
            EXPECT_EQ(f.showFrame, -1) << u;
        }
        if (f.showFrame >= 0) {
            frames.emplace_back(u, f.showFrame);
            lastHidden = f.hideFrame;
        }
    }
    ASSERT_GE(frames.size(), 17u);
    EXPECT_EQ(frames[0], std::make_pair(10, 30));
    EXPECT_EQ(frames[1], std::make_pair(20, 29));
    EXPECT_EQ(frames[15], std::make_pair(160, 15));
    // After Image15 the counter wraps to 150 on the very next update.
    EXPECT_EQ(frames[16], std::make_pair(161, 30));
    EXPECT_EQ(lastHidden, 15);
}
