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

namespace {

// The tags of the folder through the cache (saved when it changed; a
// failure to save it only costs time next run).
ScanResult scanFolder(const Args &a) {
    const QString cachePath = a.value(QStringLiteral("cache"), defaultScanCachePath());
    ScanCache cache;
    cache.load(cachePath);
    TagLibReader reader;
    ScanResult scan = scanLibrary(a.value(QStringLiteral("folder")), reader, &cache);
    if (cache.changed()) {
        try {
            cache.save(cachePath);
        } catch (const Error &e) {
            printError(QStringLiteral("vorq: the scan cache was not saved: ") + e.message());
        }
    }
    return scan;
}

// Control characters of texts from others (file names, tags) show as
// U+FFFD, as writeText shows those of stored texts.
QString printable(QString text) {
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t') || (u >= 0x7F && u <= 0x9F)) c = QChar(0xFFFD);
    }
    return text;
}

// Lines of stored text, each followed by a TAB and its note: UTF-8 unless
// --sjis, where a note Shift-JIS cannot hold is given in its brief form.
void writeNotedLines(const QList<QByteArray> &lines, const QStringList &notes, const QStringList &briefNotes,
                     bool sjisOutput) {
    QByteArray out;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (sjisOutput) {
            QByteArray note;
            if (!sjis::tryFromUnicode(notes[i], &note)) sjis::tryFromUnicode(briefNotes[i], &note);
            out += lines[i] + '\t' + note + '\n';
        } else {
            out += printable(sjis::toUnicode(lines[i]) + u'\t' + notes[i]).toUtf8() + '\n';
        }
    }
    writeRaw(out);
}

QString noteText(const MatchProposal &p) {
    if (p.note == MatchNote::None) return p.marker;
    return p.marker.isEmpty() ? matchNoteKey(p.note)
                              : matchNoteKey(p.note) + QStringLiteral(" (") + p.marker + u')';
}

}  // namespace

int cmdScan(const Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    if (!a.has(QStringLiteral("folder"))) throw UsageError(QStringLiteral("scan needs --folder DIR"));
    double minScore = kDefaultMatchThreshold;
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

    const ScanResult scan = scanFolder(a);
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
                                   {QStringLiteral("note"), matchNoteKey(p.note)},
                                   {QStringLiteral("marker"), p.marker},
                                   {QStringLiteral("tag_title"), f.title},
                                   {QStringLiteral("tag_artist"), f.artist}});
        }
        QJsonArray leftOut;
        for (const LeftOutFile &l : scan.leftOut)
            leftOut.append(QJsonObject{{QStringLiteral("file"), l.file.path},
                                       {QStringLiteral("reason"), leftOutReasonKey(l.reason)}});
        writeRaw(QJsonDocument(
                     QJsonObject{{QStringLiteral("proposals"), out}, {QStringLiteral("left_out"), leftOut}})
                     .toJson(QJsonDocument::Indented));
    } else {
        QList<QByteArray> lines;
        QStringList notes, briefNotes;
        for (const MatchProposal &p : proposals) {
            lines << QByteArray::number(p.score, 'f', 3) + (p.sure ? "\tsure\t" : "\t\t") + p.song.title +
                         '\t' + p.song.artist + '\t' + scan.files[p.file].storedPath;
            notes << noteText(p);
            briefNotes << matchNoteKey(p.note);
        }
        writeNotedLines(lines, notes, briefNotes, r.sjis);
        if (!scan.leftOut.isEmpty()) {
            printError(QStringLiteral("vorq: %1 music files left out:").arg(scan.leftOut.size()));
            for (const LeftOutFile &l : scan.leftOut)
                printError(
                    printable(QStringLiteral("  ") + leftOutReasonKey(l.reason) + u'\t' + l.file.path));
        }
    }
    if (a.flags.contains(QStringLiteral("apply"))) {
        const QList<AssociationChange> changes =
            applyProposals(r.store.tabs, proposalsToApply(proposals, minScore), scan.files);
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
    // With a music folder, each song whose only candidate there was left
    // out says which file and why.
    ScanResult scan;
    QHash<SongKey, int> leftOut;
    if (a.has(QStringLiteral("folder"))) {
        scan = scanFolder(a);
        QList<SongKey> songs;
        for (const WantedSong &w : wanted) songs.push_back(w.song);
        leftOut = songsOnlyLeftOut(songs, scan);
    }
    if (a.flags.contains(QStringLiteral("json"))) {
        QJsonArray out;
        for (const WantedSong &w : wanted) {
            QJsonObject o{{QStringLiteral("title"), u(w.song.title)},
                          {QStringLiteral("artist"), u(w.song.artist)},
                          {QStringLiteral("peak"), w.peak},
                          {QStringLiteral("weeks"), w.weeks},
                          {QStringLiteral("first"), iso(w.firstTag)}};
            if (auto it = leftOut.constFind(w.song); it != leftOut.constEnd())
                o.insert(QStringLiteral("left_out"),
                         QJsonObject{{QStringLiteral("file"), scan.leftOut[*it].file.path},
                                     {QStringLiteral("reason"), leftOutReasonKey(scan.leftOut[*it].reason)}});
            out.append(o);
        }
        writeJson(out);
    } else {
        const QList<QByteArray> lines = wantedLines(wanted);
        if (!a.has(QStringLiteral("folder"))) {
            writeText(sjis::joinLines(lines).replace("\r\n", "\n"), l.range.sjis);
        } else {
            QStringList notes, briefNotes;
            for (const WantedSong &w : wanted) {
                const auto it = leftOut.constFind(w.song);
                const QString reason =
                    it == leftOut.constEnd() ? QString() : leftOutReasonKey(scan.leftOut[*it].reason);
                briefNotes << (reason.isEmpty() ? QString() : QStringLiteral("left out: ") + reason);
                notes << (reason.isEmpty()
                              ? QString()
                              : briefNotes.back() + QStringLiteral(": ") + scan.leftOut[*it].file.path);
            }
            writeNotedLines(lines, notes, briefNotes, l.range.sjis);
        }
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
