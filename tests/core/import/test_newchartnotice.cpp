// The weekly import's notice: which songs count as new, which of them are
// wanted, and the texts a notification service may read as markup.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/import/newchartnotice.h"
#include "sjtest.h"

using namespace vorq;

namespace {

struct Row {
    const char *rank, *title, *artist;
    QByteArray file;
};
ChartTab chart(int tag, const QList<Row> &rows) {
    ChartTab t{tag, dateLabelFromTag(tag), {}};
    for (const Row &r : rows) t.rows.append({QByteArray(r.rank), sj(r.title), sj(r.artist), r.file, {}});
    return t;
}

}  // namespace

TEST(NewChartNotice, CountsSongsNewToTheChartAndThoseNotOwned) {
    QTemporaryDir dir;
    const QByteArray owned = QFile::encodeName(dir.filePath(QStringLiteral("owned.mp3")));
    QFile(dir.filePath(QStringLiteral("owned.mp3"))).open(QIODevice::WriteOnly);
    const QByteArray gone = QFile::encodeName(dir.filePath(QStringLiteral("gone.mp3")));

    const ChartTab old = chart(20010310, {{"1", "再会", "A", owned}, {"2", "消えた", "B", gone}});
    // The week before the newest is the nearest loaded one (03-24; 03-17 has
    // no chart), wherever it stands in the list; 03-10 lends only its files.
    const ChartTab prev = chart(20010324, {{"1", "続く", "C", {}}, {"2", "去る", "D", {}}});
    const ChartTab newest = chart(20010331, {{"2", "続く", "C", {}},
                                             {"1", "再会", "A", {}},      // a re-entry, owned on 03-10
                                             {"3", "消えた", "B", {}},    // a re-entry whose file is gone
                                             {"4", "初登場", "E", {}},    // a debut
                                             {"5", "初登場", "F", {}}});  // same title, other artist
    const NewChartNotice n = newChartNotice({20010324, 20010331, 20010331}, {newest, old, prev});
    EXPECT_TRUE(n.loaded);
    EXPECT_EQ(n.newest, QDate(2001, 3, 31));
    EXPECT_EQ(n.weeks, 2);
    EXPECT_EQ(n.topTitle, sj("再会"));  // rank 1, not the first row
    EXPECT_EQ(n.newEntries, 4);
    EXPECT_EQ(n.wanted, 3);

    EXPECT_EQ(noticeSummary(n), u8("新しいチャート: 2001年03月31日 ほか 1 週"));
    EXPECT_EQ(noticeBody(n, false), u8("1位: 再会 / A\n新しく入った曲 4 曲 (うち未所有 3 曲)"));
}

TEST(NewChartNotice, EdgesOfWhatIsKnown) {
    // The first week ever: every song is new. No imported week: no notice.
    // The newest chart did not load: the date only, no figures to guess.
    const ChartTab only = chart(19950408, {{"1", "A", "X", {}}, {"2", "B", "Y", {}}, {"3", "A", "X", {}}});
    const NewChartNotice first = newChartNotice({19950408}, {only});
    EXPECT_EQ(first.newEntries, 2);
    EXPECT_EQ(noticeSummary(first), u8("新しいチャート: 1995年04月08日"));

    EXPECT_FALSE(newChartNotice({}, {only}).newest.isValid());
    EXPECT_TRUE(noticeSummary(newChartNotice({}, {only})).isEmpty());

    const NewChartNotice unloaded = newChartNotice({19950415}, {only});
    EXPECT_FALSE(unloaded.loaded);
    EXPECT_EQ(noticeSummary(unloaded), u8("新しいチャート: 1995年04月15日"));
    EXPECT_TRUE(noticeBody(unloaded, true).isEmpty());
}

TEST(NewChartNotice, TitlesAreEscapedOnlyForMarkup) {
    const ChartTab t = chart(19950408, {{"1", "Rock & <Roll>", "\"Q\" & Co", {}}});
    const NewChartNotice n = newChartNotice({19950408}, {t});
    EXPECT_EQ(noticeBody(n, true).section(QLatin1Char('\n'), 0, 0),
              u8("1位: Rock &amp; &lt;Roll&gt; / &quot;Q&quot; &amp; Co"));
    EXPECT_EQ(noticeBody(n, false).section(QLatin1Char('\n'), 0, 0), u8("1位: Rock & <Roll> / \"Q\" & Co"));
}
