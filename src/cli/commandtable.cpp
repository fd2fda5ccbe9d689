#include "cli/commandtable.h"

#include <algorithm>

#include "cli/clicommon.h"

namespace vorq::cli {

namespace {

// The options most commands share, with one wording everywhere.
const Option kData{"data", "DIR", "the data folder (default: vorqview's)"};
const Option kFrom{"from", "D",
                   "the first broadcast date on or after D (default: vorqview's displayed range)"};
const Option kTo{"to", "D", "the last broadcast date on or before D (default: vorqview's displayed range)"};
const Option kToday{"today", "YYYY-MM-DD", "the day taken as today"};
const Option kSjis{"sjis", nullptr, "write Shift-JIS instead of UTF-8"};
const Option kColumns{"columns", "LIST", "the columns, a comma list of date,number,title,artist,file,method"};
const Option kFormat{"format", "m3u|m3u8|xspf", "the playlist form regardless of the file's extension"};
const Option kRelative{"relative", nullptr,
                       "paths relative to the playlist's folder (M3U8 and XSPF; other media stay absolute)"};
const Option kProxy{"proxy", "HOST:PORT", "go through an HTTP proxy"};
const Option kCaFile{"ca-file", "PEM", "trust the CA certificates of this file besides the system's"};

const std::vector<Command> kCommands = {
    {.name = "dates",
     .run = cmdDates,
     .description = "Prints the date list of the range, one date label per line, newest first.\n",
     .options = {kData,
                 kFrom,
                 kTo,
                 {"hide-no-data", nullptr, "only the dates whose chart is loaded"},
                 kToday,
                 kSjis}},
    {.name = "load",
     .run = cmdLoad,
     .description =
         "Prints every loaded row, newest date first:\n"
         "date label TAB rank TAB title TAB artist TAB associated file TAB open method.\n"
         "With --resolve the file is shown as the open command uses it: a full path, a\n"
         "\"\\\"-rooted path on the medium vorq runs from (nearest folder up with autorun.inf,\n"
         "else the mount point), web addresses as they are, empty when a path leaves the medium.\n",
     .options =
         {kData, kFrom, kTo, kToday, {"resolve", nullptr, "the file as the open command uses it"}, kSjis}},
    {.name = "detect",
     .run = cmdDetect,
     .description = "Prints the Japanese encoding of FILE (standard input without FILE) as a code kind:\n"
                    "0 undecided (also plain ASCII), 1 binary, 2 JIS, 3 JIS (1978), 4 EUC-JP, 5 Shift-JIS,\n"
                    "6 EUC-JP or Shift-JIS.\n",
     .options = {},
     .positional = "[FILE]"},
    {.name = "convert",
     .run = cmdConvert,
     .description = "Converts FILE (or standard input) from any Japanese encoding to Shift-JIS,\n"
                    "EUC-JP or JIS and writes the bytes to standard output.\n",
     .options = {{"to", "sjis|euc|jis", "the target encoding (default sjis)"}},
     .positional = "[FILE]"},
    {.name = "parse",
     .run = cmdParse,
     .description = "Reads a saved chart page (FILE or standard input) and prints the grid of rows\n"
                    "it finds, TAB-separated.\n",
     .options = {{"skip", "TEXT", "the text after which the chart starts (default \"<!-- / NO1 -->\")"},
                 {"no-edit", nullptr, "keep the cells as found, without the clean-up"},
                 kSjis},
     .positional = "[FILE]"},
    {.name = "fetch",
     .run = cmdFetch,
     .description = "Fetches URL over HTTP and writes the response body to standard output.\n",
     .options = {kProxy, kCaFile},
     .positional = "URL"},
    {.name = "import",
     .run = cmdImport,
     .description = "Imports every date of the range without a chart file from the chart site,\n"
                    "newest first, with vorqview's settings for whatever is not given. One line per\n"
                    "date goes to standard error: YYYY-MM-DD TAB bytes TAB outcome (imported, rejected,\n"
                    "failed, not-found-recorded, not-found, not-yet).\n"
                    "--missing runs to the newest broadcast week whatever range vorqview shows, as the\n"
                    "weekly timer (vorq-import.timer) does. --notify shows one desktop notification when\n"
                    "a week was imported: the newest week, its #1, how many songs entered its chart and\n"
                    "how many of them you do not own; clicking it opens vorqview on that week.\n",
     .options = {kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"url-template", "T", "the page address pattern (yyyy, mm, dd...)"},
                 kProxy,
                 {"delay", "S", "the pause between pages in seconds, decimals allowed (0 to 600)"},
                 {"retries", "N", "the retries of a failed fetch (0 to 10, default 3)"},
                 kCaFile,
                 {"missing", nullptr, "every missing week up to the newest (not with --to)"},
                 {"notify", nullptr, "a desktop notification when a week was imported"},
                 {"notify-wait", "S", "how long the notification can still open vorqview (default 600)"}}},
    {.name = "history",
     .run = cmdHistory,
     .description = "Prints the figures of a song (with --title) or of an artist over the loaded\n"
                    "range, one \"name: value\" line each, then the song's weeks (date label TAB rank)\n"
                    "or the artist's songs (title TAB peak TAB weeks TAB debut).\n",
     .options = {{"artist", "A", "the artist"},
                 {"title", "T", "the song's title; without it the artist's figures"},
                 kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"json", nullptr, "one JSON object with the same fields (dates as YYYY-MM-DD)"},
                 kSjis},
     .forms =
         {"--artist A [--title T] [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--json] [--sjis]"}},
    {.name = "top",
     .run = cmdTop,
     .description = "Prints the top list of the loaded range: position TAB value TAB title TAB artist\n"
                    "(for peak: position, peak, weeks, title, artist; for the artist lists: position,\n"
                    "value, artist); ties keep the order of the first appearance.\n"
                    "With --year or --decade (named by its first year) the year-end or decade chart: a\n"
                    "week's entry earns 101 minus its rank in points, at least 1, over the loaded weeks\n"
                    "of the span; ties go to the better peak, then more weeks, then the earlier first\n"
                    "week. Prints rank TAB points TAB peak TAB weeks TAB title TAB artist (no title by\n"
                    "artist), 100 places unless --limit says otherwise; --json prints objects with the\n"
                    "keys rank, title, artist, points, peak and weeks. Only the span is loaded unless\n"
                    "--from or --to is given.\n",
     .options =
         {{"by", "ORDER",
           "weeks (default), number1, peak, artist-number1, artist-weeks; by year: song (default), artist"},
          {"limit", "N", "the number of places (default 20, with --year or --decade 100)"},
          {"year", "YYYY", "the year-end chart of that year"},
          {"decade", "YYYY", "the chart of the decade starting with that year"},
          kData,
          kFrom,
          kTo,
          kToday,
          {"json", nullptr, "JSON instead"},
          kSjis},
     .forms =
         {"[--by weeks|number1|peak|artist-number1|artist-weeks] [--limit N] [--data DIR] [--from D] "
          "[--to D] [--today YYYY-MM-DD] [--json] [--sjis]",
          "(--year YYYY | --decade YYYY) [--by song|artist] [--limit N] [--data DIR] [--from D] [--to D] "
          "[--today YYYY-MM-DD] [--json] [--sjis]"}},
    {.name = "associate",
     .run = cmdAssociate,
     .description = "--auto runs the automatic association update over the loaded range: drops files\n"
                    "that no longer exist, copies each song's file to its other dates and, with\n"
                    "auto-add, looks for the pattern's name (%a the artist, %t the title) in the folder.\n"
                    "--date and --rank set or clear one row's file. Both save file.idx as vorqview\n"
                    "does and print one line per changed row: date label TAB rank TAB title TAB artist\n"
                    "TAB old file TAB new file.\n",
     .options = {{"auto", nullptr, "the automatic update"},
                 kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"pattern", "P", "the file name pattern (default: vorqview's)"},
                 {"folder", "DIR", "the music folder (default: vorqview's)"},
                 {"auto-add", "on|off", "look for the pattern's file (default: vorqview's)"},
                 {"date", "D", "the date of the row to set"},
                 {"rank", "R", "the rank of the row to set"},
                 {"file", "PATH", "the file to associate"},
                 {"clear", nullptr, "clear the row's file instead"},
                 {"same-song", "all|this", "all: every row of the same song (default this)"},
                 kSjis},
     .forms = {"--auto [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--pattern P] [--folder DIR] "
               "[--auto-add on|off] [--sjis]",
               "--date D --rank R (--file PATH | --clear) [--same-song all|this] [--data DIR] [--from D] "
               "[--to D] [--today YYYY-MM-DD] [--sjis]"}},
    {.name = "backups",
     .run = cmdBackups,
     .description = "Lists the versions of file.idx kept in the data folder's backup/ folder, newest\n"
                    "first: name TAB time TAB lines. Every save keeps the file.idx it replaces there (the\n"
                    "newest 20 and the newest of each of the last 30 days). --restore puts one back as\n"
                    "file.idx, keeping the current one too. --json prints objects with the keys name,\n"
                    "time, lines, bytes.\n",
     .options = {kData,
                 {"restore", "NAME", "put this version back as file.idx"},
                 {"json", nullptr, "JSON instead"}},
     .forms = {"[--data DIR] [--json]", "--restore NAME [--data DIR]"}},
    {.name = "cdr",
     .run = cmdCdr,
     .description = "Stages below DIR what the CD-R wizard's finish writes for the same choices: the\n"
                    "program, the charts of the range, the associations and their files. REL is a\n"
                    "\"/\"-separated folder below the root. Existing target files are refused unless\n"
                    "--overwrite. Prints the four sizes in KiB and the summary colour.\n",
     .options = {{"root", "DIR", "the folder to stage into"},
                 {"program-folder", "REL", "where the program goes (default: the root)"},
                 {"assoc-folder", "REL", "where the associated files go (default: the root)"},
                 {"from", "D", "the first data date on or after D (default: all)"},
                 {"to", "D", "the last data date on or before D (default: all)"},
                 {"list", "FILE", "keep the associated files a list file names"},
                 {"filter-folder", "DIR", "keep the associated files whose names are files of DIR"},
                 {"add", "FILE", "one more file to copy, not associated (repeatable)"},
                 {"remove", "NAME", "drop a listed file by name (repeatable)"},
                 {"program", "FILE", "the program to copy (default: the vorqview beside vorq)"},
                 {"overwrite", nullptr, "replace existing target files"},
                 kData,
                 kToday},
     .forms = {"--root DIR [--program-folder REL] [--assoc-folder REL] [--from D] [--to D] "
               "[--list FILE | --filter-folder DIR] [--add FILE]... [--remove NAME]... [--program FILE] "
               "[--overwrite] [--data DIR] [--today YYYY-MM-DD]"}},
    {.name = "playlist",
     .run = cmdPlaylist,
     .description = "Runs the playlist maker once over the loaded range, as the first generation after\n"
                    "vorqview starts, and prints its rows in order: date label, rank, title, artist, file,\n"
                    "open method, score, appearances, TAB-separated. The defaults are the maker's settings.\n"
                    "With --m3u it writes the rows' files as a playlist instead, --count entries,\n"
                    "repeating from the top; by FILE's extension: .m3u8 (UTF-8, extended), .xspf, else\n"
                    "the classic Shift-JIS path list.\n",
     .options = {kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"order", "0-5",
                  "0 newest chart, 1 new songs weighted, 2 in between, 3 ranking over the period, "
                  "4 appearances, 5 random"},
                 {"direction", "down|up", "down: higher scores first"},
                 {"rate", "R", "the sort rate in percent"},
                 {"associated", "on|off", "whether appearances with a file count"},
                 {"not-associated", "on|off", "whether appearances without a file count"},
                 kSjis,
                 {"m3u", "FILE", "write a playlist of the rows' files"},
                 {"count", "N", "the playlist's entries (default: the rows)"},
                 kFormat,
                 kRelative},
     .forms = {"[--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--order 0-5] [--direction down|up] "
               "[--rate R] [--associated on|off] [--not-associated on|off] [--sjis] "
               "[--m3u FILE [--count N] [--format m3u|m3u8|xspf] [--relative]]"}},
    {.name = "countdown",
     .run = cmdCountdown,
     .description = "Writes the chart of one date as the player counts it down, the lowest rank first up to\n"
                    "#1 (--from-top: #1 first; --top N: ranks 1 to N only), as a playlist of the files that\n"
                    "play: M3U8 on standard output, or into FILE by its extension (.m3u8, .xspf, else the\n"
                    "classic Shift-JIS path list) unless --format names the form. Every song without a file\n"
                    "that plays (none, missing, a web address, a folder...) is listed on standard error,\n"
                    "one line each, TAB-separated: a header, rank, title, artist, the reason, the file.\n",
     .options = {{"date", "D", "the week"},
                 {"top", "N", "only ranks 1 to N"},
                 {"from-top", nullptr, "#1 first, then down the chart"},
                 kFormat,
                 {"output", "FILE", "write the playlist into FILE"},
                 kRelative,
                 kData,
                 kToday},
     .forms = {"--date D [--top N] [--from-top] [--format m3u8|xspf|m3u] [--output FILE [--relative]] "
               "[--data DIR] [--today YYYY-MM-DD]"}},
    {.name = "search",
     .run = cmdSearch,
     .description = "Searches the loaded charts for songs whose artist and title contain the patterns\n"
                    "(\"*\", the default, matches all; --exact compares whole texts; --fold compares after\n"
                    "NFKC and case folding, so full-width letters find half-width ones) and prints the\n"
                    "rows, or writes what the result window's save, playlist and print write. A playlist\n"
                    "takes its form from FILE's extension: .m3u8 (UTF-8, extended), .xspf, else the\n"
                    "classic Shift-JIS path list.\n",
     .options = {kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"artist", "P", "the artist pattern"},
                 {"title", "P", "the title pattern"},
                 {"exact", nullptr, "compare whole texts"},
                 {"fold", nullptr, "compare after NFKC and case folding"},
                 {"header", nullptr, "print the result window's header and an empty line first"},
                 kSjis,
                 {"save", "FILE", "the song list as text"},
                 {"count", "N", "the rows saved, or the playlist's entries repeating from the top"},
                 kColumns,
                 {"playlist", "FILE", "a playlist of the rows' files"},
                 kFormat,
                 kRelative,
                 {"pdf", "FILE", "the printed list as PDF"}},
     .forms = {"[--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--artist P] [--title P] [--exact] "
               "[--fold] [--header] [--sjis] [--save FILE [--count N] [--columns LIST] | --playlist FILE "
               "[--count N] [--format m3u|m3u8|xspf] [--relative] | --pdf FILE [--columns LIST]]"}},
    {.name = "list",
     .run = cmdList,
     .description = "Prints or saves (--save FILE) the chart of one date as a song list.\n",
     .options = {{"date", "D", "the date"},
                 kData,
                 kToday,
                 {"save", "FILE", "save the list into FILE"},
                 kColumns,
                 kSjis},
     .forms = {"--date D [--data DIR] [--today YYYY-MM-DD] [--save FILE] [--columns LIST] [--sjis]"}},
    {.name = "print",
     .run = cmdPrint,
     .description = "Prints the chart of one date as a song list into a PDF file.\n",
     .options =
         {{"date", "D", "the date"}, {"pdf", "FILE", "the PDF file to write"}, kData, kToday, kColumns},
     .forms = {"--date D --pdf FILE [--data DIR] [--today YYYY-MM-DD] [--columns LIST]"}},
    {.name = "scan",
     .run = cmdScan,
     .description =
         "Scans a music folder (recursively; hidden folders skipped, links not followed out of it) and\n"
         "prints the proposed file of each song of the range that owns none: score TAB sure TAB title\n"
         "TAB artist TAB file TAB note (another version, another artist... with its marker), best first.\n"
         "The music files left out (empty, unreadable, no audio, a name Shift-JIS cannot hold, a link\n"
         "out of the folder) are listed on stderr with their reason. Tags are read through a cache in\n"
         "vorqview's settings folder. --json prints {\"proposals\": [objects with the keys title, artist,\n"
         "file, score, sure, note, marker, tag_title, tag_artist], \"left_out\": [{file, reason}]}.\n",
     .options = {{"folder", "DIR", "the music folder"},
                 {"min-score", "S", "proposals scoring at least S, 0 to 1 (default 0.8, as vorqview's)"},
                 {"apply", nullptr,
                  "store the best printed proposal of each song on every loaded date of it, save file.idx"},
                 {"cache", "FILE", "another tag cache file"},
                 kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"json", nullptr, "JSON instead"},
                 kSjis},
     .forms = {"--folder DIR [--min-score S] [--apply] [--cache FILE] [--data DIR] [--from D] [--to D] "
               "[--today YYYY-MM-DD] [--json] [--sjis]"}},
    {.name = "wanted",
     .run = cmdWanted,
     .description =
         "Prints the songs of the range without an existing associated file, by peak, then weeks on\n"
         "chart, then debut: peak TAB title TAB artist TAB weeks TAB debut date label. With --folder,\n"
         "a last field names the file a song's only candidate there was, left out, and why.\n"
         "--json prints objects with the keys title, artist, peak, weeks, first (and left_out).\n",
     .options = {{"peak", "N", "only songs that peaked at N or higher"},
                 {"year", "Y", "only songs that debuted in Y"},
                 {"folder", "DIR", "the music folder whose left-out files to name"},
                 {"cache", "FILE", "another tag cache file"},
                 kData,
                 kFrom,
                 kTo,
                 kToday,
                 {"json", nullptr, "JSON instead"},
                 kSjis}},
    {.name = "completeness",
     .run = cmdCompleteness,
     .description = "Prints per year the songs charted and owned, and the song-weeks charted and owned.\n"
                    "--json prints objects with the keys year, songs, owned, weeks, weeks_owned.\n",
     .options = {kData, kFrom, kTo, kToday, {"json", nullptr, "JSON instead"}, kSjis}},
};

