// vorq history / vorq top: chart runs of a song or an artist, the top
// lists over the loaded range and the year-end and decade charts, as text
// or JSON.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/rangeoptions.h"
#include "core/history/charthistory.h"
#include "core/history/yearend.h"
#include "core/text/sjistext.h"

using namespace vorq;
using namespace vorq::cli;

namespace {

QString u(const QByteArray &sjisText) { return sjis::toUnicode(sjisText); }
QString label(int tag) { return tag ? u(dateLabelFromTag(tag)) : QString(); }
QString iso(int tag) {
    return tag ? QDate(tag / 10000, tag / 100 % 100, tag % 100).toString(Qt::ISODate) : QString();
}

// Text output collects UTF-8 lines and converts once, so --sjis gets the
// stored bytes back.
class Lines {
public:
    void add(const QString &name, const QString &value) {
        m_text += name + QStringLiteral(": ") + value + u'\n';
    }
    void add(const QString &name, int value) { add(name, QString::number(value)); }
    void raw(const QString &line) { m_text += line + u'\n'; }
    void write(bool sjisOut) const { writeText(sjis::fromUnicode(m_text), sjisOut); }

private:
    QString m_text;
};

QJsonObject songJson(const SongFigures &f, bool withAppearances) {
    QJsonObject o{{QStringLiteral("title"), u(f.song.title)},
                  {QStringLiteral("artist"), u(f.song.artist)},
                  {QStringLiteral("debut_date"), iso(f.debutTag)},
                  {QStringLiteral("debut_rank"), f.debutRank},
                  {QStringLiteral("last_date"), iso(f.lastTag)},
                  {QStringLiteral("last_rank"), f.lastRank},
                  {QStringLiteral("peak_rank"), f.peakRank},
                  {QStringLiteral("peak_date"), iso(f.peakTag)},
                  {QStringLiteral("weeks_at_peak"), f.weeksAtPeak},
                  {QStringLiteral("weeks"), f.weeks},
                  {QStringLiteral("weeks_at_number1"), f.weeksAtNumber1},
                  {QStringLiteral("runs"), f.runs},
                  {QStringLiteral("reentries"), f.reentries()}};
    if (withAppearances) {
        QJsonArray apps;
        for (const Appearance &a : f.appearances)
            apps.append(QJsonObject{{QStringLiteral("date"), iso(a.tag)},
                                    {QStringLiteral("label"), label(a.tag)},
                                    {QStringLiteral("rank"), a.rank}});
        o.insert(QStringLiteral("appearances"), apps);
    }
    return o;
}

void songText(Lines &out, const SongFigures &f) {
    out.add(QStringLiteral("title"), u(f.song.title));
    out.add(QStringLiteral("artist"), u(f.song.artist));
    out.add(QStringLiteral("debut"), label(f.debutTag));
    out.add(QStringLiteral("debut rank"), f.debutRank);
    out.add(QStringLiteral("last week"), label(f.lastTag));
    out.add(QStringLiteral("last rank"), f.lastRank);
    out.add(QStringLiteral("peak rank"), f.peakRank);
    out.add(QStringLiteral("peak reached"), label(f.peakTag));
    out.add(QStringLiteral("weeks at peak"), f.weeksAtPeak);
    out.add(QStringLiteral("weeks on chart"), f.weeks);
    out.add(QStringLiteral("weeks at #1"), f.weeksAtNumber1);
    out.add(QStringLiteral("runs"), f.runs);
    out.add(QStringLiteral("re-entries"), f.reentries());
    for (const Appearance &a : f.appearances) out.raw(label(a.tag) + u'\t' + QString::number(a.rank));
}

void writeJson(const QJsonObject &o) { writeRaw(QJsonDocument(o).toJson(QJsonDocument::Indented)); }

QByteArray argText(const Args &a, const QString &name) {
    // Refused rather than turned into "?": such a text can match nothing.
    return sjis::fromUnicode(a.value(name));
}

// A year given as four digits; a decade as the year it starts with.
int parseYear(const Args &a, const QString &name) {
    const QString text = a.value(name);
    bool ok = false;
    const int year = text.toInt(&ok);
    if (!ok || text.size() != 4 || year < 1000)
        throw UsageError(QStringLiteral("--%1 needs a year (YYYY)").arg(name));
    if (name == QLatin1String("decade") && year % 10 != 0)
        throw UsageError(QStringLiteral("--decade takes the decade's first year (1990, 2000, ...)"));
    return year;
}

// vorq top --year / --decade: the chart of points over the span's loaded
// weeks. Without --from and --to only the span is loaded, whatever range
// vorqview shows.
int yearEndTop(const Args &a) {
    if (a.has(QStringLiteral("year")) && a.has(QStringLiteral("decade")))
        throw UsageError(QStringLiteral("--year and --decade exclude each other"));
    const bool decade = a.has(QStringLiteral("decade"));
    const int first = parseYear(a, decade ? QStringLiteral("decade") : QStringLiteral("year"));
    const int last = decade ? first + 9 : first;
    const QString by = a.value(QStringLiteral("by"), QStringLiteral("song"));
    if (by != QLatin1String("song") && by != QLatin1String("artist"))
        throw UsageError(QStringLiteral("with --year or --decade, --by takes song or artist"));
    const YearEndBy kind = by == QLatin1String("artist") ? YearEndBy::Artist : YearEndBy::Song;
    bool ok = true;
    const int limit = a.value(QStringLiteral("limit"), QStringLiteral("100")).toInt(&ok);
    if (!ok || limit < 0) throw UsageError(QStringLiteral("--limit needs a count"));
    RangeOptions r = prepareRange(a);
    if (!a.has(QStringLiteral("from"))) r.from = QDate(first, 1, 1);
    if (!a.has(QStringLiteral("to"))) r.to = QDate(last, 12, 31);
    const std::optional<QString> error = loadRange(r);
    const ChartHistory history(r.store.tabs);
    const QList<YearEndEntry> chart = yearEndChart(history, first, last, kind, limit);
    // An empty chart is a span with no loaded week, not a chart without songs.
    if (chart.isEmpty() && !error && limit > 0)
        throw Error(decade ? QStringLiteral("%1 年代のチャートがありません。").arg(first)
                           : QStringLiteral("%1 年のチャートがありません。").arg(first));
    if (a.flags.contains(QStringLiteral("json"))) {
        // One object a line, keys in reading order (QJsonObject would sort them).
        auto str = [](const QByteArray &sjisText) {
            return QJsonDocument(QJsonArray{u(sjisText)}).toJson(QJsonDocument::Compact).chopped(1).mid(1);
        };
        QByteArray json = "[";
        for (const YearEndEntry &e : chart) {
            json += json.size() > 1 ? ",\n    {" : "\n    {";
            json += "\"rank\": " + QByteArray::number(e.position);
            if (kind == YearEndBy::Song) json += ", \"title\": " + str(e.song.title);
            json += ", \"artist\": " + str(e.song.artist) + ", \"points\": " + QByteArray::number(e.points) +
                    ", \"peak\": " + QByteArray::number(e.peak) +
                    ", \"weeks\": " + QByteArray::number(e.weeks) + '}';
        }
        writeRaw(json + (chart.isEmpty() ? "]\n" : "\n]\n"));
        return finishRange(error);
    }
    // rank TAB points TAB peak TAB weeks TAB title TAB artist (artists: no title)
    Lines out;
    for (const YearEndEntry &e : chart) {
        QString line = QString::number(e.position) + u'\t' + QString::number(e.points) + u'\t' +
                       QString::number(e.peak) + u'\t' + QString::number(e.weeks);
        if (kind == YearEndBy::Song) line += u'\t' + u(e.song.title);
        out.raw(line + u'\t' + u(e.song.artist));
    }
    out.write(r.sjis);
    return finishRange(error);
}

}  // namespace

