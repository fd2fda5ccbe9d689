#include "cli/clihelp.h"

#include <QStringList>

namespace vorq::cli {

namespace {

struct HelpText {
    const char *name;
    const char *text;
};

// Kept beside the synopses in vorq_main.cpp and the man page vorq.1.
const HelpText kHelp[] = {
    {"dates",
     "Prints the date list of the range, one date label per line, newest first.\n"
     "  --data DIR       data folder (default: vorqview's)\n"
     "  --from D, --to D the range (default: vorqview's displayed range)\n"
     "  --hide-no-data   only the dates whose chart is loaded\n"
     "  --today DATE     the day taken as today\n"
     "  --sjis           write Shift-JIS instead of UTF-8\n"},
    {"load",
     "Prints every loaded row, newest date first:\n"
     "date label TAB rank TAB title TAB artist TAB associated file TAB open method.\n"
     "  --resolve        the file as the open command uses it: a full path, a \"\\\"-rooted\n"
     "                   path on the medium vorq runs from (nearest folder up with autorun.inf,\n"
     "                   else the mount point), web addresses as they are, empty when a path\n"
     "                   leaves the medium\n"
     "  --data DIR, --from D, --to D, --today DATE, --sjis as for dates\n"},
    {"detect",
     "Prints the Japanese encoding of FILE (standard input without FILE) as a code kind:\n"
     "0 undecided (also plain ASCII), 1 binary, 2 JIS, 3 JIS (1978), 4 EUC-JP, 5 Shift-JIS,\n"
     "6 EUC-JP or Shift-JIS.\n"},
    {"convert",
     "Converts FILE (or standard input) from any Japanese encoding to Shift-JIS,\n"
     "EUC-JP or JIS and writes the bytes to standard output.\n"
     "  --to sjis|euc|jis  the target encoding (default sjis)\n"},
    {"parse",
     "Reads a saved chart page and prints the grid of rows it finds, TAB-separated.\n"
     "  --skip TEXT  the text after which the chart starts (default \"<!-- / NO1 -->\")\n"
     "  --no-edit    keep the cells as found, without the clean-up\n"
     "  --sjis       write Shift-JIS instead of UTF-8\n"},
    {"fetch",
     "Fetches URL over HTTP and writes the response body to standard output.\n"
     "  --proxy HOST:PORT  go through an HTTP proxy\n"},
    {"import",
     "Imports every date of the range without a chart file from the chart site,\n"
     "newest first, with vorqview's settings for whatever is not given. One line per\n"
     "date goes to stderr: YYYY-MM-DD TAB bytes TAB outcome.\n"
     "  --data DIR, --from D, --to D, --today DATE as for dates\n"
     "  --url-template T   the page address pattern (yyyy, mm, dd...)\n"
     "  --proxy HOST:PORT  go through an HTTP proxy\n"},
    {"search",
     "Searches the loaded charts for songs whose artist and title contain the patterns\n"
     "(\"*\", the default, matches all; --exact compares whole texts; --fold compares after NFKC and\n"
     "case folding, so full-width letters find half-width ones) and prints the rows, or:\n"
     "  --save FILE      the song list as text (--columns date,number,title,artist,file,method)\n"
     "  --playlist FILE  a playlist of the rows' files, --count entries, repeating from the top;\n"
     "                   by FILE's extension: .m3u8 (UTF-8, extended), .xspf, else the classic\n"
     "                   Shift-JIS path list; --format m3u|m3u8|xspf chooses regardless of the name\n"
     "  --relative       paths relative to the playlist's folder (M3U8 and XSPF; other media stay absolute)\n"
     "  --pdf FILE       the printed list as PDF\n"},
    {"playlist",
     "Runs the playlist maker once over the loaded range, as the first generation after\n"
     "vorqview starts, and prints its rows in order: date label, rank, title, artist, file,\n"
     "open method, score, appearances, TAB-separated. The defaults are the maker's settings.\n"
     "  --data DIR, --from D, --to D, --today DATE, --sjis as for dates\n"
     "  --order 0-5          0 newest chart, 1 new songs weighted, 2 in between,\n"
     "                       3 ranking over the period, 4 appearances, 5 random\n"
     "  --direction down|up  down: higher scores first\n"
     "  --rate R             the sort rate in percent\n"
     "  --associated on|off, --not-associated on|off  which appearances count\n"
     "  --m3u FILE       a playlist of the rows' files instead, --count entries, repeating\n"
     "                   from the top; by FILE's extension: .m3u8 (UTF-8, extended), .xspf,\n"
     "                   else the classic Shift-JIS path list; --format m3u|m3u8|xspf chooses\n"
     "                   regardless of the name\n"
     "  --relative       paths relative to the playlist's folder (M3U8 and XSPF; other media stay "
     "absolute)\n"},
    {"list",
     "Prints or saves (--save FILE) the chart of one date as a song list; --columns as for search.\n"},
    {"print", "Prints the chart of one date as a song list into a PDF file; --columns as for search.\n"},
    {"scan",
     "Scans a music folder (recursively; hidden folders skipped, links not followed out of it) and\n"
     "prints the proposed file of each song of the range that owns none: score TAB sure TAB title\n"
     "TAB artist TAB file, best first. Tags are read through a cache in vorqview's settings folder.\n"
     "  --min-score S    proposals scoring at least S, 0 to 1 (default 0.8)\n"
     "  --apply          store the printed proposals on every loaded date of their songs, save file.idx\n"
     "  --cache FILE     another cache file\n"
     "  --json           [{title, artist, file, score, sure, tag_title, tag_artist}]\n"},
    {"wanted",
     "Prints the songs of the range without an existing associated file, by peak, then weeks on\n"
     "chart, then debut: peak TAB title TAB artist TAB weeks TAB debut date label.\n"
     "  --peak N         only songs that peaked at N or higher\n"
     "  --year Y         only songs that debuted in Y\n"
     "  --json           [{title, artist, peak, weeks, first}]\n"},
    {"completeness",
     "Prints per year the songs charted and owned, and the song-weeks charted and owned.\n"
     "  --json           [{year, songs, owned, weeks, weeks_owned}]\n"},
};

}  // namespace

QString commandHelp(const QString &name) {
    for (const HelpText &h : kHelp)
        if (name == QLatin1String(h.name)) return QString::fromUtf8(h.text);
    return QString();
}

bool asksForHelp(const QStringList &args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

}  // namespace vorq::cli
