// How the result window's columns share the room: the file column takes
// what is left, the others show their texts up to twice their designed
// width, nothing is narrower than designed.
#include <gtest/gtest.h>

#include "core/lists/columnfit.h"

using namespace vorq;

TEST(ColumnFit, TheFileColumnTakesTheRoomLeft) {
    const QList<int> designed{100, 40, 150, 100, 150, 60};
    struct Case {
        const char *what;
        QList<int> needed;
        int room;
        QList<int> widths;
    };
    const Case cases[] = {
        {"short texts: the file column takes the rest", {90, 30, 100, 80, 120, 50}, 700, {100, 40, 150, 100, 250, 60}},
        {"a long title grows, at most twice", {90, 30, 500, 120, 120, 50}, 900, {100, 40, 300, 120, 280, 60}},
        {"others back to designed when the room is short", {90, 30, 500, 120, 120, 50}, 620, {100, 40, 150, 100, 170, 60}},
        {"no room: designed widths, the table scrolls", {90, 30, 500, 120, 900, 50}, 300, {100, 40, 150, 100, 150, 60}},
        {"a long path: all the room there is", {90, 30, 100, 80, 2000, 50}, 1000, {100, 40, 150, 100, 550, 60}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const QList<int> widths = fitColumnWidths(designed, c.needed, c.room, 4);
        EXPECT_EQ(widths, c.widths);
        int sum = 0;
        for (int w : widths) sum += w;
        if (sum > c.room) {
            EXPECT_EQ(widths, designed);  // only the designed widths may overflow
        } else {
            EXPECT_EQ(sum, c.room);  // no empty strip beside a cut path
        }
    }
    // What the window needs to show every column whole.
    EXPECT_EQ(wantedTableWidth(designed, {90, 30, 500, 120, 900, 50}, 4), 100 + 40 + 300 + 120 + 900 + 60);
    EXPECT_EQ(wantedTableWidth(designed, {0, 0, 0, 0, 0, 0}, 4), 600);
}
