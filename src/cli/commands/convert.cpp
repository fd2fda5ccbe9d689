// vorq detect / convert / parse: the encoding converter and the chart page
// parser on files or standard input.
#include <cstdio>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "core/import/chartpage.h"
#include "core/text/jconvert.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

QString inputName(const cli::Args &a) {
    if (a.positional.size() > 1) throw cli::UsageError(QStringLiteral("at most one FILE"));
    return a.positional.value(0);
}

}  // namespace

int cmdDetect(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    const QByteArray bytes = cli::readInput(inputName(a));
    cli::writeRaw(QByteArray::number(DetectCodeKind(bytes)) + '\n');
    return 0;
}

int cmdConvert(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    const QString to = a.value(QStringLiteral("to"), QStringLiteral("sjis"));
    int target;
    if (to == QLatin1String("sjis"))
        target = CodeSjis;
    else if (to == QLatin1String("euc"))
        target = CodeEuc;
    else if (to == QLatin1String("jis"))
        target = CodeJis;
    else
        throw cli::UsageError(QStringLiteral("--to takes sjis, euc or jis, not %1").arg(to));
    cli::writeRaw(ConvertJapanese(cli::readInput(inputName(a)), target));
    return 0;
}

int cmdParse(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    const QByteArray skip = a.values.contains(QStringLiteral("skip"))
                                ? sjis::fromUnicode(a.value(QStringLiteral("skip")))
                                : sjis::lit("<!-- / NO1 -->");
    const bool sjisOut = a.has(QStringLiteral("sjis"));
    const QByteArray page = HtmlFilePageText(cli::readInput(inputName(a)));
    ResultGrid grid;
    ParseChartPage(page, skip, !a.has(QStringLiteral("no-edit")), grid);

    // The grid's logical size can dwarf its stored cells on a hostile page
    // (one wide row, many short ones); printing it would never end.
    const qint64 cells = qint64(grid.columnCount()) * grid.rowCount();
    if (cells > 50'000'000)
        throw Error(QStringLiteral("the grid has %1 columns and %2 rows: too large to print")
                        .arg(grid.columnCount())
                        .arg(grid.rowCount()));
    for (int r = 0; r < grid.rowCount(); ++r) {
        cli::writeText(grid.row(r).join('\t') + '\n', sjisOut);
    }
    std::fflush(stdout);
    return 0;
}
