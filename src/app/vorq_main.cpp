// vorq: the headless tool over the same core as vorqview, for scripts and cron.
#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>

#include "cli/clicommon.h"
#include "cli/clihelp.h"
#include "core/text/sjistext.h"

namespace {

struct Command {
    const char *name;
    int (*run)(const QStringList &);
    const char *synopsis;
};

const Command kCommands[] = {
    {"dates", cmdDates,
     "dates [--data DIR] [--from D] [--to D] [--hide-no-data] [--today YYYY-MM-DD] [--sjis]"},
    {"load", cmdLoad, "load [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--resolve] [--sjis]"},
    {"detect", cmdDetect, "detect [FILE]"},
    {"convert", cmdConvert, "convert [--to sjis|euc|jis] [FILE]"},
    {"parse", cmdParse, "parse [--skip TEXT] [--no-edit] [--sjis] [FILE]"},
    {"fetch", cmdFetch, "fetch [--proxy HOST:PORT] [--ca-file PEM] URL"},
    {"import", cmdImport,
     "import [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--url-template T] [--proxy HOST:PORT]\n"
     "       [--delay S] [--retries N] [--ca-file PEM]"},
    {"history", cmdHistory,
     "history --artist A [--title T] [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--json] "
     "[--sjis]"},
    {"top", cmdTop,
     "top [--by weeks|number1|peak|artist-number1|artist-weeks] [--limit N] [--data DIR] [--from D] [--to D] "
     "[--json] [--sjis]\n"
     "  vorq top (--year YYYY | --decade YYYY) [--by song|artist] [--limit N] [--data DIR] [--from D] [--to "
     "D] "
     "[--json] [--sjis]"},
    {"associate", cmdAssociate,
     "associate --auto [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--pattern P] [--folder DIR] "
     "[--auto-add on|off] [--sjis]\n"
     "  vorq associate --date D --rank R (--file PATH | --clear) [--same-song all|this] [--data DIR] "
     "[--sjis]"},
    {"cdr", cmdCdr,
     "cdr --root DIR [--program-folder REL] [--assoc-folder REL] [--from D] [--to D]\n"
     "           [--list FILE | --filter-folder DIR] [--add FILE]... [--remove NAME]...\n"
     "           [--program FILE] [--overwrite] [--data DIR] [--today YYYY-MM-DD]"},
    {"playlist", cmdPlaylist,
     "playlist [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--order 0-5] [--direction down|up]\n"
     "                [--rate R] [--associated on|off] [--not-associated on|off] [--sjis]\n"
     "                [--m3u FILE [--count N] [--format m3u|m3u8|xspf] [--relative]]"},
    {"search", cmdSearch,
     "search [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--artist P] [--title P] [--exact] "
     "[--fold]\n"
     "              [--header] [--sjis] | --save FILE [--count N] [--columns LIST] | --playlist FILE "
     "[--count N]\n"
     "              [--format m3u|m3u8|xspf] [--relative]\n"
     "              | --pdf FILE [--columns LIST]"},
    {"list", cmdList, "list --date D [--data DIR] [--save FILE] [--columns LIST] [--sjis]"},
    {"print", cmdPrint, "print --date D --pdf FILE [--data DIR] [--columns LIST]"},
    {"scan", cmdScan,
     "scan --folder DIR [--min-score S] [--json] [--apply] [--cache FILE] [--data DIR] [--from D] [--to D] "
     "[--sjis]"},
    {"wanted", cmdWanted, "wanted [--from D --to D] [--peak N] [--year Y] [--data DIR] [--json] [--sjis]"},
    {"completeness", cmdCompleteness, "completeness [--data DIR] [--from D] [--to D] [--json] [--sjis]"},
};

void usage(FILE *to) {
    std::fprintf(to, "usage: vorq COMMAND [OPTIONS]\n\ncommands:\n");
    for (const Command &c : kCommands) std::fprintf(to, "  vorq %s\n", c.synopsis);
    std::fprintf(to,
                 "\nD is a date label (yyyy年mm月dd日) or YYYY-MM-DD. Text output is UTF-8 unless --sjis.\n"
                 "vorq COMMAND --help describes a command; vorq --version prints the version.\n");
}

void commandUsage(const Command &c) {
    std::printf("usage: vorq %s\n\n%s", c.synopsis,
                vorq::cli::commandHelp(QLatin1String(c.name)).toUtf8().constData());
}

// Printing needs fonts, so those commands run a GUI application without a
// screen.
bool needsFonts(int argc, char **argv) {
    if (argc < 2) return false;
    if (std::strcmp(argv[1], "print") == 0) return true;
    for (int i = 2; i < argc; ++i)
        if (std::strcmp(argv[i], "--pdf") == 0 || std::strncmp(argv[i], "--pdf=", 6) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char **argv) {
    std::unique_ptr<QCoreApplication> app;
    if (needsFonts(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        usage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        std::printf("vorq %s\n", VORQ_VERSION);
        return 0;
    }
    try {
        vorq::sjis::ensureCodec();
        const QString name = args.takeFirst();
        for (const Command &c : kCommands)
            if (name == QLatin1String(c.name)) {
                if (vorq::cli::asksForHelp(args)) {
                    commandUsage(c);
                    return 0;
                }
                return c.run(args);
            }
        vorq::cli::printError(QStringLiteral("vorq: unknown command %1").arg(name));
        usage(stderr);
        return 2;
    } catch (const vorq::cli::UsageError &e) {
        vorq::cli::printError(QStringLiteral("vorq: ") + e.message());
        return 2;
    } catch (const vorq::Error &e) {
        vorq::cli::printError(QStringLiteral("vorq: ") + e.message());
        return 1;
    }
}
