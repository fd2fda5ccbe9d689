#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/base/errors.h"
#include "core/charts/associationindex.h"
#include "core/charts/chartstore.h"
#include "sjtest.h"

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

class IndexSave : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ChartStore store;
    QString idxPath() const { return dir.filePath(QStringLiteral("file.idx")); }

    void SetUp() override {
        store.dataFolder = sjis::fromUnicode(dir.path() + QLatin1Char('/'));
        sjis::saveFile(idxPath(),
                       "19950422001\t/not/loaded.mp3\t\r\n"
                       "19950415001\t/old/one.mp3\t\r\n"
                       "hand written line\r\n"
                       "19950408003\tC:\\win\\path.txt\tprint\r\n");
        store.associations.read(idxPath());
        store.addChartTable(QStringLiteral("19950415.txt"), 0, {"1\tA\tB", "02\tC\tD"});
        store.addChartTable(QStringLiteral("19950408.txt"), 1, {"1\tE\tF", "2\tG\tH", "3\tI\tJ"});
    }
};

TEST_F(IndexSave, LoadedRowsFirstThenLinesOfDatesNotLoadedKeptAsWritten) {
    // Rows took their associations from the table.
    EXPECT_EQ(store.tabs[0].rows[0].file, QByteArray("/old/one.mp3"));
    EXPECT_EQ(store.tabs[1].rows[2].method, QByteArray("print"));
    // Changes made on the rows (what the association commands do).
    store.tabs[0].rows[0].file.clear();
    store.tabs[0].rows[1].file = sj("/新/曲.mp3");
    store.tabs[1].rows[0].file = "/e.mp3";
    store.tabs[1].rows[0].method = "edit";

    saveIndex(store);
    const QByteArray expected = sj("19950415002\t/新/曲.mp3\t\r\n") +
                                "19950408001\t/e.mp3\tedit\r\n"
                                "19950408003\tC:\\win\\path.txt\tprint\r\n"
                                "19950422001\t/not/loaded.mp3\t\r\n"
                                "hand written line\r\n";
    EXPECT_EQ(sjis::readFile(idxPath()), expected);
    // The table now equals what was written: a second save is identical.
    EXPECT_EQ(store.associations.entries().size(), 5);
    EXPECT_EQ(store.associations.lookup("19950415001"), nullptr);
    saveIndex(store);
    EXPECT_EQ(sjis::readFile(idxPath()), expected);
}

TEST_F(IndexSave, NothingAssociatedWritesAnEmptyFile) {
    store.associations.setEntries({});
    for (ChartTab &t : store.tabs)
        for (ChartEntry &e : t.rows) e.file.clear();
    saveIndex(store);
    EXPECT_TRUE(QFile::exists(idxPath()));
    EXPECT_EQ(sjis::readFile(idxPath()), QByteArray());
}

TEST_F(IndexSave, ReadOnlyFolderReportsTheErrorAndLosesNothing) {
    const QByteArray before = sjis::readFile(idxPath());
    QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    store.tabs[0].rows[0].file = "/changed.mp3";
    QFile probe(dir.filePath(QStringLiteral("probe")));
    const bool writable = probe.open(QIODevice::WriteOnly);
    if (!writable) {
        EXPECT_THROW(saveIndex(store), FileError);
    }
    QFile::setPermissions(dir.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(sjis::readFile(idxPath()), before);
    // The rows keep the change, so a later save can still write it.
    EXPECT_EQ(store.tabs[0].rows[0].file, QByteArray("/changed.mp3"));
    EXPECT_EQ(store.associations.lookup("19950415001")->file, QByteArray("/old/one.mp3"));
    if (writable) GTEST_SKIP() << "permissions do not apply (root)";
}

TEST_F(IndexSave, WriteFailureLeavesTheTableUnchanged) {
    store.dataFolder = sjis::fromUnicode(dir.path() + QStringLiteral("/gone/"));
    store.tabs[0].rows[0].file = "/changed.mp3";
    EXPECT_THROW(saveIndex(store), FileError);
    EXPECT_EQ(store.associations.lookup("19950415001")->file, QByteArray("/old/one.mp3"));
    EXPECT_EQ(store.associations.entries().size(), 4);
}
