// vorq countdown: a week's chart in the order the player counts it down,
// written as a playlist for any player; the songs that cannot play are
// listed on stderr with the reason.
#include <unistd.h>
#include <QBuffer>
#include <cstdio>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/playlistoptions.h"
#include "cli/rangeoptions.h"
#include "core/player/playqueue.h"
#include "core/playlist/playlistwriter.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

// Stored texts come from chart pages: a control character would drive the
// terminal.
QString shown(QString text) {
    for (QChar &c : text) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F)) c = QChar(0xFFFD);
    }
    return text;
}

// The same for a whole playlist bound for a terminal, its line ends and TABs
// kept. Shift-JIS trail bytes are never below 0x40, so the byte test is safe
// for the path list too.
QByteArray forTerminal(const QByteArray &bytes, bool utf8) {
    if (utf8) {
        QString text = QString::fromUtf8(bytes);
        for (QChar &c : text) {
            const char16_t u = c.unicode();
            if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || (u >= 0x7F && u <= 0x9F))
                c = QChar(0xFFFD);
        }
        return text.toUtf8();
    }
    QByteArray out = bytes;
    for (char &c : out)
        if ((uchar(c) < 0x20 && c != '\t' && c != '\n' && c != '\r') || uchar(c) == 0x7F) c = '?';
    return out;
}

int topOption(const cli::Args &a) {
    if (!a.has(QStringLiteral("top"))) return 0;
    bool ok = false;
    const int n = a.value(QStringLiteral("top")).toInt(&ok);
    if (!ok || n < 1)
        throw cli::UsageError(QStringLiteral("--top needs a whole number of at least 1: %1")
                                  .arg(a.value(QStringLiteral("top"))));
    return n;
}

// The designed path list holds Shift-JIS paths: a path it cannot hold keeps
// the text as stored.
ResultList pathRows(const PlayQueue &q) {
    ResultList rows;
    for (const QueueEntry &e : q.entries) {
        ResultRow r;
        QByteArray path;
        r.text(ResultRow::File) = sjis::tryFromUnicode(e.path, &path) ? path : e.stored;
        rows.append(r);
    }
    return rows;
}

QList<PlaylistEntry> playlistEntries(const PlayQueue &q) {
    QList<PlaylistEntry> out;
    for (const QueueEntry &e : q.entries)
        out.append({e.path, sjis::toUnicode(e.title), sjis::toUnicode(e.artist), -1});
    return out;
}

}  // namespace

int cmdCountdown(const vorq::cli::Command &command, const QStringList &commandArgs) {
    QStringList args = commandArgs;
    const cli::PlaylistFormatOption format = cli::takePlaylistFormatOption(args);
    const cli::Args a = cli::parseArgs(args, command);
    if (!a.has(QStringLiteral("date"))) throw cli::UsageError(QStringLiteral("--date is required"));
    const bool toFile = a.has(QStringLiteral("output"));
    if (format.relative && !toFile) throw cli::UsageError(QStringLiteral("--relative goes with --output"));
    const CountdownOptions options{topOption(a), a.flags.contains(QStringLiteral("from-top"))};
    cli::RangeOptions r = cli::prepareRange(a);
    const QDate date = cli::parseDate(a.value(QStringLiteral("date")));
    const QByteArray label = dateLabel(date);
    r.store.fullLoad(label, label);
    const int tab = r.store.indexOfTag(dateTag(date));
    if (tab < 0) throw FileError(QStringLiteral("%1 のチャートがありません。").arg(sjis::toUnicode(label)));

    const PlayQueue q = countdownQueue(r.store.tabs.at(tab), options);
    for (const SkippedSong &s : q.skipped)
        cli::printError(QStringLiteral("再生できない曲\t%1\t%2\t%3\t%4\t%5")
                            .arg(shown(sjis::toUnicode(s.song.rank)), shown(sjis::toUnicode(s.song.title)),
                                 shown(sjis::toUnicode(s.song.artist)), skipReasonText(s.reason),
                                 shown(sjis::toUnicode(s.song.stored))));
    if (q.entries.isEmpty()) {
        cli::printError(
            QStringLiteral("vorq: %1 には再生できる曲がありません。").arg(sjis::toUnicode(label)));
        return 1;
    }

    // The form: --format, else the file's extension, else M3U8 for stdout.
    const QString output = a.value(QStringLiteral("output"));
    std::optional<PlaylistFormat> extended = !format.format.isEmpty() ? playlistFormatByName(format.format)
                                             : toFile                 ? playlistFormatForFileName(output)
                                                                      : std::optional(PlaylistFormat::M3u8);
    if (toFile) {
        PlaylistOptions o;
        o.relativePaths = format.relative;
        if (extended)
            saveExtendedPlaylist(output, *extended, playlistEntries(q), o);
        else
            savePathList(output, pathRows(q), q.entries.size());
        return cli::finishRange(std::nullopt);
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const bool written = extended ? writeExtendedPlaylist(&buffer, *extended, playlistEntries(q), {})
                                  : writePathList(&buffer, pathRows(q), q.entries.size());
    if (!written) throw FileError(QStringLiteral("プレイリストを書けません。"));
    cli::writeRaw(::isatty(STDOUT_FILENO) ? forTerminal(buffer.data(), extended.has_value()) : buffer.data());
    return cli::finishRange(std::nullopt);
}
