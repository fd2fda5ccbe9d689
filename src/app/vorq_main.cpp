// vorq: the headless tool over the same core as vorqview, for scripts and cron.
#include <QCoreApplication>
#include <cstdio>

#include "clicommon.h"
#include "sjistext.h"

namespace {

struct Command {
    const char *name;
    int (*run)(const QStringList &);
    const char *synopsis;
};

const Command kCommands[] = {
    {"dates", cmdDates,
     "dates [--data DIR] [--from D] [--to D] [--hide-no-data] [--today YYYY-MM-DD] [--sjis]"},
    {"load", cmdLoad, "load [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--sjis]"},
    {"detect", cmdDetect, "detect [FILE]"},
    {"convert", cmdConvert, "convert [--to sjis|euc|jis] [FILE]"},
    {"parse", cmdParse, "parse [--skip TEXT] [--no-edit] [--sjis] [FILE]"},
    {"fetch", cmdFetch, "fetch [--proxy HOST:PORT] [--ca-file PEM] URL"},
    {"import", cmdImport,
     "import [--data DIR] [--from D] [--to D] [--today YYYY-MM-DD] [--url-template T] [--proxy HOST:PORT]\n"
     "       [--delay S] [--retries N] [--ca-file PEM]"},
};

void usage(FILE *to) {
    std::fprintf(to, "usage: vorq COMMAND [OPTIONS]\n\ncommands:\n");
    for (const Command &c : kCommands) std::fprintf(to, "  vorq %s\n", c.synopsis);
    std::fprintf(to,
                 "\nD is a date label (yyyy年mm月dd日) or YYYY-MM-DD. Text output is UTF-8 unless --sjis.\n");
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        usage(args.isEmpty() ? stderr : stdout);
        return args.isEmpty() ? 2 : 0;
    }
    try {
        vorq::sjis::ensureCodec();
        const QString name = args.takeFirst();
        for (const Command &c : kCommands)
            if (name == QLatin1String(c.name)) return c.run(args);
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
