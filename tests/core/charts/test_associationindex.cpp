#include <gtest/gtest.h>

#include "core/charts/associationindex.h"

using namespace vorq;

TEST(AssociationIndex, LinesSplitByTheReadingRules) {
    EXPECT_EQ(AssociationIndex::parseLine("19950408005\t/m/a.mp3"),
              (AssociationEntry{"19950408005", "/m/a.mp3", "open"}));
    EXPECT_EQ(AssociationIndex::parseLine("19950408005\t/m/a.mp3\t"),
              (AssociationEntry{"19950408005", "/m/a.mp3", ""}));
    EXPECT_EQ(AssociationIndex::parseLine("19950408005\t/m/a.txt\tprint"),
              (AssociationEntry{"19950408005", "/m/a.txt", "print"}));
    // An empty file field before a TAB: the whole rest is the file.
    EXPECT_EQ(AssociationIndex::parseLine("19950408005\t\tprint"),
              (AssociationEntry{"19950408005", "\tprint", "open"}));
    // Without any TAB the key is empty and never matches.
    EXPECT_EQ(AssociationIndex::parseLine("garbage"), (AssociationEntry{"", "garbage", "open"}));
}

TEST(AssociationIndex, FirstEntryOfAKeyWinsForEveryKeyForm) {
    AssociationIndex idx;
    idx.setLines({"19950408001\t/first\t", "19950408001\t/second\t", "no tab", "\t/empty/key\t",
                  "1995040801\t/ten-digit\t", "199504081000\t/rank-1000\t", "19950408001\t/third\t"});
    ASSERT_NE(idx.lookup("19950408001"), nullptr);
    EXPECT_EQ(idx.lookup("19950408001")->file, QByteArray("/first"));
    EXPECT_EQ(idx.lookup(19950408, 1)->file, QByteArray("/first"));
    EXPECT_EQ(idx.lookup(""), nullptr);
    EXPECT_EQ(idx.lookup("1995040801")->file, QByteArray("/ten-digit"));
    EXPECT_EQ(idx.lookup(19950408, 1000)->file, QByteArray("/rank-1000"));
    EXPECT_EQ(idx.lookup(19950408, 2), nullptr);
    EXPECT_EQ(idx.lookup("19950408002"), nullptr);
    // Entries are the file's lines in order, duplicates included.
    EXPECT_EQ(idx.entries().size(), 7);
}
