#include "core/charts/associationupdate.h"

#include "core/base/byteshash.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

bool matchesExactly(const QByteArray &value, const QByteArray &pattern) {
    return pattern == "*" || value == pattern;
}

QByteArray replaceEach(const QByteArray &text, const char *marker, const QByteArray &with) {
    QByteArray out;
    out.reserve(text.size() + with.size());
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = text.indexOf(marker, from);
        if (at < 0) break;
        out += QByteArrayView(text).sliced(from, at - from);
        out += with;
        from = at + 2;
    }
    out += QByteArrayView(text).sliced(from);
    return out;
}

// The existence test with one file-system call per distinct path: the
// stored texts are resolved by one resolver for the whole update (the
// current folder and the medium's root read once), or by the caller's test.
class ExistenceCache {
public:
    explicit ExistenceCache(const PathExists &fs) : m_fs(fs) {}
    bool operator()(const QByteArray &target) {
        if (target.isEmpty()) return false;
        if (isWebTarget(target)) return true;
        const auto it = m_known.find(target);
        if (it != m_known.end()) return it->second;
        ++tests;
        const bool e = m_fs ? m_fs(target) : m_resolver.exists(target);
        m_known.emplace(target, e);
        return e;
    }
    qsizetype tests = 0;

private:
    PathExists m_fs;
    StoredTargetResolver m_resolver;
    std::unordered_map<QByteArray, bool, BytesHash> m_known;
};

struct SongKey {
    QByteArray title, artist;
    friend bool operator==(const SongKey &, const SongKey &) = default;
};
struct SongKeyHash {
    size_t operator()(const SongKey &k) const { return BytesHash()(k.title) * 31 + BytesHash()(k.artist); }
};

// The same texts by where they are stored: the store keeps one copy of each
// title and artist, so most rows are found by address without hashing text.
struct StoredKey {
    const char *title, *artist;
    qsizetype titleSize, artistSize;
    friend bool operator==(const StoredKey &, const StoredKey &) = default;
};
struct StoredKeyHash {
    size_t operator()(const StoredKey &k) const {
        return qHashMulti(0, quintptr(k.title), quintptr(k.artist), k.titleSize, k.artistSize);
    }
};

}  // namespace

QList<RowRef> sameSongRows(const QList<ChartTab> &tabs, const QByteArray &title, const QByteArray &artist) {
    QList<RowRef> out;
    for (int t = 0; t < tabs.size(); ++t) {
        const ChartTable &rows = tabs.at(t).rows;
        for (int r = 0; r < rows.size(); ++r) {
            const ChartEntry &e = rows.at(r);
            if (matchesExactly(e.title, title) && matchesExactly(e.artist, artist)) out.append({t, r});
        }
    }
    return out;
}

bool pathExistsOnDisk(const QByteArray &path) { return resolveStoredTarget(path).exists; }

QByteArray patternFileName(const QByteArray &pattern, const QByteArray &artist, const QByteArray &title) {
    return replaceEach(replaceEach(pattern, "%a", artist), "%t", title);
}

QByteArray folderPrefix(const QByteArray &folder) {
    if (folder.isEmpty() || folder.endsWith('/')) return folder;
    return folder + '/';
}

