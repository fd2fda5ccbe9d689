// The automatic association update against its literal form on random small
// histories, and the cases users meet: pattern names, dead links, memo and
// look-ahead order, the stop button, same-song rows.
#include <gtest/gtest.h>

#include <QHash>
#include <QSet>
#include <random>

#include "associationupdate_literal.h"
#include "core/charts/associationupdate.h"
#include "sjtest.h"

using namespace vorq;

namespace {

ChartEntry row(const QByteArray &title, const QByteArray &artist, const QByteArray &file = {},
               const QByteArray &method = {}) {
    return {"1", title, artist, file, method};
}

ChartTab tab(int tag, QList<ChartEntry> rows) { return {tag, dateLabelFromTag(tag), std::move(rows)}; }

// A file system of the given paths that counts what it is asked.
struct FakeFs {
    QSet<QByteArray> files;
    QHash<QByteArray, int> asked;
    PathExists fn() {
        return [this](const QByteArray &p) {
            ++asked[p];
            return files.contains(p);
        };
    }
};

struct StopAfter : AutoUpdateObserver {
    int tables;
    QList<QByteArray> captions;
    QList<int> percents;
    explicit StopAfter(int n) : tables(n) {}
    void editing(const QByteArray &c) override { captions.append(c); }
    void progress(int p) override { percents.append(p); }
    bool stopRequested() override { return tables >= 0 && captions.size() >= tables; }
};

}  // namespace

TEST(AutoUpdateDiff, SameResultsAsTheLiteralUpdate) {
    std::mt19937 rng(20240611);
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    const QList<QByteArray> titles{"T1", "T2", "T3", sj("夏の空"), "*", "T%aX"};
    const QList<QByteArray> artists{"A1", "A2", sj("山田 太郎"), "*", "B%tC"};
    const QList<QByteArray> patterns{"%a-%t.mp3", "%t/%a", "%a%a%t", "fixed", "%%at%", ""};
    int changedCases = 0, stoppedCases = 0;
    for (int round = 0; round < 600; ++round) {
        FakeFs fs;
        QList<QByteArray> locals;
        for (int i = 0; i < 8; ++i) locals.append("/m/" + QByteArray::number(i) + ".mp3");
        for (const QByteArray &l : locals)
            if (pick(2)) fs.files.insert(l);
        AutoUpdateOptions o{patterns.at(pick(int(patterns.size()))), "/music/", pick(3) != 0};
        // Some of the names the pattern gives exist.
        for (const QByteArray &t : titles)
            for (const QByteArray &a : artists)
                if (pick(3) == 0)
                    fs.files.insert(o.folder +
                                    literal::replaceAll(literal::replaceAll(o.pattern, 'a', a), 't', t));
        QList<ChartTab> tabs;
        const int tables = pick(10);
        for (int t = 0; t < tables; ++t) {
            QList<ChartEntry> rows;
            const int n = pick(12);
            for (int r = 0; r < n; ++r) {
                QByteArray file;
                switch (pick(6)) {
                    case 0: file = locals.at(pick(int(locals.size()))); break;
                    case 1:
                        file = pick(2) ? QByteArray("http://x/" + QByteArray::number(pick(3)))
                                       : QByteArray("ftp://y");
                        break;
                    default: break;
                }
                rows.append(row(titles.at(pick(int(titles.size()))), artists.at(pick(int(artists.size()))),
                                file, pick(4) ? QByteArray() : QByteArray("print")));
            }
            tabs.append(tab(20000101 + t, rows));
        }
        const int stopAt = pick(4) == 0 ? pick(tables + 1) : -1;

        QList<ChartTab> expected = tabs;
        const bool changed = literal::autoUpdate(
            expected, o, [&](const QByteArray &p) { return fs.files.contains(p); }, stopAt);
        StopAfter stop(stopAt);
        const QList<ChartTab> before = tabs;
        const AutoUpdateResult result = autoUpdate(tabs, o, &stop, fs.fn());
        ASSERT_EQ(result.changed, changed) << "round " << round;
        for (int t = 0; t < tables; ++t)
            ASSERT_EQ(tabs.at(t).rows, expected.at(t).rows) << "round " << round << " table " << t;
        // The report lists exactly the rows that differ, with their old files.
        QList<RowRef> differing;
        for (int t = 0; t < tables; ++t)
            for (int r = 0; r < tabs.at(t).rows.size(); ++r)
                if (tabs.at(t).rows.at(r).file != before.at(t).rows.at(r).file) differing.append({t, r});
        ASSERT_EQ(result.changes.size(), differing.size()) << "round " << round;
        for (qsizetype i = 0; i < differing.size(); ++i) {
            const RowRef at = differing.at(i);
            EXPECT_EQ(result.changes.at(i).at, at);
            EXPECT_EQ(result.changes.at(i).oldFile, before.at(at.tab).rows.at(at.row).file);
        }
        for (auto it = fs.asked.cbegin(); it != fs.asked.cend(); ++it)
            ASSERT_EQ(it.value(), 1) << it.key().data();
        EXPECT_EQ(result.stopped, stopAt >= 0 && stopAt < tables);
        changedCases += changed;
        stoppedCases += result.stopped;
    }
    // The random cases reach both outcomes.
    EXPECT_GT(changedCases, 100);
    EXPECT_GT(stoppedCases, 20);
}

