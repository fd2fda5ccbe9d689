// The play queue: which songs play in which order, and every song left out
// listed with its reason.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <limits>

#include "core/player/playqueue.h"
#include "sjtest.h"

using namespace vorq;

namespace {

class PlayQueueTest : public ::testing::Test {
protected:
    QTemporaryDir dir;

    QByteArray file(const QString &name) {
        QFile f(dir.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
        return sjis::fromUnicode(dir.filePath(name));
    }
    static ChartEntry row(int rank, const QByteArray &file = {}) {
        return {QByteArray::number(rank), "Title" + QByteArray::number(rank), "Artist", file, {}};
    }
    // "played ranks | skipped rank:reason ...", in queue order.
    static QString order(const PlayQueue &q) {
        QStringList out;
        for (const QueueEntry &e : q.entries) out << QString::fromLatin1(e.rank);
        out << QStringLiteral("|");
        for (const SkippedSong &s : q.skipped)
            out << QString::fromLatin1(s.song.rank) + u':' + skipReasonText(s.reason);
        return out.join(u' ');
    }
    // A week of 10 ranks; ranks 7, 4 and 2 have no file that plays.
    ChartTab week() {
        ChartTab tab{19950408, sj("1995年04月08日"), {}};
        for (int rank = 1; rank <= 10; ++rank) {
            QByteArray f = file(QStringLiteral("%1.wav").arg(rank));
            if (rank == 7) f.clear();
            if (rank == 4) f = sjis::fromUnicode(dir.filePath(QStringLiteral("gone.wav")));
            if (rank == 2) f = "http://www.vorq.example/2.mp3";
            tab.rows << row(rank, f);
        }
        return tab;
    }
};

TEST_F(PlayQueueTest, WeekCountsDownOverPlayableFilesAndListsTheRestWithReasons) {
    const ChartTab tab = week();
    const PlayQueue q = countdownQueue(tab, {});
    EXPECT_EQ(order(q), u8("10 9 8 6 5 3 1 | 7:関連付けなし 4:ファイルがない 2:Webアドレス"));
    // Every entry knows its file and the chart row the player marks.
    for (const QueueEntry &e : q.entries) {
        EXPECT_EQ(e.path, dir.filePath(sjis::toUnicode(e.rank) + QStringLiteral(".wav")));
        EXPECT_EQ(e.tag, 19950408);
        EXPECT_EQ(tab.rows.at(e.row).rank, e.rank);
    }
}

TEST_F(PlayQueueTest, TopLimitAndDirectionChooseRanksByValue) {
    ChartTab tab = week();
    // Out of order in the file, a gap and a tie: order comes from the values.
    std::swap(tab.rows[0], tab.rows[5]);
    tab.rows.removeAt(8);  // rank 9 gone
    tab.rows << row(3, file(QStringLiteral("3b.wav")));
    const std::pair<CountdownOptions, const char *> cases[] = {
        {{5, false}, "5 3 3 1 | 4:ファイルがない 2:Webアドレス"},
        {{5, true}, "1 3 3 5 | 2:Webアドレス 4:ファイルがない"},
        {{0, true}, "1 3 3 5 6 8 10 | 2:Webアドレス 4:ファイルがない 7:関連付けなし"},
        {{1, false}, "1 |"},
        {{-3, false}, "10 8 6 5 3 3 1 | 7:関連付けなし 4:ファイルがない 2:Webアドレス"},
        {{200, false}, "10 8 6 5 3 3 1 | 7:関連付けなし 4:ファイルがない 2:Webアドレス"},
    };
    for (const auto &[options, expected] : cases)
        EXPECT_EQ(order(countdownQueue(tab, options)), u8(expected)) << options.top << options.fromTop;
    // Equal ranks mirror: from the top the file's order, counting down reversed.
    const PlayQueue down = countdownQueue(tab, {});
    EXPECT_EQ(down.entries.at(4).path, dir.filePath(QStringLiteral("3b.wav")));
}

TEST_F(PlayQueueTest, OnlyRegularReadableFilesOnTheMediumPlay) {
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    struct Case {
        QByteArray stored;
        std::optional<SkipReason> reason;
    } cases[] = {
        {file(QStringLiteral("ok.wav")), std::nullopt},
        {{}, SkipReason::NoFile},
        {"ftp://host/a.mp3", SkipReason::WebAddress},
        {"mailto:a@b", SkipReason::WebAddress},
        {"\\..\\..\\..\\..\\..\\..\\etc\\passwd", SkipReason::LeavesMedium},
        {sjis::fromUnicode(dir.filePath(QStringLiteral("none.wav"))), SkipReason::Missing},
        {sjis::fromUnicode(dir.filePath(QStringLiteral("folder"))), SkipReason::Folder},
        // Reading a device or a pipe never ends.
        {"/dev/zero", SkipReason::NotRegularFile},
    };
    for (const Case &c : cases) {
        const PlayableFile f = playableFile(c.stored);
        EXPECT_EQ(f.reason, c.reason) << c.stored.constData();
        EXPECT_EQ(f.path.isEmpty(), c.reason.has_value()) << c.stored.constData();
    }
    if (::geteuid() != 0) {  // root reads anything
        const QByteArray locked = file(QStringLiteral("locked.wav"));
        QFile::setPermissions(sjis::path(locked), QFileDevice::WriteOwner);
        EXPECT_EQ(playableFile(locked).reason, SkipReason::Unreadable);
    }
}

// The other sources, each once: where the songs come from, their order,
// what is skipped and which chart row each entry marks.
TEST_F(PlayQueueTest, ResultListPlaylistAndYearEndSources) {
    const QByteArray a = file(QStringLiteral("a.wav")), b = file(QStringLiteral("b.wav"));
    const QByteArray c = file(QStringLiteral("c.wav"));
    ChartTab w1{19950408, sj("1995年04月08日"), {row(1, a), row(2, b), row(3)}};
    ChartTab w2{19950415, sj("1995年04月15日"), {row(1, c), row(2, a), row(3, "/nowhere.wav")}};
    w2.rows[0].title = "New";
    w2.rows[1].title = w1.rows[0].title;  // song A fell to #2 with the same file
    const QList<ChartTab> tabs{w2, w1};
    auto result = [](const ChartTab &t, int r, const QByteArray &extra2 = {}) {
        return ResultRow::fromEntry(t.caption, t.rows.at(r), {}, extra2);
    };
    // Each entry as "week/row:file", then the reasons of the skipped songs.
    auto placed = [](const PlayQueue &q) {
        QStringList out;
        for (const QueueEntry &e : q.entries)
            out << QStringLiteral("%1/%2:%3").arg(e.tag).arg(e.row).arg(QFileInfo(e.path).baseName());
        out << QStringLiteral("|");
        for (const SkippedSong &s : q.skipped) out << skipReasonText(s.reason);
        return out.join(u' ');
    };
    const std::pair<PlayQueue, const char *> cases[] = {
        // A search: list order; a stale row index is corrected by the texts,
        // a week not loaded leaves the entry unmarked.
        {resultListQueue({result(w2, 1, "0"), result(w1, 2, "2"), result(w1, 1, "1"),
                          ResultRow{{sj("1995年05月06日"), "1", "T", "A", c, {}, {}, {}}}},
                         tabs),
         "19950415/1:a 19950408/1:b 0/-1:c | 関連付けなし"},
        // The maker's output, 5 lines over 3 rows with a file: repeats from
        // the top; the missing file is listed once however often it comes.
        {playlistQueue({result(w2, 2), result(w1, 2), result(w2, 0), result(w1, 1)}, 5, tabs),
         "19950415/0:c 19950408/1:b 19950415/0:c | ファイルがない 関連付けなし"},
        // A smaller count leaves the bottom rows out, unlisted.
        {playlistQueue({result(w2, 0), result(w1, 2), result(w1, 1)}, 1, tabs), "19950415/0:c |"},
        // A year-end chart counting down its top 2: each song's newest file.
        {topListQueue({{{w1.rows[0].title, "Artist"}, "400"},
                       {{w1.rows[1].title, "Artist"}, "300"},
                       {{"Never", "Artist"}, "100"},
                       {{{}, "Artist"}, "1"}},
                      tabs, {2, false}),
         "19950408/1:b 19950415/1:a |"},
        {topListQueue({{{w1.rows[0].title, "Artist"}, "400"}, {{"Never", "Artist"}, "100"}}, tabs, {0, true}),
         "19950415/1:a | 関連付けなし"},
    };
    for (const auto &[queue, expected] : cases) EXPECT_EQ(placed(queue), u8(expected));
}

TEST_F(PlayQueueTest, PlaylistRepetitionStaysBounded) {
    const ChartTab w{
        19950408, sj("1995年04月08日"), {row(1, file(QStringLiteral("a.wav"))), row(2, "/gone")}};
    const ResultList rows{ResultRow::fromEntry(w.caption, w.rows.at(0)),
                          ResultRow::fromEntry(w.caption, w.rows.at(1))};
    EXPECT_EQ(playlistQueue(rows, 7, {w}).entries.size(), 4);  // lines 1, 3, 5, 7 play
    EXPECT_EQ(playlistQueue(rows, std::numeric_limits<qint64>::max(), {w}).entries.size(), kQueueLimit);
    EXPECT_TRUE(playlistQueue(rows, 0, {w}).entries.isEmpty());
}

TEST(QueueCursorTest, NextAndPreviousPassFailedEntries) {
    QueueCursor c;
    c.reset(5);
    EXPECT_EQ(c.next(), 0);  // from none: the first
    c.markFailed(0);
    c.markFailed(2);
    const int cases[][3] = {{1, 3, -1}, {3, 4, 1}, {4, -1, 3}};  // current, next, previous
    for (const auto &[current, next, previous] : cases) {
        c.setCurrent(current);
        EXPECT_EQ(c.next(), next) << current;
        EXPECT_EQ(c.previous(), previous) << current;
    }
}

}  // namespace