QString optionText(const Option &o) {
    QString s = QStringLiteral("--") + QLatin1String(o.name);
    if (o.arg) s += QLatin1Char(' ') + QLatin1String(o.arg);
    return s;
}

// A synopsis wrapped below 100 columns at spaces outside brackets, the
// continuation lines indented under the first option.
QString wrapped(const QString &prefix, const QString &synopsis, qsizetype indent) {
    QStringList parts;
    int depth = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= synopsis.size(); ++i) {
        const QChar c = i < synopsis.size() ? synopsis.at(i) : QChar(u' ');
        if (c == u'[' || c == u'(') ++depth;
        if (c == u']' || c == u')') --depth;
        // A long alternative may break before its "|".
        const bool beforeBar = depth == 1 && i + 1 < synopsis.size() && synopsis.at(i + 1) == u'|';
        if (c == u' ' && (depth == 0 || beforeBar)) {
            if (i > start) parts << synopsis.mid(start, i - start);
            start = i + 1;
        }
    }
    QString out = prefix, line = prefix;
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const bool first = i == 0;
        if (!first && line.size() + 1 + parts.at(i).size() > 100) {
            out += QLatin1Char('\n') + QString(indent, u' ');
            line = QString(indent, u' ');
        } else if (!first) {
            out += QLatin1Char(' ');
            line += QLatin1Char(' ');
        }
        out += parts.at(i);
        line += parts.at(i);
    }
    return out + QLatin1Char('\n');
}

