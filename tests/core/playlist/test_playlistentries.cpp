// The result list's playlist as extended entries: the same songs in the same
// order as the designed lines, with their titles and artists.
#include <gtest/gtest.h>

#include "core/playlist/playlistwriter.h"
#include "sjtest.h"

using namespace vorq;

namespace {

ResultRow row(const char *title, const char *artist, const char *file) {
    ResultRow r;
    r.text(ResultRow::Date) = sj("1995年04月08日");
    r.text(ResultRow::Rank) = "1";
    r.text(ResultRow::Title) = sj(title);
    r.text(ResultRow::Artist) = sj(artist);
    r.text(ResultRow::File) = sj(file);
    return r;
}

const ResultList kRows = {row("夜空", "歌手", "/曲/a.mp3"), row("無し", "誰か", ""),
                          row("海", "Ｂ", "/曲/b.mp3"), row("夜空 (再)", "歌手", "/曲/a.mp3")};

}  // namespace

TEST(PlaylistEntries, FollowTheDesignedLinesForEveryCount) {
    for (qint64 count : {-1, 0, 1, 2, 3, 7}) {
        const QList<QByteArray> lines = playlistLines(kRows, count);
        const QList<PlaylistEntry> entries = playlistEntries(kRows, count);
        ASSERT_EQ(entries.size(), lines.size()) << count;
        for (qsizetype i = 0; i < lines.size(); ++i)
            EXPECT_EQ(entries[i].path, sjis::path(lines[i])) << count;
    }
    const QList<PlaylistEntry> four = playlistEntries(kRows, 4);
    EXPECT_EQ(four[1].title, u8("海"));
    EXPECT_EQ(four[2].title, u8("夜空 (再)"));  // a row's own title, though its file repeats
    EXPECT_EQ(four[3].artist, u8("歌手"));
    EXPECT_TRUE(playlistEntries({row("x", "y", "")}, 5).isEmpty());

    const PlaylistCopy copy = playlistCopy(distinctFiles(kRows), 5, sj("/コピー"));
    const QList<PlaylistEntry> copied = playlistCopyEntries(kRows, copy);
    ASSERT_EQ(copied.size(), 2);
    EXPECT_EQ(copied[0].path, u8("/コピー/a.mp3"));
    EXPECT_EQ(copied[0].title, u8("夜空"));
    EXPECT_EQ(copied[1].artist, u8("Ｂ"));
}