TEST(AutoUpdate, NamePatternInTheMusicFolder) {
    FakeFs fs;
    fs.files.insert("/c/ABC-XYZ.mp3");
    QList<ChartTab> tabs{tab(20000101, {row("XYZ", "ABC"), row("QQQ", "ABC")})};
    AutoUpdateResult r = autoUpdate(tabs, {"%a-%t.mp3", "/c/", true}, nullptr, fs.fn());
    EXPECT_EQ(tabs.at(0).rows.at(0).file, QByteArray("/c/ABC-XYZ.mp3"));
    EXPECT_TRUE(tabs.at(0).rows.at(1).file.isEmpty());
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.existenceTests, 2);

    // A folder typed without its separator still names files inside it.
    tabs = {tab(20000101, {row("XYZ", "ABC")})};
    autoUpdate(tabs, {"%a-%t.mp3", "/c", true}, nullptr, fs.fn());
    EXPECT_EQ(tabs.at(0).rows.at(0).file, QByteArray("/c/ABC-XYZ.mp3"));

    // "%t" inside the artist is replaced by the second pass; "%a" inside the
    // title is not, since its pass is over.
    EXPECT_EQ(patternFileName("%a-%t", "A%tB", "T"), QByteArray("ATB-T"));
    EXPECT_EQ(patternFileName("%t.mp3", "A", "x%ay"), QByteArray("x%ay.mp3"));
    EXPECT_EQ(patternFileName("%%aa%", "Z", "T"), QByteArray("%Za%"));
}

TEST(AutoUpdate, DeadLinksMemoAndLookAhead) {
    FakeFs fs;
    fs.files = {"/f1", "/f3", "/kept"};
    QList<ChartTab> tabs{
        tab(20000122,
            {row("S", "A"), row("Gone", "A", "/deleted.mp3", "print"), row("Web", "A", "http://w/x")}),
        tab(20000115, {row("S", "A", "/f1"), row("Once", "B", "/kept")}),
        tab(20000108, {row("S", "A"), row("Once", "B")}),
        tab(20000101, {row("S", "A", "/f3"), row("Gone", "A")}),
    };
    autoUpdate(tabs, {"%a-%t.mp3", "/c/", true}, nullptr, fs.fn());
    // Look-ahead: the first later table with a file; then the memo carries it
    // on, even past a later row with another file.
    EXPECT_EQ(tabs.at(0).rows.at(0).file, QByteArray("/f1"));
    EXPECT_EQ(tabs.at(1).rows.at(0).file, QByteArray("/f1"));
    EXPECT_EQ(tabs.at(2).rows.at(0).file, QByteArray("/f1"));
    EXPECT_EQ(tabs.at(3).rows.at(0).file, QByteArray("/f3"));
    // An earlier table's file reaches later tables through the memo.
    EXPECT_EQ(tabs.at(2).rows.at(1).file, QByteArray("/kept"));
    // The deleted file is gone (its method stays); the address is kept.
    EXPECT_TRUE(tabs.at(0).rows.at(1).file.isEmpty());
    EXPECT_EQ(tabs.at(0).rows.at(1).method, QByteArray("print"));
    EXPECT_EQ(tabs.at(0).rows.at(2).file, QByteArray("http://w/x"));
    EXPECT_FALSE(fs.asked.contains("http://w/x"));
}

TEST(AutoUpdate, StopEndsAfterTheCurrentTable) {
    FakeFs fs;
    fs.files = {"/f"};
    QList<ChartTab> tabs{tab(20000115, {row("S", "A"), row("D", "A", "/dead")}),
                         tab(20000108, {row("S", "A")}), tab(20000101, {row("S", "A", "/f")})};
    StopAfter stop(1);
    const AutoUpdateResult r = autoUpdate(tabs, {}, &stop, fs.fn());
    EXPECT_TRUE(r.stopped);
    EXPECT_EQ(stop.captions, QList<QByteArray>{sj("2000年01月15日")});
    EXPECT_EQ(stop.percents, QList<int>{0});
    EXPECT_EQ(tabs.at(0).rows.at(0).file, QByteArray("/f"));
    EXPECT_TRUE(tabs.at(0).rows.at(1).file.isEmpty());  // dead links go before the first table
    EXPECT_TRUE(tabs.at(1).rows.at(0).file.isEmpty());  // never reached
    EXPECT_TRUE(r.changed);
}

TEST(SameSong, ExactTitleAndArtistWithStarForAny) {
    const QList<ChartTab> tabs{tab(20000108, {row("S", "A"), row("S", "B"), row("S ", "A")}),
                               tab(20000101, {row("x", "A"), row("S", "A"), row("*", "*")})};
    EXPECT_EQ(sameSongRows(tabs, "S", "A"), (QList<RowRef>{{0, 0}, {1, 1}}));
    EXPECT_EQ(sameSongRows(tabs, "*", "A"), (QList<RowRef>{{0, 0}, {0, 2}, {1, 0}, {1, 1}}));
    EXPECT_EQ(sameSongRows(tabs, "S", "*").size(), 3);
}