QString usageLines(const Command &c, const QString &firstPrefix, const QString &nextPrefix) {
    QString out;
    const QStringList forms = synopses(c);
    for (qsizetype i = 0; i < forms.size(); ++i) {
        const QString &prefix = i == 0 ? firstPrefix : nextPrefix;
        out += wrapped(prefix, forms.at(i), prefix.size() + qstrlen(c.name) + 1);
    }
    return out;
}

// Roff text: backslashes and hyphens escaped, no line taken for a request.
QString roffText(const QString &text) {
    QString out;
    for (const QChar c : text) {
        if (c == u'\\')
            out += QStringLiteral("\\e");
        else if (c == u'-')
            out += QStringLiteral("\\-");
        else
            out += c;
    }
    if (out.startsWith(u'.') || out.startsWith(u'\'')) out.prepend(QStringLiteral("\\&"));
    return out;
}

// Roff text whose options and comma lists are never hyphenated ("\%"
// before the word).
QString roffProse(const QString &text) {
    QStringList words = roffText(text).split(u' ');
    for (QString &w : words)
        if (w.startsWith(QLatin1String("\\-")) || w.contains(u',')) w.prepend(QStringLiteral("\\%"));
    return words.join(u' ');
}

// A synopsis in roff: options bold, placeholders such as DIR or YYYY-MM-DD
// italic, the rest roman; no word hyphenated.
QString roffSynopsis(const QString &text) {
    QString out;
    for (qsizetype i = 0; i < text.size();) {
        if (text.at(i) != u' ' && (i == 0 || text.at(i - 1) == u' ')) out += QStringLiteral("\\%");
        const bool wordStart = i == 0 || !text.at(i - 1).isLetterOrNumber();
        qsizetype end = i;
        if (text.mid(i, 2) == QLatin1String("--") && wordStart) {
            end = i + 2;
            while (end < text.size() &&
                   (text.at(end).isLower() || text.at(end).isDigit() || text.at(end) == u'-'))
                ++end;
            out += QStringLiteral("\\fB") + roffText(text.mid(i, end - i)) + QStringLiteral("\\fR");
        } else if (text.at(i).isUpper() && wordStart) {
            while (end < text.size() && (text.at(end).isUpper() || text.at(end).isDigit() ||
                                         text.at(end) == u':' || text.at(end) == u'-'))
                ++end;
            out += QStringLiteral("\\fI") + roffText(text.mid(i, end - i)) + QStringLiteral("\\fR");
        } else {
            end = i + 1;
            out += roffText(text.mid(i, 1));
        }
        i = end;
    }
    return out;
}

}  // namespace

