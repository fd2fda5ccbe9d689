#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "historygen.h"
#include "sjtest.h"

using namespace vorq;

namespace {

class ChartStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    ChartStore store;

    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        store.dataFolder = sjis::fromUnicode(dir.path() + QLatin1Char('/'));
    }
    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }
    void write(const char *name, const QByteArray &bytes) const { sjis::saveFile(path(name), bytes); }
    // Three rows of the given date with a marker title.
    void chart(const char *name, const char *title = "曲") const {
        write(name, sj("1\t") + sj(title) + sj("\tA\r\n2\tB\tC\r\n3\tD\tE\r\n"));
    }
    QByteArray label(int y, int m, int d) const { return dateLabel(QDate(y, m, d)); }
};

struct Recorder : LoadObserver {
    QList<QByteArray> labels;
    QList<int> percents, added;
    int stopAfter = -1;
    void loading(const QByteArray &l) override { labels.append(l); }
    void tableAdded(int i) override { added.append(i); }
    void progress(int p) override { percents.append(p); }
    bool stopRequested() override { return stopAfter >= 0 && added.size() >= stopAfter; }
};

}  // namespace

TEST(ChartDates, LabelsKeysAndCalendar) {
    EXPECT_EQ(dateLabel(QDate(1995, 4, 8)), sj("1995年04月08日"));
    EXPECT_EQ(dateFromLabel(sj("2001年01月06日")), QDate(2001, 1, 6));
    EXPECT_FALSE(dateFromLabel(sj("2001年02月30日")).has_value());
    EXPECT_EQ(associationKey(20010106, "05"), QByteArray("20010106005"));
    EXPECT_EQ(associationKey(19950408, "7"), associationKey(19950408, "07"));
    EXPECT_EQ(associationKey(19950408, "1000"), QByteArray("199504081000"));
    EXPECT_THROW(associationKey(19950408, ""), ConvertError);
    EXPECT_THROW(associationKey(19950408, "x1"), ConvertError);

    // Only dates before today; the first date itself is excluded on its day.
    EXPECT_TRUE(broadcastCalendar(QDate(1995, 4, 8), {}).isEmpty());
    EXPECT_EQ(broadcastCalendar(QDate(1995, 4, 9), {}), QList<QDate>{QDate(1995, 4, 8)});
    const QList<QDate> cal = broadcastCalendar(QDate(1995, 4, 30), {sj("1995年04月15日")});
    EXPECT_EQ(cal, (QList<QDate>{QDate(1995, 4, 8), QDate(1995, 4, 22), QDate(1995, 4, 29)}));
}

TEST(ChartDates, DateListStaysOnTheWeeklyGridAndHidesDatesWithoutData) {
    // An end date off the grid: the last listed date is the last grid date not after it.
    const auto list = buildDateList(QDate(1995, 4, 8), QDate(1995, 4, 28), {sj("1995年04月15日")}, false, {});
    EXPECT_EQ(list, (QList<QByteArray>{sj("1995年04月08日"), sj("1995年04月22日")}));
    const auto hidden =
        buildDateList(QDate(1995, 4, 8), QDate(1995, 4, 29), {}, true, {sj("1995年04月22日")});
    EXPECT_EQ(hidden, QList<QByteArray>{sj("1995年04月22日")});
    EXPECT_TRUE(buildDateList(QDate(1995, 4, 15), QDate(1995, 4, 8), {}, false, {}).isEmpty());
}

TEST_F(ChartStoreTest, NotFoundListMergesTheProgramFolderCopy) {
    QTemporaryDir prog;
    sjis::saveLines(prog.filePath(QStringLiteral("notfound.txt")),
                    {sj("1995年04月22日"), sj("1995年04月08日")});
    write("notfound.txt", sj("1995年04月15日\r\n1995年04月08日\r\n"));
    const QByteArray progFolder = sjis::fromUnicode(prog.path() + QLatin1Char('/'));
    EXPECT_EQ(readNotFoundList(store.dataFolder, progFolder),
              (QList<QByteArray>{sj("1995年04月08日"), sj("1995年04月15日"), sj("1995年04月22日")}));
    // Either copy may be missing.
    EXPECT_EQ(readNotFoundList(store.dataFolder, "/nonexistent/").size(), 2);
    EXPECT_TRUE(readNotFoundList("/nonexistent/", "/nonexistent/").isEmpty());
}

