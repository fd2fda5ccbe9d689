// The one save of file.idx and the disk read again: a line leaves file.idx
// only because the user changed its key, and a loss on the disk is never
// taken without a question.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/charts/indexmerge.h"
#include "indexmerge_literal.h"
#include "sjtest.h"

using namespace vorq;
using Lines = QList<QByteArray>;

namespace {

class IndexSaveTest : public ::testing::Test {
public:
    QTemporaryDir dir;
    ChartStore store;

    QString idx() const { return dir.filePath(QStringLiteral("file.idx")); }
    void SetUp() override { store.dataFolder = sjis::fromUnicode(dir.path() + QLatin1Char('/')); }
    void writeDisk(const QByteArray &bytes) { sjis::saveFile(idx(), bytes); }
    void load(const QList<std::pair<const char *, Lines>> &charts) {
        for (const auto &[name, lines] : charts) {
            sjis::saveLines(dir.filePath(QString::fromLatin1(name)), lines);
        }
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
    QByteArray fileOf(int tag, int rank) const {
        for (const ChartEntry &e : store.tabs.at(store.indexOfTag(tag)).rows)
            if (e.rank.toInt() == rank) return e.file;
        return "?";
    }
};

Lines tenKeys() {
    Lines lines;
    for (int r = 1; r <= 10; ++r)
        lines << "199504080" + QByteArray::number(r).rightJustified(2, '0') + "\t/m/" +
                     QByteArray::number(r) + ".mp3\t";
    return lines;
}

Lines tenRows() {
    Lines rows;
    for (int r = 1; r <= 10; ++r) rows << QByteArray::number(r) + "\tT" + QByteArray::number(r) + "\tA";
    return rows;
}

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
    EXPECT_EQ(fileOf(19950408, 3), QByteArray("C:\\win\\path.txt"));
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

TEST_F(IndexSaveTest, TheDiskLosingAssociationsIsNeverTakenWithoutAQuestion) {
    struct Case {
        const char *name;
        std::function<void(IndexSaveTest *)> damage;
        bool loss;
        IndexLoss::Kind kind;
        qsizetype linesOnDisk;
        const char *row3After;  // the row of key 003 once the disk was read again
    };
    const QByteArray whole = sjis::joinLines(tenKeys());
    const QList<Case> cases = {
        {"deleted", [](IndexSaveTest *t) { QFile::remove(t->idx()); }, true, IndexLoss::Kind::Deleted, 0,
         "/m/3.mp3"},
        {"emptied", [](IndexSaveTest *t) { t->writeDisk({}); }, true, IndexLoss::Kind::Emptied, 0,
         "/m/3.mp3"},
        // Cut inside line 5: that line is none, six keys gone.
        {"truncated", [&](IndexSaveTest *t) { t->writeDisk(whole.left(whole.indexOf("/m/5") + 3)); }, true,
         IndexLoss::Kind::Shrunk, 4, "/m/3.mp3"},
        // An older copy: seven keys missing; the files it holds are taken.
        {"older copy",
         [](IndexSaveTest *t) { t->writeDisk("19950408001\t/o/1\t\r\n19950408003\t/o/3\t\r\n"); }, true,
         IndexLoss::Kind::Shrunk, 2, "/o/3"},
        // Another program cleared one key and changed one: taken over.
        {"one program's edit",
         [&](IndexSaveTest *t) {
             Lines l = tenKeys();
             l.removeAt(1);
             l[1] = "19950408003\t/x/3.mp3\t";
             t->writeDisk(sjis::joinLines(l));
         },
         false, IndexLoss::Kind::Shrunk, 9, "/x/3.mp3"},
    };
    for (const Case &c : cases) {
        for (const bool keep : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (keep ? " keep" : " take"));
            store = ChartStore();
            store.dataFolder = sjis::fromUnicode(dir.path() + QLatin1Char('/'));
            writeDisk(whole);
            load({{"19950408.txt", tenRows()}});
            set(19950408, 10, "/mine.mp3");
            c.damage(this);

            // The live view: rows stay, the loss is reported.
            const AdoptResult seen = adoptDiskIndex(store, readIndexFile(store.dataFolder));
            EXPECT_EQ(seen.loss.has_value(), c.loss);
            EXPECT_EQ(fileOf(19950408, 3), QByteArray(c.row3After));
            EXPECT_EQ(fileOf(19950408, 10), QByteArray("/mine.mp3"));
            if (!c.loss) {
                EXPECT_EQ(saveAssociations(store).status, SaveOutcome::Status::Written);
                EXPECT_EQ(fileOf(19950408, 2), QByteArray());
                continue;
            }
            EXPECT_EQ(seen.loss->kind, c.kind);
            EXPECT_EQ(seen.loss->linesHeld, 10);
            EXPECT_EQ(seen.loss->linesOnDisk, c.linesOnDisk);
            const QByteArray before = QFile::exists(idx()) ? sjis::readFile(idx()) : QByteArray("absent");
            const SaveOutcome asked = saveAssociations(store);
            ASSERT_EQ(asked.status, SaveOutcome::Status::NeedsAnswer);
            EXPECT_EQ(QFile::exists(idx()) ? sjis::readFile(idx()) : QByteArray("absent"), before);

            SaveAnswers a;
            a.keepHeld = keep;
            EXPECT_NE(saveAssociations(store, a).status, SaveOutcome::Status::NeedsAnswer);
            const Lines now = sjis::readLines(idx());
            EXPECT_TRUE(now.contains("19950408010\t/mine.mp3\t"));  // the user's change either way
            EXPECT_EQ(now.contains("19950408007\t/m/7.mp3\t"), keep);
            EXPECT_EQ(fileOf(19950408, 7), keep ? QByteArray("/m/7.mp3") : QByteArray());
            EXPECT_FALSE(store.diskLost);
        }
    }
}

TEST_F(IndexSaveTest, AKeyBothChangedIsAskedAboutWithBothLinesAndEachAnswerHolds) {
    writeDisk("19950408001\t/a\t\r\n19950408002\t/b\t\r\n");
    load({{"19950408.txt", {"1\tT\tA", "2\tU\tB"}}});
    set(19950408, 1, "/mine");
    set(19950408, 2, {});
    // Another program changes 001 and 002 meanwhile, and adds 003.
    writeDisk("19950408001\t/theirs\tprint\r\n19950408002\t/b2\t\r\n19950408003\t/c\t\r\n");
    const SaveOutcome o = saveAssociations(store);
    ASSERT_EQ(o.status, SaveOutcome::Status::NeedsAnswer);
    ASSERT_EQ(o.conflicts.size(), 2);
    EXPECT_EQ(o.conflicts[0].mine, QByteArray("19950408001\t/mine\t"));
    EXPECT_EQ(o.conflicts[0].theirs, QByteArray("19950408001\t/theirs\tprint"));
    EXPECT_EQ(o.conflicts[1].mine, QByteArray());  // the user's removal
    SaveAnswers a;
    a.keepMine = false;
    a.conflictKeys = {"19950408001", "19950408002"};
    ASSERT_EQ(saveAssociations(store, a).status, SaveOutcome::Status::Unchanged);
    EXPECT_EQ(fileOf(19950408, 1) + fileOf(19950408, 2), QByteArray("/theirs/b2"));

    set(19950408, 1, "/again");
    writeDisk("19950408001\t/third\t\r\n19950408003\t/c\t\r\n");
    a.keepMine = true;
    a.conflictKeys = {"19950408001"};
    ASSERT_EQ(saveAssociations(store, a).status, SaveOutcome::Status::Written);
    // The disk's own removal of 002 reached the rows; 003 is kept.
    EXPECT_EQ(sjis::readLines(idx()), (Lines{"19950408001\t/again\tprint", "19950408003\t/c\t"}));
}

TEST_F(IndexSaveTest, AFileThatCannotBeReadWholeIsRefusedAndNothingIsWritten) {
    writeDisk("19950408001\t/a\t\r\n");
    load({{"19950408.txt", {"1\tT\tA"}}});
    set(19950408, 1, "/new");
    QFile big(idx());
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(kMaxIndexFileBytes + 1));
    big.close();
    try {
        saveAssociations(store);
        FAIL() << "saved over a file it could not read";
    } catch (const FileError &e) {
        EXPECT_TRUE(e.message().contains(idx())) << e.message().toStdString();
    }
    EXPECT_EQ(QFileInfo(idx()).size(), kMaxIndexFileBytes + 1);
    EXPECT_EQ(store.journal.size(), 1);  // still there for a later save

    // A write that fails (file.idx's folder is a file) keeps the journal too.
    ChartStore other;
    writeDisk({});
    other.dataFolder = sjis::fromUnicode(idx() + QLatin1Char('/'));
    other.addChartTable(QStringLiteral("19950408.txt"), 0, {"1\tT\tA"});
    other.tabs[0].rows[0].file = "/x";
    other.noteRowChanged(0, 0);
    EXPECT_THROW(saveAssociations(other), FileError);
    EXPECT_EQ(other.journal.size(), 1);
    EXPECT_EQ(other.tabs[0].rows[0].file, QByteArray("/x"));
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