const std::vector<Command> &commands() { return kCommands; }

const Command *findCommand(const QString &name) {
    const auto it = std::find_if(kCommands.begin(), kCommands.end(),
                                 [&](const Command &c) { return name == QLatin1String(c.name); });
    return it == kCommands.end() ? nullptr : &*it;
}

QStringList synopses(const Command &c) {
    const QString name = QLatin1String(c.name);
    QStringList out;
    for (const char *form : c.forms) out << name + QLatin1Char(' ') + QLatin1String(form);
    if (!out.isEmpty()) return out;
    QString built = name;
    for (const Option &o : c.options) built += QStringLiteral(" [") + optionText(o) + QLatin1Char(']');
    if (*c.positional) built += QLatin1Char(' ') + QLatin1String(c.positional);
    return {built};
}

QString usageText() {
    QString out = QStringLiteral("usage: vorq COMMAND [OPTIONS]\n\ncommands:\n");
    for (const Command &c : kCommands)
        out += usageLines(c, QStringLiteral("  vorq "), QStringLiteral("  vorq "));
    out += QStringLiteral(
        "\nD is a date label (yyyy年mm月dd日) or YYYY-MM-DD. Text output is UTF-8 unless --sjis.\n"
        "vorq COMMAND --help describes a command; vorq --version prints the version.\n");
    return out;
}