TEST_F(ChartStoreTest, FullLoadReadsTheRangeNewestFirstAndIgnoresOtherFiles) {
    chart("19950408.txt", "古い");
    chart("19950415.txt", "新しい");
    chart("19950506.txt", "範囲外");
    write("notfound.txt", sj("1995年04月22日\r\n"));
    write("file.idx", "19950408002\t/m/b.mp3\t\r\n");
    write("readme.txt", "hello\r\n");
    write("1abc.txt", "not a chart\r\n");
    write("19950401 copy.txt", "x\r\n");
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("19950422.txt")));

    Recorder rec;
    store.fullLoad(label(1995, 4, 1), label(1995, 4, 29), &rec);
    ASSERT_EQ(store.tabs.size(), 2);
    EXPECT_EQ(store.tabs[0].caption, sj("1995年04月15日"));
    EXPECT_EQ(store.tabs[0].tag, 19950415);
    EXPECT_EQ(store.tabs[1].caption, sj("1995年04月08日"));
    EXPECT_EQ(store.tabs[0].rows[0].title, sj("新しい"));
    EXPECT_EQ(store.tabs[1].rows[1].file, QByteArray("/m/b.mp3"));
    EXPECT_EQ(store.tabs[0].rows[1].file, QByteArray());
    EXPECT_EQ(store.indexOfTag(19950408), 1);
    EXPECT_EQ(rec.labels, (QList<QByteArray>{sj("1995年04月15日"), sj("1995年04月08日")}));
    EXPECT_EQ(rec.added, (QList<int>{0, 1}));
    // Three chart files listed: trunc((count - i - 1) / count * 100) for i = 2, 1, 0.
    EXPECT_EQ(rec.percents, (QList<int>{0, 0, 33, 66}));

    // Widening the range loads the date outside it.
    store.clear();
    store.fullLoad(label(1995, 4, 1), label(1995, 5, 6));
    EXPECT_EQ(store.tabs.size(), 3);
}

TEST_F(ChartStoreTest, StopButtonEndsTheWalkAfterTheCurrentFile) {
    chart("19950408.txt");
    chart("19950415.txt");
    chart("19950422.txt");
    Recorder rec;
    rec.stopAfter = 1;
    store.fullLoad(label(1995, 4, 1), label(1995, 4, 29), &rec);
    ASSERT_EQ(store.tabs.size(), 1);
    EXPECT_EQ(store.tabs[0].tag, 19950422);
}

TEST_F(ChartStoreTest, LineFieldsAndNormalisation) {
    write("20010106.txt", sj("05\tＡＢＣ　１２\tＴＨＥ ＳＡＭＰＬＥＳ\r\n"
                             "6\t曲\t山田 太郎\r\n"
                             "7\t曲\t山田　花子\r\n"
                             "8\tSong\tJohn Smith\r\n"
                             "9\tT\tpart one\tpart two\r\n"
                             "10\tonly a title\r\n") +
                              QByteArray("11\t\x83\x82\x4f\tx\n12\tlf\tonly\r13\tcr\tonly"));
    write("file.idx", "20010106005\t/m/five.mp3\tprint\r\n");
    store.associations.read(path("file.idx"));
    EXPECT_EQ(store.loadChartFile(0, path("20010106.txt")), 0);
    const ChartTable &rows = store.tabs.at(0).rows;
    ASSERT_EQ(rows.size(), 9);
    EXPECT_EQ(rows[0].rank, QByteArray("05"));  // kept as written
    EXPECT_EQ(rows[0].title, QByteArray("ABC 12"));
    EXPECT_EQ(rows[0].artist, QByteArray("THE SAMPLES"));
    EXPECT_EQ(rows[0].file, QByteArray("/m/five.mp3"));
    EXPECT_EQ(rows[0].method, QByteArray("print"));
    EXPECT_EQ(rows[1].artist, sj("山田太郎"));
    EXPECT_EQ(rows[2].artist, sj("山田花子"));
    EXPECT_EQ(rows[3].artist, QByteArray("John Smith"));
    EXPECT_EQ(rows[4].artist, QByteArray("part one\tpart two"));
    EXPECT_EQ(rows[5].title, QByteArray("only a title"));
    EXPECT_EQ(rows[5].artist, QByteArray());
    // 0x82 0x4F inside 0x83 0x82 + 'O' is not on a character boundary.
    EXPECT_EQ(rows[6].title, QByteArray("\x83\x82\x4f"));
    EXPECT_EQ(rows[7].artist, QByteArray("only"));
    EXPECT_EQ(rows[8].rank, QByteArray("13"));
    EXPECT_EQ(rows[8].artist, QByteArray("only"));
}