AutoUpdateResult autoUpdate(QList<ChartTab> &tabs, const AutoUpdateOptions &options,
                            AutoUpdateObserver *observer, const PathExists &exists) {
    AutoUpdateObserver none;
    AutoUpdateObserver &obs = observer ? *observer : none;
    AutoUpdateResult result;
    ExistenceCache existing(exists);
    qsizetype flatRows = 0;
    for (const ChartTab &t : tabs) flatRows += t.rows.size();
    // Rows by their place in tab and table order; the first change of a row
    // keeps its original file for the report.
    std::vector<QByteArray> oldFile(static_cast<size_t>(flatRows));
    std::vector<char> touched(static_cast<size_t>(flatRows), 0);
    std::vector<int> tabStart(size_t(tabs.size()) + 1, 0);
    auto noteOld = [&](int t, int r, const QByteArray &file) {
        const size_t k = size_t(tabStart[size_t(t)] + r);
        if (touched[k]) return;
        touched[k] = 1;
        oldFile[k] = file;
    };
    auto setFile = [&](int t, int r, ChartEntry &e, const QByteArray &file) {
        noteOld(t, r, e.file);
        e.file = file;
        result.changed = true;
    };

    // Dead links; and every row's song as a small number.
    std::unordered_map<SongKey, int, SongKeyHash> songIds;
    std::unordered_map<StoredKey, int, StoredKeyHash> storedIds;
    std::vector<int> songOf;  // by row in tab and table order
    songOf.reserve(size_t(flatRows));
    // A song's rows mostly carry the same file: the answer for the file last
    // tested for the song is taken without hashing the path again.
    std::vector<QByteArray> lastFile;
    std::vector<char> lastExists;
    for (int t = 0; t < tabs.size(); ++t) {
        ChartTable &rows = tabs[t].rows;
        tabStart[size_t(t)] = int(songOf.size());
        for (int r = 0; r < rows.size(); ++r) {
            ChartEntry &e = rows[r];
            const StoredKey stored{e.title.constData(), e.artist.constData(), e.title.size(),
                                   e.artist.size()};
            auto at = storedIds.find(stored);
            if (at == storedIds.end()) {
                SongKey key{e.title, e.artist};
                auto it = songIds.find(key);
                if (it == songIds.end()) {
                    it = songIds.emplace(std::move(key), int(songIds.size())).first;
                    lastFile.emplace_back();
                    lastExists.push_back(0);
                }
                at = storedIds.emplace(stored, it->second).first;
            }
            const int song = at->second;
            songOf.push_back(song);
            if (e.file.isEmpty()) continue;
            const size_t s = size_t(song);
            if (e.file != lastFile[s]) {
                lastFile[s] = e.file;
                lastExists[s] = existing(e.file);
            }
            if (!lastExists[s]) {
                noteOld(t, r, e.file);
                e.file.clear();
                result.changed = true;
            }
        }
    }
    lastFile.clear();
    tabStart[size_t(tabs.size())] = int(songOf.size());
    const size_t songs = size_t(songIds.size());
    songIds.clear();
    storedIds.clear();

    // Per song, its rows with a file in tab and table order (one compact
    // list of lists), and a cursor that only moves on, since tables come in
    // order: the look-ahead is a step of the cursor, not a scan.
    struct Pos {
        int tab, row;
    };
    std::vector<int> withFileStart(songs + 1, 0);
    std::vector<Pos> withFile;
    {
        std::vector<int> count(songs, 0);
        size_t flat = 0;
        for (int t = 0; t < tabs.size(); ++t)
            for (const ChartEntry &e : tabs.at(t).rows) {
                if (!e.file.isEmpty()) ++count[size_t(songOf[flat])];
                ++flat;
            }
        for (size_t s = 0; s < songs; ++s) withFileStart[s + 1] = withFileStart[s] + count[s];
        withFile.resize(size_t(withFileStart[songs]));
        std::vector<int> fill(withFileStart.begin(), withFileStart.end() - 1);
        flat = 0;
        for (int t = 0; t < tabs.size(); ++t) {
            const ChartTable &rows = tabs.at(t).rows;
            for (int r = 0; r < rows.size(); ++r) {
                const size_t s = size_t(songOf[flat++]);
                if (!rows.at(r).file.isEmpty()) withFile[size_t(fill[s]++)] = {t, r};
            }
        }
    }
    std::vector<int> cursor(withFileStart.begin(), withFileStart.end() - 1);

    // The memo: the file of the song's latest record (empty: none or empty).
    std::vector<QByteArray> memo(songs);
    // Stored paths are opened later from anywhere: a relative folder is
    // taken against the current one now, as a file set by hand is.
    QByteArray folder = options.folder;
    if (!folder.isEmpty() && QDir::isRelativePath(sjis::path(folder)))
        folder = sjis::fromUnicode(QDir::current().absoluteFilePath(sjis::path(folder)));
    folder = folderPrefix(folder);

    const int tables = int(tabs.size());
    for (int q = 0; q < tables; ++q) {
        if (obs.stopRequested()) {
            result.stopped = true;
            break;
        }
        obs.editing(tabs.at(q).caption);
        ChartTable &rows = tabs[q].rows;
        for (int r = 0; r < rows.size(); ++r) {
            ChartEntry &e = rows[r];
            const size_t s = size_t(songOf[size_t(tabStart[size_t(q)] + r)]);
            QByteArray &known = memo[s];
            if (!e.file.isEmpty()) {
                if (known.isEmpty()) known = e.file;
                continue;
            }
            if (!known.isEmpty()) {
                setFile(q, r, e, known);
                continue;
            }
            // Look ahead: the song's first row with a file in a later table.
            int &c = cursor[s];
            const int end = withFileStart[s + 1];
            while (c < end && withFile[size_t(c)].tab <= q) ++c;
            if (c < end) {
                const Pos &p = withFile[size_t(c)];
                known = tabs.at(p.tab).rows.at(p.row).file;
                setFile(q, r, e, known);
            } else if (options.autoAdd) {
                const QByteArray path = folder + patternFileName(options.pattern, e.artist, e.title);
                if (existing(path)) {
                    known = path;
                    setFile(q, r, e, path);
                }
            }
        }
        obs.yield();
        obs.progress(int(qint64(q) * 100 / tables));
    }

    result.changes.reserve(std::count(touched.cbegin(), touched.cend(), 1));
    for (int t = 0; t < tabs.size(); ++t) {
        const ChartTable &rows = tabs.at(t).rows;
        for (int r = 0; r < rows.size(); ++r) {
            const size_t k = size_t(tabStart[size_t(t)] + r);
            if (touched[k] && oldFile[k] != rows.at(r).file)
                result.changes.append({{t, r}, oldFile[k], rows.at(r).file});
        }
    }
    result.existenceTests = existing.tests;
    return result;
}

}  // namespace vorq