int cmdHistory(const vorq::cli::Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    if (!a.values.contains(QStringLiteral("artist")))
        throw UsageError(QStringLiteral("history needs --artist (and --title for a song)"));
    RangeOptions r = prepareRange(a);
    const std::optional<QString> error = loadRange(r);
    const ChartHistory history(r.store.tabs);
    const bool json = a.flags.contains(QStringLiteral("json"));
    // Typed as the chart page shows it (full-width letters, spaced names):
    // the load normalised the stored songs, so the query is normalised alike.
    const QByteArray artist = sjis::normalizeArtist(argText(a, QStringLiteral("artist")));
    if (a.values.contains(QStringLiteral("title"))) {
        const std::optional<SongFigures> f =
            history.song({sjis::normalizeTitle(argText(a, QStringLiteral("title"))), artist});
        if (!f) throw Error(QStringLiteral("その曲はチャートにありません。"));
        if (json) {
            writeJson(songJson(*f, true));
        } else {
            Lines out;
            songText(out, *f);
            out.write(r.sjis);
        }
        return finishRange(error);
    }
    const std::optional<ArtistFigures> f = history.artist(artist);
    if (!f) throw Error(QStringLiteral("そのアーティストはチャートにありません。"));
    if (json) {
        QJsonArray songs;
        for (const SongFigures &s : f->songList) songs.append(songJson(s, false));
        writeJson(QJsonObject{{QStringLiteral("artist"), u(f->artist)},
                              {QStringLiteral("songs"), f->songs},
                              {QStringLiteral("number1_songs"), f->number1Songs},
                              {QStringLiteral("total_weeks"), f->totalWeeks},
                              {QStringLiteral("first_date"), iso(f->firstTag)},
                              {QStringLiteral("last_date"), iso(f->lastTag)},
                              {QStringLiteral("best_song"), f->bestSong ? u(f->bestSong->title) : QString()},
                              {QStringLiteral("song_list"), songs}});
    } else {
        Lines out;
        out.add(QStringLiteral("artist"), u(f->artist));
        out.add(QStringLiteral("songs"), f->songs);
        out.add(QStringLiteral("#1 songs"), f->number1Songs);
        out.add(QStringLiteral("total weeks"), f->totalWeeks);
        out.add(QStringLiteral("first week"), label(f->firstTag));
        out.add(QStringLiteral("last week"), label(f->lastTag));
        out.add(QStringLiteral("best song"), f->bestSong ? u(f->bestSong->title) : QString());
        // title, peak, weeks, debut: one line per song in debut order
        for (const SongFigures &s : f->songList)
            out.raw(u(s.song.title) + u'\t' + QString::number(s.peakRank) + u'\t' + QString::number(s.weeks) +
                    u'\t' + label(s.debutTag));
        out.write(r.sjis);
    }
    return finishRange(error);
}