TEST_F(ChartStoreTest, BadRankStopsTheLoadAtThatFileAndKeepsEarlierTabs) {
    chart("19950422.txt");
    write("19950415.txt", "1\tA\tB\r\n\r\n3\tC\tD\r\n");  // a blank line
    chart("19950408.txt");
    try {
        store.fullLoad(label(1995, 4, 1), label(1995, 4, 29));
        FAIL() << "expected ConvertError";
    } catch (const ConvertError &e) {
        EXPECT_TRUE(e.message().startsWith(u8("'' は有効な整数ではありません。"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("19950415.txt"))) << e.what();
    }
    // The bad file adds no half-filled table.
    ASSERT_EQ(store.tabs.size(), 1);
    EXPECT_EQ(store.tabs[0].tag, 19950422);

    // Binary garbage and a line without TAB are refused the same way.
    EXPECT_THROW(store.addChartTable(QStringLiteral("19950429.txt"), 1, {QByteArray("\x00\xff\x81", 3)}),
                 ConvertError);
    EXPECT_THROW(store.addChartTable(QStringLiteral("19950429.txt"), 1, {QByteArray("12")}), ConvertError);
    EXPECT_THROW(store.addChartTable(QStringLiteral("notadate.txt"), 1, {}), ConvertError);
    EXPECT_EQ(store.tabs.size(), 1);
}

TEST_F(ChartStoreTest, MissingFolderGivesNoTabsAndMissingIndexNoAssociations) {
    store.associations.setEntries({{"19950408001", "/m/x.mp3", ""}});
    store.dataFolder = sjis::fromUnicode(dir.path() + QStringLiteral("/missing/"));
    store.fullLoad(label(1995, 4, 1), label(2020, 1, 4));
    EXPECT_TRUE(store.tabs.isEmpty());
    // A folder without file.idx must not inherit another folder's associations.
    EXPECT_TRUE(store.associations.isEmpty());
}

TEST_F(ChartStoreTest, UnreadableFilesAreFileErrors) {
    chart("19950408.txt");
    // A chart name that cannot be opened (a dangling link: unreadable even for root).
    ASSERT_TRUE(QFile::link(path("gone.txt"), path("19950415.txt")));
    EXPECT_THROW(store.fullLoad(label(1995, 4, 1), label(1995, 4, 29)), FileError);
    EXPECT_TRUE(store.tabs.isEmpty());

    // An index that exists but cannot be read stops the load before any chart.
    QFile::remove(path("19950415.txt"));
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("file.idx")));
    EXPECT_THROW(store.fullLoad(label(1995, 4, 1), label(1995, 4, 29)), FileError);
    EXPECT_TRUE(store.tabs.isEmpty());
}

TEST_F(ChartStoreTest, EqualTitlesAndArtistsShareStorage) {
    chart("19950408.txt", "同じ曲");
    chart("19950415.txt", "同じ曲");
    store.fullLoad(label(1995, 4, 1), label(1995, 4, 29));
    ASSERT_EQ(store.tabs.size(), 2);
    EXPECT_EQ(store.tabs[0].rows[0].title.constData(), store.tabs[1].rows[0].title.constData());
    EXPECT_EQ(store.tabs[0].rows[2].artist.constData(), store.tabs[1].rows[2].artist.constData());
    EXPECT_EQ(store.intern(sj("同じ曲")).constData(), store.tabs[0].rows[0].title.constData());
}

