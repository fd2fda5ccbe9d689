#include <gtest/gtest.h>

#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"

using namespace vorq;
using Lines = QList<QByteArray>;

TEST(IndexMerge, EachSideKeepsItsChangesAndAKeyBothChangedIsAConflict) {
    const Lines base{"20010303001\t/a\topen", "20010303002\t/b", "20010303003\t/c\topen",
                     "20010303004\t/d\topen", "20010303005\t/e\topen"};
    // The window changed 001 and 005, dropped 003; its 002 is the line read
    // without the method field. The disk changed 002, 004 (method only) and
    // 005, added 010, dropped 003 too.
    const Lines mine{"20010303001\t/a2\topen", "20010303002\t/b\topen", "20010303004\t/d\topen",
                     "20010303005\t/mine\topen"};
    const Lines theirs{"20010303001\t/a\topen", "20010303002\t/b2\topen", "20010303004\t/d\tprint",
                       "20010303005\t/theirs\topen", "20010303010\t/new\topen"};
    const IndexMerge m = mergeIndex(base, mine, theirs);
    EXPECT_EQ(m.conflicts, Lines{"20010303005"});
    EXPECT_EQ(m.keepTheirs,
              (Lines{"20010303001\t/a2\topen", "20010303002\t/b2\topen", "20010303004\t/d\tprint",
                     "20010303005\t/theirs\topen", "20010303010\t/new\topen"}));
    EXPECT_EQ(m.keepMine.at(3), QByteArray("20010303005\t/mine\topen"));
    EXPECT_EQ(m.takenFromTheirs, (Lines{"20010303002", "20010303004", "20010303010"}));
    // A key the window cleared against one the disk changed: a conflict.
    EXPECT_EQ(mergeIndex(base, Lines{}, Lines{"20010303001\t/x\topen"}).conflicts, Lines{"20010303001"});
}

TEST(IndexMerge, AnIndexWrittenElsewhereReachesOnlyTheRowsTheWindowLeftAlone) {
    ChartStore store;
    store.associations.setLines(
        {"20010303001\t/a\topen", "20010303002\t/b\topen", "19990101001\t/old\topen"});
    store.addChartTable(QStringLiteral("20010303.txt"), 0, {"1\tT1\tA1", "2\tT2\tA2", "3\tT3\tA3"});
    store.tabs[0].rows[0].file = "/mine";  // the window's unsaved change
    EXPECT_EQ(adoptIndexFromDisk(store, {"20010303001\t/theirs\topen", "20010303002\t/b2\topen",
                                         "20010303003\t/c\topen", "19990101001\t/old2\topen"}),
              2);
    const ChartTable &rows = store.tabs[0].rows;
    EXPECT_EQ(rows[0].file + rows[1].file + rows[2].file, QByteArray("/mine/b2/c"));
    // The unloaded date follows the disk; the window's change still meets
    // the disk's at the save, against the old base.
    EXPECT_EQ(store.associations.lookup("19990101001")->file, QByteArray("/old2"));
    EXPECT_EQ(store.associations.lookup("20010303001")->file, QByteArray("/a"));
}
