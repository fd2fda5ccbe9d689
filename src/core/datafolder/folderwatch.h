#pragma once
// What another program's writes to the data folder mean for an open window,
// without a screen: a snapshot of the files that matter, the difference of
// two snapshots, and the pacing of reloads (changes gathered, at most one
// reload a second, none while the window is busy).
#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>

namespace vorq {

// The chart files, notfound.txt and file.idx of a folder, each by size and
// modification time. A file replaced through a rename changes at least one.
class FolderSnapshot {
public:
    static FolderSnapshot take(const QString &folder);

    struct Stamp {
        qint64 size = -1;
        qint64 modifiedMs = 0;
        bool operator==(const Stamp &) const = default;
    };
    const QHash<QString, Stamp> &files() const { return m_files; }  // lower-case names

private:
    QHash<QString, Stamp> m_files;
};

struct FolderChanges {
    QList<int> newCharts;       // dates (yyyymmdd) of chart files that appeared, ascending
    QList<int> replacedCharts;  // dates of chart files written again, ascending
    bool notFound = false;      // notfound.txt written or removed
    bool index = false;         // file.idx written or removed
    bool any() const { return !newCharts.isEmpty() || !replacedCharts.isEmpty() || notFound || index; }
};

// Removed chart files are not reported: a window keeps what it shows.
FolderChanges diffSnapshots(const FolderSnapshot &before, const FolderSnapshot &after);

// Gathers change notices into reloads. Times are milliseconds of any
// monotonic clock, passed in, so the rules are tested without waiting.
class ReloadPacer {
public:
    static constexpr qint64 kMinIntervalMs = 1000;

    void changed(qint64 nowMs) {
        if (!m_pending) m_firstNoticeMs = nowMs;
        m_pending = true;
    }
    // Milliseconds until the reload should run; -1 when none is pending or
    // the window is busy (it asks again when the busy state ends).
    qint64 delayMs(qint64 nowMs, bool busy) const;
    // A reload ran: the pending notices are spent.
    void ran(qint64 nowMs) {
        m_pending = false;
        m_lastRunMs = nowMs;
    }
    bool pending() const { return m_pending; }

private:
    bool m_pending = false;
    qint64 m_firstNoticeMs = 0;
    qint64 m_lastRunMs = -1;
};

}  // namespace vorq