// The literal algorithm: every file read with the text layer, every row's
// association searched linearly from the first entry.
namespace {
QList<ChartTab> literalLoad(const QString &folder, const QByteArray &startName, const QByteArray &endName) {
    QList<AssociationEntry> table;
    if (QFile::exists(folder + QStringLiteral("file.idx")))
        for (const QByteArray &l : sjis::readLines(folder + QStringLiteral("file.idx")))
            table.append(AssociationIndex::parseLine(l));
    QStringList names = QDir(folder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name);
    QList<ChartTab> tabs;
    for (qsizetype i = names.size() - 1; i >= 0; --i) {
        const QByteArray name = names.at(i).toLatin1();
        if (!(name.at(0) >= '1' && name.at(0) <= '9') || name < startName || name > endName) continue;
        ChartTab tab;
        tab.tag = name.left(8).toInt();
        tab.caption = dateLabelFromTag(tab.tag);
        for (const QByteArray &line : sjis::readLines(folder + names.at(i))) {
            const qsizetype t1 = line.indexOf('\t');
            const QByteArray rest = line.mid(t1 + 1);
            const qsizetype t2 = rest.indexOf('\t');
            ChartEntry e;
            e.rank = line.left(t1);
            e.title = sjis::normalizeTitle(rest.left(t2));
            e.artist = sjis::normalizeArtist(rest.mid(t2 + 1));
            const QByteArray key =
                QByteArray::number(tab.tag) + QByteArray::number(e.rank.toInt()).rightJustified(3, '0');
            for (const AssociationEntry &a : table) {
                if (a.key == key) {
                    e.file = a.file;
                    e.method = a.method;
                    break;
                }
            }
            tab.rows.append(e);
        }
        tabs.append(tab);
    }
    return tabs;
}
}  // namespace

TEST_F(ChartStoreTest, FullLoadMatchesTheLiteralAlgorithmOnAGeneratedHistory) {
    const auto stats =
        bench::generateHistory(dir.path(), {.today = QDate(1996, 3, 1), .seed = 7, .rowsPerWeek = 40});
    ASSERT_GT(stats.charts, 40);
    // Duplicate keys and odd lines: the first entry of a key must win.
    QList<QByteArray> idx = sjis::readLines(path("file.idx"));
    idx.append("19950408001\t/late/duplicate.mp3\t");
    idx.prepend("19950415002\t/early/wins.mp3\tedit");
    idx.append("no tab at all");
    sjis::saveLines(path("file.idx"), idx);

    store.fullLoad(label(1995, 4, 1), label(1996, 1, 6));
    const QList<ChartTab> expected =
        literalLoad(dir.path() + QLatin1Char('/'), "19950401.txt", "19960106.txt");
    ASSERT_EQ(store.tabs.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(store.tabs[i].tag, expected[i].tag);
        EXPECT_EQ(store.tabs[i].caption, expected[i].caption);
        EXPECT_EQ(store.tabs[i].rows, expected[i].rows) << "tab " << i;
    }
    EXPECT_EQ(store.tabs[store.indexOfTag(19950415)].rows[1].file, QByteArray("/early/wins.mp3"));
}

TEST_F(ChartStoreTest, DataFolderNamedLikeAnAddressIsStillAFolder) {
    const QString cwd = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    ASSERT_TRUE(QDir().mkdir(QStringLiteral("httpdata")));
    sjis::saveFile(QStringLiteral("httpdata/19950408.txt"), "1\tA\tB\r\n");
    store.dataFolder = "httpdata/";
    EXPECT_NO_THROW(store.fullLoad(label(1995, 4, 1), label(1995, 4, 29)));
    EXPECT_EQ(store.tabs.size(), 1);
    QDir::setCurrent(cwd);
}
