#include <gtest/gtest.h>

#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"

using namespace vorq;

using Lines = QList<QByteArray>;

TEST(IndexMerge, EachSideKeepsItsOwnChangesAndSeesTheOthers) {
    const Lines base{"20010303001\t/a\topen", "20010303002\t/b", "20010303003\t/c\topen",
                     "20010303004\t/d\topen"};
    // The window changed 001, dropped 003; its 002 is the same line as read
    // without the method field.
    const Lines mine{"20010303001\t/a2\topen", "20010303002\t/b\topen", "20010303004\t/d\topen"};
    // The disk changed 002 and 004 (method only), added 010, and also
    // dropped 003.
    const Lines theirs{"20010303001\t/a\topen", "20010303002\t/b2\topen", "20010303004\t/d\tprint",
                       "20010303010\t/new\topen"};
    const IndexMerge m = mergeIndex(base, mine, theirs);
    const Lines want{"20010303001\t/a2\topen", "20010303002\t/b2\topen", "20010303004\t/d\tprint",
                     "20010303010\t/new\topen"};
    EXPECT_TRUE(m.conflicts.isEmpty());
    EXPECT_EQ(m.keepTheirs, want);
    EXPECT_EQ(m.keepMine, want);
    EXPECT_EQ(m.takenFromTheirs, (Lines{"20010303002", "20010303004", "20010303010"}));
    // The disk dropping a key the window left alone drops it.
    EXPECT_EQ(mergeIndex(base, base, Lines{base.at(0)}).keepTheirs, Lines{base.at(0)});
}

TEST(IndexMerge, BothChangingAKeyDifferentlyIsAConflictTheCallerSettles) {
    const Lines base{"20010303001\t/a\topen", "20010303002\t/b\topen"};
    const Lines mine{"20010303001\t/mine\topen", "20010303002\t/same\topen"};
    // 002 changed alike on both sides: no conflict. A cleared key against
    // a changed one is a conflict too.
    const Lines theirs{"20010303001\t/theirs\topen", "20010303002\t/same\topen"};
    IndexMerge m = mergeIndex(base, mine, theirs);
    EXPECT_EQ(m.conflicts, Lines{"20010303001"});
    EXPECT_EQ(m.keepTheirs, theirs);
    EXPECT_EQ(m.keepMine, mine);
    m = mergeIndex(base, Lines{mine.at(1)}, theirs);
    EXPECT_EQ(m.conflicts, Lines{"20010303001"});
    EXPECT_EQ(m.keepMine, Lines{"20010303002\t/same\topen"});
}

TEST(IndexMerge, AnIndexWrittenElsewhereReachesOnlyTheRowsTheWindowLeftAlone) {
    ChartStore store;
    store.associations.setLines(
        {"20010303001\t/a\topen", "20010303002\t/b\topen", "19990101001\t/old\topen"});
    store.addChartTable(QStringLiteral("20010303.txt"), 0, {"1\tT1\tA1", "2\tT2\tA2", "3\tT3\tA3"});
    store.tabs[0].rows[0].file = "/mine";  // the window's unsaved change
    const Lines disk{"20010303001\t/theirs\topen", "20010303002\t/b2\topen", "20010303003\t/c\topen",
                     "19990101001\t/old2\topen"};
    EXPECT_EQ(adoptIndexFromDisk(store, disk), 2);
    EXPECT_EQ(store.tabs[0].rows[0].file, QByteArray("/mine"));
    EXPECT_EQ(store.tabs[0].rows[1].file, QByteArray("/b2"));
    EXPECT_EQ(store.tabs[0].rows[2].file, QByteArray("/c"));
    // The unloaded date follows the disk; the window's own change still
    // meets the disk's at the save, as a conflict against the old base.
    EXPECT_EQ(store.associations.lookup("19990101001")->file, QByteArray("/old2"));
    EXPECT_EQ(store.associations.lookup("20010303001")->file, QByteArray("/a"));
}
