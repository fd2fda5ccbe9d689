#include "cli/run.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

namespace vorq::cli {

namespace {

void print(FILE *to, const QString &text) {
    const QByteArray utf8 = text.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), to);
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

int run(int argc, char **argv) {
    std::unique_ptr<QCoreApplication> app;
    if (needsFonts(argc, argv)) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        print(args.isEmpty() ? stderr : stdout, usageText());
        return args.isEmpty() ? 2 : 0;
    }
    if (args.first() == QLatin1String("--version")) {
        std::printf("vorq %s\n", VORQ_VERSION);
        return 0;
    }
    // Not listed: the build writes the manual page's command section with it.
    if (args.first() == QLatin1String("--man-commands")) {
        print(stdout, manCommands());
        return 0;
    }
    try {
        sjis::ensureCodec();
        const QString name = args.takeFirst();
        if (const Command *c = findCommand(name)) {
            if (asksForHelp(args)) {
                print(stdout, commandUsage(*c));
                return 0;
            }
            return c->run(*c, args);
        }
        printError(QStringLiteral("vorq: unknown command %1").arg(name));
        print(stderr, usageText());
        return 2;
    } catch (const UsageError &e) {
        printError(QStringLiteral("vorq: ") + e.message());
        return 2;
    } catch (const DataFolderBusyError &e) {
        // Its own status: a cron job can tell "try again later" from a failure.
        printError(QStringLiteral("vorq: ") + e.message());
        return 4;
    } catch (const Error &e) {
        printError(QStringLiteral("vorq: ") + e.message());
        return 1;
    } catch (const std::bad_alloc &) {
        // A request too large for memory is a failure to report, not a crash.
        printError(QStringLiteral("vorq: メモリが足りません。"));
        return 1;
    }
}

}  // namespace vorq::cli