QString commandUsage(const Command &c) {
    QString out = usageLines(c, QStringLiteral("usage: vorq "), QStringLiteral("       vorq "));
    out += QLatin1Char('\n') + QString::fromUtf8(c.description);
    qsizetype width = 0;
    for (const Option &o : c.options) width = std::max(width, optionText(o).size());
    width = std::min<qsizetype>(width, 24);
    for (const Option &o : c.options)
        out += QStringLiteral("  ") + optionText(o).leftJustified(width) + QStringLiteral("  ") +
               QString::fromUtf8(o.help) + QLatin1Char('\n');
    return out;
}

QString manCommands() {
    // Ragged right: long synopses and comma lists spread a justified line.
    QString out = QStringLiteral(".ad l\n");
    for (const Command &c : kCommands) {
        out += QStringLiteral(".SS ") + QLatin1String(c.name) + QLatin1Char('\n');
        const QStringList forms = synopses(c);
        for (qsizetype i = 0; i < forms.size(); ++i) {
            if (i > 0) out += QStringLiteral(".br\n");
            const QString &form = forms.at(i);
            const qsizetype space = form.indexOf(u' ');
            out += QStringLiteral("\\fBvorq ") + QLatin1String(c.name) + QStringLiteral("\\fR") +
                   (space < 0 ? QString() : roffSynopsis(form.mid(space))) + QLatin1Char('\n');
        }
        out += QStringLiteral(".PP\n");
        for (const QString &line : QString::fromUtf8(c.description).split(u'\n', Qt::SkipEmptyParts))
            out += roffProse(line) + QLatin1Char('\n');
        for (const Option &o : c.options)
            out += QStringLiteral(".TP\n") + roffSynopsis(optionText(o)) + QLatin1Char('\n') +
                   roffProse(QString::fromUtf8(o.help)) + QLatin1Char('\n');
    }
    return out + QStringLiteral(".ad\n");
}

bool asksForHelp(const QStringList &args) {
    return args.contains(QLatin1String("--help")) || args.contains(QLatin1String("-h"));
}

}  // namespace vorq::cli
