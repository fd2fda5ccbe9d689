// vorq scan / wanted / completeness: the music library against the loaded
// charts. scan prints what would be associated and stores it only with
// --apply; wanted and completeness read the associations as they are.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/clicommon.h"
#include "cli/rangeoptions.h"
#include "core/charts/indexmerge.h"
#include "core/datafolder/datafolderlock.h"
#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"
#include "core/library/wanted.h"
#include "core/text/sjistext.h"

using namespace vorq;
using namespace vorq::cli;

namespace {

QString u(const QByteArray &sjisText) { return sjis::toUnicode(sjisText); }
QString iso(int tag) { return QDate(tag / 10000, tag / 100 % 100, tag % 100).toString(Qt::ISODate); }
void writeJson(const QJsonArray &a) { writeRaw(QJsonDocument(a).toJson(QJsonDocument::Indented)); }

int intOption(const Args &a, const QString &name, int fallback) {
    if (!a.has(name)) return fallback;
    bool ok = false;
    const int v = a.value(name).toInt(&ok);
    if (!ok || v < 0) throw UsageError(QStringLiteral("--%1 takes a number").arg(name));
    return v;
}

// The store of the range with its song figures and who owns what.
struct Loaded {
    RangeOptions range;
    std::optional<QString> error;
    ChartHistory history;
    QHash<SongKey, bool> owned;
};

void load(Loaded &l, const Args &a) {
    l.range = prepareRange(a);
    l.error = loadRange(l.range);
    l.history = ChartHistory(l.range.store.tabs);
    l.owned = songOwnership(l.range.store.tabs);
}

}  // namespace

int cmdScan(const Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    if (!a.has(QStringLiteral("folder"))) throw UsageError(QStringLiteral("scan needs --folder DIR"));
    double minScore = 0.8;
    if (a.has(QStringLiteral("min-score"))) {
        bool ok = false;
        minScore = a.value(QStringLiteral("min-score")).toDouble(&ok);
        if (!ok || minScore < 0 || minScore > 1)
            throw UsageError(QStringLiteral("--min-score takes a number from 0 to 1"));
    }
    RangeOptions r = prepareRange(a);
    // A load error stops here: an --apply over a partial load would save
    // file.idx without the rows that did not load.
    if (const auto error = loadRange(r)) throw Error(*error);

    const QString cachePath = a.value(QStringLiteral("cache"), defaultScanCachePath());
    ScanCache cache;
    cache.load(cachePath);
    TagLibReader reader;
    const ScanResult scan = scanLibrary(a.value(QStringLiteral("folder")), reader, &cache);
    if (cache.changed()) {
        try {
            cache.save(cachePath);
        } catch (const Error &e) {
            printError(QStringLiteral("vorq: the scan cache was not saved: ") + e.message());
        }
    }
    if (scan.unnamable)
        printError(QStringLiteral("vorq: %1 files have names Shift-JIS cannot hold; they are not matched")
                       .arg(scan.unnamable));

    const LibraryMatcher matcher(scan.files);
    const QList<MatchProposal> proposals = matcher.matchAll(songsWithoutFile(r.store.tabs), minScore);
    if (a.flags.contains(QStringLiteral("json"))) {
        QJsonArray out;
        for (const MatchProposal &p : proposals) {
            const LibraryFile &f = scan.files[p.file];
            out.append(QJsonObject{{QStringLiteral("title"), u(p.song.title)},
                                   {QStringLiteral("artist"), u(p.song.artist)},
                                   {QStringLiteral("file"), f.path},
                                   {QStringLiteral("score"), std::round(p.score * 1000) / 1000},
                                   {QStringLiteral("sure"), p.sure},
                                   {QStringLiteral("tag_title"), f.title},
                                   {QStringLiteral("tag_artist"), f.artist}});
        }
        writeJson(out);
    } else {
        QByteArray text;
        for (const MatchProposal &p : proposals)
            text += QByteArray::number(p.score, 'f', 3) + (p.sure ? "\tsure\t" : "\t\t") + p.song.title +
                    '\t' + p.song.artist + '\t' + scan.files[p.file].storedPath + '\n';
        writeText(text, r.sjis);
    }
    if (a.flags.contains(QStringLiteral("apply"))) {
        const QList<AssociationChange> changes = applyProposals(r.store.tabs, proposals, scan.files);
        for (const AssociationChange &c : changes) r.store.noteRowChanged(c.at.tab, c.at.row);
        if (!changes.isEmpty()) {
            // The scan ran without the lock: the save takes over what others
            // stored meanwhile and refuses what it would have to ask about.
            const DataFolderLock lock(r.store.dataFolder);
            saveAssociationsUnattended(r.store);
        }
        printError(QStringLiteral("vorq: %1 rows associated").arg(changes.size()));
    }
    return 0;
}

int cmdWanted(const Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    const WantedFilter filter{intOption(a, QStringLiteral("year"), 0),
                              intOption(a, QStringLiteral("peak"), 0)};
    Loaded l;
    load(l, a);
    const QList<WantedSong> wanted = wantedSongs(l.history, l.owned, filter);
    if (a.flags.contains(QStringLiteral("json"))) {
        QJsonArray out;
        for (const WantedSong &w : wanted)
            out.append(QJsonObject{{QStringLiteral("title"), u(w.song.title)},
                                   {QStringLiteral("artist"), u(w.song.artist)},
                                   {QStringLiteral("peak"), w.peak},
                                   {QStringLiteral("weeks"), w.weeks},
                                   {QStringLiteral("first"), iso(w.firstTag)}});
        writeJson(out);
    } else {
        writeText(sjis::joinLines(wantedLines(wanted)).replace("\r\n", "\n"), l.range.sjis);
    }
    return finishRange(l.error);
}

int cmdCompleteness(const Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    Loaded l;
    load(l, a);
    const QList<YearCompleteness> years = completenessByYear(l.history, l.owned);
    if (a.flags.contains(QStringLiteral("json"))) {
        QJsonArray out;
        for (const YearCompleteness &y : years)
            out.append(QJsonObject{{QStringLiteral("year"), y.year},
                                   {QStringLiteral("songs"), y.songs},
                                   {QStringLiteral("owned"), y.owned},
                                   {QStringLiteral("weeks"), y.weeks},
                                   {QStringLiteral("weeks_owned"), y.weeksOwned}});
        writeJson(out);
    } else {
        QByteArray text = "year\tsongs\towned\tweeks\tweeks owned\n";
        for (const YearCompleteness &y : years)
            text += QByteArray::number(y.year) + '\t' + QByteArray::number(y.songs) + '\t' +
                    QByteArray::number(y.owned) + '\t' + QByteArray::number(y.weeks) + '\t' +
                    QByteArray::number(y.weeksOwned) + '\n';
        writeText(text, l.range.sjis);
    }
    return finishRange(l.error);
}
