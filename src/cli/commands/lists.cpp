// vorq search / list / print: the search, the list save and the list print
// of the viewer, for scripts. Files are written as the viewer writes them.
#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryFile>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/playlistoptions.h"
#include "cli/rangeoptions.h"
#include "cli/viewersettings.h"
#include "core/lists/listoutput.h"
#include "core/lists/search.h"
#include "core/playlist/playlistwriter.h"
#include "core/text/sjistext.h"
#include "print/listprinting.h"

using namespace vorq;

namespace {

OutputChoice columnsOption(const cli::Args &a) {
    if (!a.has(QStringLiteral("columns"))) return cli::readViewerSettings().outputList;
    OutputChoice c;
    if (!parseOutputColumns(a.value(QStringLiteral("columns")), &c))
        throw cli::UsageError(
            QStringLiteral("--columns takes a comma list of date,number,title,artist,file,method"));
    return c;
}

qint64 countOption(const cli::Args &a, qint64 fallback) {
    if (!a.has(QStringLiteral("count"))) return fallback;
    bool ok = false;
    const qint64 n = a.value(QStringLiteral("count")).toLongLong(&ok);
    if (!ok) throw cli::UsageError(QStringLiteral("--count needs an integer"));
    return n;
}

QByteArray patternOption(const cli::Args &a, const QString &name) {
    return sjis::fromUnicode(a.value(name, QStringLiteral("*")));
}

// The PDF goes to a temporary file beside the target and replaces it only
// when complete, so a failed print leaves no half-written file.
int printToPdf(const QString &target, const PrintLayout &layout, const ListRows &rows) {
    const QFileInfo info(target);
    QTemporaryFile tmp(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                       QStringLiteral(".XXXXXX"));
    if (!tmp.open())
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2").arg(target, tmp.errorString()));
    tmp.close();
    int pages = 0;
    {
        QPrinter printer;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setOutputFileName(tmp.fileName());
        pages = printList(&printer, layout, rows);
    }
    if (QFileInfo(tmp.fileName()).size() == 0)
        throw FileError(QStringLiteral("ファイル %1 に書き込めません。").arg(target));
    if (std::rename(QFile::encodeName(tmp.fileName()).constData(), QFile::encodeName(target).constData()) !=
        0)
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2")
                            .arg(target, QString::fromLocal8Bit(std::strerror(errno))));
    tmp.setAutoRemove(false);
    return pages;
}

void nothingToDo(const QString &what) { cli::printError(QStringLiteral("vorq: ") + what); }

}  // namespace

