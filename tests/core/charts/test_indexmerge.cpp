// The one save of file.idx: a line leaves it only because the user changed
// its key; and the disk read again, against the literal rules. The model
// test (tests/ui/mainwindow/test_associationmodel) drives the rest.
#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"
#include "indexmerge_literal.h"
#include "sjtest.h"

using namespace vorq;
using Lines = QList<QByteArray>;

namespace {

class IndexSaveTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ChartStore store;

    QString idx() const { return dir.filePath(QStringLiteral("file.idx")); }
    void SetUp() override { store.dataFolder = sjis::fromUnicode(dir.path() + QLatin1Char('/')); }
    void writeDisk(const QByteArray &bytes) { sjis::saveFile(idx(), bytes); }
    void load(const QList<std::pair<const char *, Lines>> &charts) {
        for (const auto &[name, lines] : charts)
            sjis::saveLines(dir.filePath(QString::fromLatin1(name)), lines);
        store.fullLoad(sj("1995年01月07日"), sj("1995年12月30日"));
    }
    void set(int tag, int rank, const QByteArray &file) {
        const int t = store.indexOfTag(tag);
        for (int r = 0; r < store.tabs[t].rows.size(); ++r)
            if (store.tabs[t].rows[r].rank.toInt() == rank) {
                store.tabs[t].rows[r].file = file;
                store.noteRowChanged(t, r);
                return;
            }
        FAIL() << "no row " << tag << " " << rank;
    }
    QStringList backups() const {
        return QDir(dir.filePath(QStringLiteral("backup"))).entryList(QDir::Files, QDir::Name);
    }
};

}  // namespace

TEST_F(IndexSaveTest, OnlyTheKeysTheUserChangedAreRewrittenEverythingElseStaysInOrder) {
    const QByteArray disk =
        sj("19950422001\t/not/loaded.mp3\t\r\n"
           "19950415001\t/old/one.mp3\t\r\n"
           "hand written line\r\n"
           "19950408003\tC:\\win\\path.txt\tprint\r\n"
           "19950408150\t/rank150.mp3\t\r\n"
           "19950415001\t/second/of/key.mp3\t\r\n"
           "19950408001\t/dup/a.mp3\t\r\n"
           "19950408001\t/dup/b.mp3\t\r\n"
           "19950401001\t/emptied/chart.mp3\r\n"
           "19950402001\t/not/a/broadcast/day.mp3\t\r\n");
    writeDisk(disk);
    load({{"19950415.txt", {"1\tA\tB", "02\tC\tD"}},
          {"19950408.txt", {"1\tE\tF", "2\tG\tH", "3\tI\tJ"}},
          {"19950401.txt", {}}});
    EXPECT_EQ(store.tabs[1].rows[2].file, QByteArray("C:\\win\\path.txt"));
    set(19950415, 1, {});                // cleared: its shadowed second line goes too
    set(19950415, 2, sj("/新/曲.mp3"));  // a key file.idx does not hold yet
    set(19950408, 1, "/e.mp3");          // its shadowed duplicate stays

    EXPECT_EQ(saveAssociations(store).status, SaveOutcome::Status::Written);
    EXPECT_EQ(sjis::readFile(idx()), sj("19950422001\t/not/loaded.mp3\t\r\n"
                                        "hand written line\r\n"
                                        "19950408003\tC:\\win\\path.txt\tprint\r\n"
                                        "19950408150\t/rank150.mp3\t\r\n"
                                        "19950408001\t/e.mp3\t\r\n"
                                        "19950408001\t/dup/b.mp3\t\r\n"
                                        "19950401001\t/emptied/chart.mp3\r\n"
                                        "19950402001\t/not/a/broadcast/day.mp3\t\r\n"
                                        "19950415002\t/新/曲.mp3\t\r\n"));
    // The replaced version is kept byte for byte; the journal is spent.
    ASSERT_EQ(backups().size(), 1);
    EXPECT_EQ(sjis::readFile(dir.filePath(QStringLiteral("backup/")) + backups().first()), disk);
    EXPECT_TRUE(store.journal.isEmpty());
    // Nothing changed since: nothing written, nothing more kept.
    EXPECT_EQ(saveAssociations(store).status, SaveOutcome::Status::Unchanged);
    EXPECT_EQ(backups().size(), 1);
}

// The fast reading of the disk against its literal form, over random
// sequences of files: what is held, whether a loss stands, and the rows.
TEST(IndexAdopt, MatchesTheLiteralRulesOverRandomFiles) {
    QRandomGenerator random(20260428);
    Lines chart;
    for (int r = 1; r <= 12; ++r) chart << QByteArray::number(r) + "\tT\tA";
    for (int round = 0; round < 300; ++round) {
        ChartStore store;
        store.addChartTable(QStringLiteral("19950408.txt"), 0, chart);
        test::LiteralIndex literal;
        for (int step = 0; step < 12; ++step) {
            IndexFile disk;
            disk.exists = random.bounded(8) != 0;
            Lines lines;
            if (disk.exists) {
                const int n = int(random.bounded(14));
                for (int i = 0; i < n; ++i) {
                    const int kind = int(random.bounded(20));
                    const QByteArray key =
                        "199504080" + QByteArray::number(1 + random.bounded(12)).rightJustified(2, '0');
                    if (kind == 0)
                        lines << "no tab here";
                    else if (kind == 1)
                        lines << key;  // cut before its TAB
                    else
                        lines << key + "\t/f" + QByteArray::number(random.bounded(3)) +
                                     (kind == 2 ? "" : "\t");
                }
            }
            disk.data = sjis::joinLines(lines);
            // Now and then a copy cut short, inside or at the end of a line.
            if (!lines.isEmpty() && random.bounded(4) == 0) disk.data.chop(2 + random.bounded(4));
            disk.lines = lineViews(disk.data);
            adoptDiskIndex(store, disk);
            literal.adopt(sjis::splitLines(disk.data), disk.exists,
                          !disk.data.isEmpty() && !disk.data.endsWith('\n') && !disk.data.endsWith('\r'));
            ASSERT_EQ(test::firstLines(store.associations.lines()), literal.held) << round << " " << step;
            ASSERT_EQ(store.diskLost, literal.lost) << round << " " << step;
            for (const ChartEntry &e : store.tabs[0].rows) {
                const QByteArray want = literal.fileOf("199504080" + e.rank.rightJustified(2, '0'));
                ASSERT_EQ(e.file, want) << round << " " << step << " rank " << e.rank.constData();
            }
        }
    }
}