int cmdTop(const vorq::cli::Command &command, const QStringList &args) {
    const Args a = parseArgs(args, command);
    if (a.has(QStringLiteral("year")) || a.has(QStringLiteral("decade"))) return yearEndTop(a);
    static const QHash<QString, TopOrder> orders{{QStringLiteral("weeks"), TopOrder::Weeks},
                                                 {QStringLiteral("number1"), TopOrder::Number1},
                                                 {QStringLiteral("peak"), TopOrder::Peak},
                                                 {QStringLiteral("artist-number1"), TopOrder::ArtistNumber1},
                                                 {QStringLiteral("artist-weeks"), TopOrder::ArtistWeeks}};
    const QString by = a.value(QStringLiteral("by"), QStringLiteral("weeks"));
    if (!orders.contains(by))
        throw UsageError(QStringLiteral("--by takes weeks, number1, peak, artist-number1 or artist-weeks"));
    bool ok = true;
    const int limit = a.value(QStringLiteral("limit"), QStringLiteral("20")).toInt(&ok);
    if (!ok || limit < 0) throw UsageError(QStringLiteral("--limit needs a count"));
    RangeOptions r = prepareRange(a);
    const std::optional<QString> error = loadRange(r);
    const ChartHistory history(r.store.tabs);
    const TopOrder order = orders.value(by);
    const bool artists = order == TopOrder::ArtistNumber1 || order == TopOrder::ArtistWeeks;
    const QList<TopEntry> top = history.top(order, limit);
    if (a.flags.contains(QStringLiteral("json"))) {
        QJsonArray list;
        int position = 0;
        for (const TopEntry &e : top) {
            QJsonObject o{{QStringLiteral("position"), ++position},
                          {QStringLiteral("artist"), u(e.song.artist)}};
            if (!artists) o.insert(QStringLiteral("title"), u(e.song.title));
            o.insert(by == QStringLiteral("peak") ? QStringLiteral("peak_rank") : by.section(u'-', -1),
                     e.primary);
            if (order == TopOrder::Peak) o.insert(QStringLiteral("weeks"), e.secondary);
            list.append(o);
        }
        writeJson(QJsonObject{{QStringLiteral("by"), by}, {QStringLiteral("entries"), list}});
        return finishRange(error);
    }
    // position TAB value [TAB weeks] TAB title TAB artist (artists: no title)
    Lines out;
    int position = 0;
    for (const TopEntry &e : top) {
        QString line = QString::number(++position) + u'\t' + QString::number(e.primary);
        if (order == TopOrder::Peak) line += u'\t' + QString::number(e.secondary);
        if (!artists) line += u'\t' + u(e.song.title);
        out.raw(line + u'\t' + u(e.song.artist));
    }
    out.write(r.sjis);
    return finishRange(error);
}
