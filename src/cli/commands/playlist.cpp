// vorq playlist: one generation of the playlist maker over the full load of
// a range, printed or written as a playlist file.
#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/playlistoptions.h"
#include "cli/rangeoptions.h"
#include "cli/viewersettings.h"
#include "core/lists/listoutput.h"
#include "core/lists/resultlist.h"
#include "core/playlist/playlistmaker.h"
#include "core/playlist/playlistwriter.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

int intOption(const cli::Args &a, const QString &name, int fallback, int low, int high) {
    if (!a.has(name)) return fallback;
    bool ok = false;
    const int v = a.value(name).toInt(&ok);
    if (!ok || v < low || v > high)
        throw cli::UsageError(QStringLiteral("--%1 needs a whole number from %2 to %3: %4")
                                  .arg(name)
                                  .arg(low)
                                  .arg(high)
                                  .arg(a.value(name)));
    return v;
}

bool onOff(const cli::Args &a, const QString &name, bool fallback) {
    if (!a.has(name)) return fallback;
    const QString v = a.value(name);
    if (v == QLatin1String("on")) return true;
    if (v == QLatin1String("off")) return false;
    throw cli::UsageError(QStringLiteral("--%1 needs on or off: %2").arg(name, v));
}

PlaylistSettings settingsFrom(const cli::Args &a) {
    // The defaults are the playlist maker's controls as vorqview loads them.
    const cli::ViewerSettings v = cli::readViewerSettings();
    PlaylistSettings s;
    s.order = intOption(a, QStringLiteral("order"), v.playlistOrder, 0, 5);
    s.descending = v.playlistSorted == 1;
    if (a.has(QStringLiteral("direction"))) {
        const QString d = a.value(QStringLiteral("direction"));
        if (d != QLatin1String("down") && d != QLatin1String("up"))
            throw cli::UsageError(QStringLiteral("--direction needs down or up: %1").arg(d));
        s.descending = d == QLatin1String("down");
    }
    s.sortRate = intOption(a, QStringLiteral("rate"), v.playlistRate, 0, 100);
    s.takeAssociated = onOff(a, QStringLiteral("associated"), v.playlistAssociated);
    s.takeUnassociated = onOff(a, QStringLiteral("not-associated"), v.playlistNotAssociated);
    return s;
}

}  // namespace

int cmdPlaylist(const vorq::cli::Command &command, const QStringList &commandArgs) {
    QStringList args = commandArgs;
    const cli::PlaylistFormatOption playlistFormat = cli::takePlaylistFormatOption(args);
    const cli::Args a = cli::parseArgs(args, command);
    if (a.has(QStringLiteral("count")) && !a.has(QStringLiteral("m3u")))
        throw cli::UsageError(QStringLiteral("--count needs --m3u"));
    if (playlistFormat.given && !a.has(QStringLiteral("m3u")))
        throw cli::UsageError(QStringLiteral("--format and --relative go with --m3u"));
    const PlaylistSettings settings = settingsFrom(a);
    cli::RangeOptions r = cli::prepareRange(a);
    const std::optional<QString> loadError = cli::loadRange(r);

    // The first generation of a run: the random numbers start at state 0.
    PlaylistRandom random;
    const ResultList rows = generatePlaylist(r.store.tabs, settings, random).rows;

    if (a.has(QStringLiteral("m3u"))) {
        const qint64 count =
            intOption(a, QStringLiteral("count"), static_cast<int>(rows.size()), INT_MIN, INT_MAX);
        if (distinctFiles(rows).isEmpty()) {
            cli::printError(QStringLiteral("vorq: 関連付けされたファイルがありません。"));
            return 1;
        }
        // As the result window's "リスト保存" writes it: the designed path
        // list, or M3U8/XSPF by the name's extension or --format.
        saveResultPlaylist(a.value(QStringLiteral("m3u")), rows, count, playlistFormat.format,
                           playlistFormat.relative);
        return cli::finishRange(loadError);
    }

    QByteArray out;
    for (const ResultRow &row : rows) {
        for (int t = 0; t < 8; ++t) {
            out += row.text(t);
            out += t < 7 ? '\t' : '\n';
        }
        if (out.size() >= 64 * 1024) {
            cli::writeText(out, r.sjis);
            out.clear();
        }
    }
    cli::writeText(out, r.sjis);
    return cli::finishRange(loadError);
}