int cmdSearch(const vorq::cli::Command &command, const QStringList &commandArgs) {
    QStringList args = commandArgs;
    const cli::PlaylistFormatOption playlistFormat = cli::takePlaylistFormatOption(args);
    const cli::Args a = cli::parseArgs(args, command);
    const int outputs = int(a.has(QStringLiteral("save"))) + int(a.has(QStringLiteral("playlist"))) +
                        int(a.has(QStringLiteral("pdf")));
    if (outputs > 1) throw cli::UsageError(QStringLiteral("--save, --playlist and --pdf exclude each other"));
    if (playlistFormat.given && !a.has(QStringLiteral("playlist")))
        throw cli::UsageError(QStringLiteral("--format and --relative go with --playlist"));
    const QByteArray artist = patternOption(a, QStringLiteral("artist"));
    const QByteArray title = patternOption(a, QStringLiteral("title"));
    const bool exact = a.flags.contains(QStringLiteral("exact"));
    cli::RangeOptions r = cli::prepareRange(a);
    const std::optional<QString> error = cli::loadRange(r);
    SearchResult found =
        searchCharts(r.store.tabs, nullptr, artist, exact, title, a.flags.contains(QStringLiteral("fold")));
    const ResultList &rows = found.rows;

    if (a.has(QStringLiteral("save"))) {
        const qint64 n = countOption(a, rows.size());
        if (!saveList(a.value(QStringLiteral("save")), resultCaptions(), ResultRows(rows), columnsOption(a),
                      n))
            nothingToDo(QStringLiteral("nothing to save (no rows or no columns)"));
        return cli::finishRange(error);
    }
    if (a.has(QStringLiteral("playlist"))) {
        if (distinctFiles(rows).isEmpty())
            throw FileError(QStringLiteral("関連付けされたファイルがありません。"));
        saveResultPlaylist(a.value(QStringLiteral("playlist")), rows, countOption(a, rows.size()),
                           playlistFormat.format, playlistFormat.relative);
        return cli::finishRange(error);
    }
    if (a.has(QStringLiteral("pdf"))) {
        const ResultRows list(rows);
        const PrintLayout layout(resultCaptions(), list, columnsOption(a), rows.size());
        if (rows.isEmpty() || layout.isEmpty())
            nothingToDo(QStringLiteral("nothing to print (no rows or no columns)"));
        else
            printToPdf(a.value(QStringLiteral("pdf")), layout, list);
        return cli::finishRange(error);
    }
    QByteArray out;
    if (a.flags.contains(QStringLiteral("header"))) out += found.header.replace("\r\n", "\n") + "\n\n";
    for (const ResultRow &row : rows) {
        for (int i = 0; i < ResultRow::TextCount; ++i) {
            if (i) out += '\t';
            out += row.text(i);
        }
        out += '\n';
        if (out.size() > (1 << 16)) {
            cli::writeText(out, r.sjis);
            out.clear();
        }
    }
    cli::writeText(out, r.sjis);
    return cli::finishRange(error);
}

namespace {

// The chart of one date, loaded with its associations; FileError when the
// data folder has no chart for it.
const ChartTab &loadDate(cli::RangeOptions &r, const cli::Args &a) {
    if (!a.has(QStringLiteral("date"))) throw cli::UsageError(QStringLiteral("--date is required"));
    const QDate d = cli::parseDate(a.value(QStringLiteral("date")));
    const QByteArray label = dateLabel(d);
    r.store.fullLoad(label, label);
    const int i = r.store.indexOfTag(dateTag(d));
    if (i < 0) throw FileError(QStringLiteral("%1 のチャートがありません。").arg(sjis::toUnicode(label)));
    return r.store.tabs.at(i);
}

}  // namespace

int cmdList(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    cli::RangeOptions r = cli::prepareRange(a);
    const OutputChoice choice = columnsOption(a);
    const ChartTab &tab = loadDate(r, a);
    const ChartTable &table = tab.rows;
    if (a.has(QStringLiteral("save"))) {
        if (!saveList(a.value(QStringLiteral("save")), chartCaptions(), ChartRows(table), choice,
                      table.size()))
            nothingToDo(QStringLiteral("nothing to save (no rows or no columns)"));
        return cli::finishRange(std::nullopt);
    }
    QBuffer buf;
    buf.open(QIODevice::WriteOnly);
    writeList(&buf, chartCaptions(), ChartRows(table), choice, table.size());
    QByteArray out = buf.data();
    if (!r.sjis) out.replace("\r\n", "\n");
    cli::writeText(out, r.sjis);
    return cli::finishRange(std::nullopt);
}

int cmdPrint(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    if (!a.has(QStringLiteral("pdf"))) throw cli::UsageError(QStringLiteral("--pdf FILE is required"));
    cli::RangeOptions r = cli::prepareRange(a);
    const OutputChoice choice = columnsOption(a);
    const ChartTab &tab = loadDate(r, a);
    const ChartRows list(tab.rows);
    const PrintLayout layout(chartCaptions(), list, choice, tab.rows.size());
    if (tab.rows.isEmpty() || layout.isEmpty())
        nothingToDo(QStringLiteral("nothing to print (no rows or no columns)"));
    else
        printToPdf(a.value(QStringLiteral("pdf")), layout, list);
    return cli::finishRange(std::nullopt);
}
