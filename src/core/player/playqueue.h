#pragma once
// The play queue: the songs of a week's chart counted down (or up), of a
// result list, of the playlist maker's output or of a year-end chart, in
// the order they play, each with the local file it plays. Every file is
// worked out by the stored-target resolver; a song without a file the
// player can open is not queued but listed with the reason, so nothing is
// left out in silence. The window's player and `vorq countdown` share it.
#include <QByteArray>
#include <QList>
#include <QString>
#include <optional>

#include "core/charts/chartstore.h"
#include "core/history/toplistrows.h"
#include "core/lists/resultlist.h"

namespace vorq {

struct QueueEntry {
    QByteArray rank;  // the week's rank, or the place in a ranked list
    QByteArray title;
    QByteArray artist;
    QByteArray stored;  // the associated file as stored; empty: none
    QString path;       // the absolute file to play; empty for a skipped song
    int tag = 0;        // the week of the chart row it stands for (yyyymmdd); 0: none loaded
    int row = -1;       // that row's index in the week's table; -1: not found
};

// Why a song is not queued. The order is the order of the tests.
enum class SkipReason { NoFile, WebAddress, LeavesMedium, Missing, Folder, NotRegularFile, Unreadable };
// The reason as the user reads it.
QString skipReasonText(SkipReason reason);

struct SkippedSong {
    QueueEntry song;
    SkipReason reason = SkipReason::NoFile;
};

struct PlayQueue {
    QList<QueueEntry> entries;
    QList<SkippedSong> skipped;
};

// A stored associated file as the player sees it: the regular, readable
// local file it names, or why there is none. Devices and pipes are refused:
// reading one never ends.
struct PlayableFile {
    QString path;
    std::optional<SkipReason> reason;
};
PlayableFile playableFile(const QByteArray &stored);

struct CountdownOptions {
    int top = 0;           // only places 1..top; 0 or less: all of them
    bool fromTop = false;  // #1 first instead of the lowest chosen place first
};

// A week's chart: the ranks 1..top (by value, not position), the lowest
// first unless fromTop; rows of equal rank keep their table order.
PlayQueue countdownQueue(const ChartTab &tab, const CountdownOptions &options);

// Result rows (a search) in list order. Each row is looked up in tabs by its
// date label, row index (text 7 of a search) or rank, title and artist, so
// the player can mark it.
PlayQueue resultListQueue(const ResultList &rows, const QList<ChartTab> &tabs);

// The playlist maker's output as "リスト保存" writes it: rows with a file, in
// list order, count entries, repeating from the top when count exceeds them.
// A row without a file, or whose file does not play, is listed once. Never
// more than kQueueLimit entries.
PlayQueue playlistQueue(const ResultList &rows, qint64 count, const QList<ChartTab> &tabs);
inline constexpr qsizetype kQueueLimit = 10000;

// A year-end chart or another top list by song, place n = items[n - 1]:
// each song plays the file of its newest row that has one (as the list's
// saved playlist does). Places 1..top, the lowest first unless fromTop.
PlayQueue topListQueue(const QList<TopListItem> &items, const QList<ChartTab> &tabs,
                       const CountdownOptions &options);

// Where the player stands in a queue of count entries. Entries whose file
// failed to play are passed over by next and previous.
class QueueCursor {
public:
    void reset(qsizetype count);
    qsizetype count() const { return m_failed.size(); }
    int current() const { return m_current; }  // -1: none
    void setCurrent(int index);                // -1 or a valid index
    void markFailed(int index);
    bool hasFailed(int index) const;
    // The first entry that has not failed after (before) the current one;
    // from none, next is the first entry. -1 when there is none.
    int next() const;
    int previous() const;

private:
    QList<bool> m_failed;
    int m_current = -1;
};

// "N位 曲名 / アーティスト", what the player bar shows for an entry.
QString nowPlayingText(const QueueEntry &entry);
// Milliseconds as "m:ss" (or "h:mm:ss" from an hour on); negative as "0:00".
QString playTimeText(qint64 ms);

}  // namespace vorq
