// vorq associate: the automatic association update, or one row's file set or
// cleared, over the full load of a range; file.idx saved as vorqview saves it.
#include <QFileInfo>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/rangeoptions.h"
#include "core/base/errors.h"
#include "core/charts/associationupdate.h"
#include "core/charts/indexmerge.h"
#include "core/datafolder/datafolderlock.h"
#include "core/text/sjistext.h"

using namespace vorq;

namespace {

void appendChangeLine(QByteArray &out, const ChartStore &store, const RowRef &at, const QByteArray &oldFile) {
    const ChartTab &tab = store.tabs.at(at.tab);
    const ChartEntry &e = tab.rows.at(at.row);
    out += tab.caption + '\t' + e.rank + '\t' + e.title + '\t' + e.artist + '\t' + oldFile + '\t' + e.file +
           '\n';
}

bool parseOnOff(const QString &text) {
    if (text == QLatin1String("on")) return true;
    if (text == QLatin1String("off")) return false;
    throw cli::UsageError(QStringLiteral("--auto-add takes on or off, not %1").arg(text));
}

int runAuto(const cli::Args &a, cli::RangeOptions &r) {
    AutoUpdateOptions opts;
    opts.pattern = a.has(QStringLiteral("pattern")) ? sjis::fromUnicode(a.value(QStringLiteral("pattern")))
                                                    : r.settings.fileNamePattern;
    opts.folder = a.has(QStringLiteral("folder")) ? sjis::fromUnicode(a.value(QStringLiteral("folder")))
                                                  : r.settings.musicFolder;
    opts.autoAdd = a.has(QStringLiteral("auto-add")) ? parseOnOff(a.value(QStringLiteral("auto-add")))
                                                     : r.settings.autoAddFile;
    // Read, update and write in one step under the lock: nothing another
    // program stores meanwhile is overwritten.
    const DataFolderLock lock(r.store.dataFolder);
    if (const auto error = cli::loadRange(r)) throw Error(*error);
    const AutoUpdateResult result = autoUpdate(r.store.tabs, opts);
    r.store.journal.reserveMore(result.changes.size());
    for (const AssociationChange &c : result.changes) r.store.noteRowChanged(c.at.tab, c.at.row);
    saveAssociationsUnattended(r.store);
    // Written a piece at a time as the lines are made: a whole history's
    // changes never sit in memory as one text.
    QByteArray out;
    for (const AssociationChange &c : result.changes) {
        appendChangeLine(out, r.store, c.at, c.oldFile);
        if (out.size() >= 256 * 1024) {
            cli::writeText(out, r.sjis);
            out.resize(0);
        }
    }
    cli::writeText(out, r.sjis);
    return 0;
}

int runSet(const cli::Args &a, cli::RangeOptions &r) {
    const bool clear = a.flags.contains(QStringLiteral("clear"));
    if (clear == a.has(QStringLiteral("file")))
        throw cli::UsageError(QStringLiteral("give either --file PATH or --clear"));
    if (!a.has(QStringLiteral("date")) || !a.has(QStringLiteral("rank")))
        throw cli::UsageError(QStringLiteral("--date and --rank are needed"));
    const QString sameSong = a.value(QStringLiteral("same-song"), QStringLiteral("this"));
    if (sameSong != QLatin1String("all") && sameSong != QLatin1String("this"))
        throw cli::UsageError(QStringLiteral("--same-song takes all or this, not %1").arg(sameSong));
    const QDate date = cli::parseDate(a.value(QStringLiteral("date")));
    bool rankOk = false;
    const int rank = a.value(QStringLiteral("rank")).toInt(&rankOk);
    if (!rankOk) throw cli::UsageError(QStringLiteral("--rank takes a number"));

    QByteArray file;
    if (!clear) {
        const QString given = a.value(QStringLiteral("file"));
        file = sjis::fromUnicode(given);
        // Stored paths are opened later from anywhere: keep them whole.
        if (!file.isEmpty() && !isWebTarget(file))
            file = sjis::fromUnicode(QFileInfo(given).absoluteFilePath());
    }

    const DataFolderLock lock(r.store.dataFolder);
    if (const auto error = cli::loadRange(r)) throw Error(*error);
    const int tab = r.store.indexOfTag(dateTag(date));
    if (tab < 0)
        throw Error(
            QStringLiteral("%1 のチャートは読み込まれていません。").arg(sjis::toUnicode(dateLabel(date))));
    const ChartTable &rows = r.store.tabs.at(tab).rows;
    int row = -1;
    for (int i = 0; i < rows.size() && row < 0; ++i)
        if (rows.at(i).rank.toInt() == rank) row = i;
    if (row < 0)
        throw Error(
            QStringLiteral("%1 に %2 位はありません。").arg(sjis::toUnicode(dateLabel(date))).arg(rank));

    QList<RowRef> targets{{tab, row}};
    if (sameSong == QLatin1String("all"))
        targets = sameSongRows(r.store.tabs, rows.at(row).title, rows.at(row).artist);
    QByteArray out;
    for (const RowRef &t : targets) {
        ChartEntry &e = r.store.tabs[t.tab].rows[t.row];
        const QByteArray old = e.file;
        e.file = file;
        r.store.noteRowChanged(t.tab, t.row);
        if (old != file) appendChangeLine(out, r.store, t, old);
    }
    saveAssociationsUnattended(r.store);
    cli::writeText(out, r.sjis);
    return 0;
}

}  // namespace

int cmdAssociate(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    const bool automatic = a.flags.contains(QStringLiteral("auto"));
    if (automatic && (a.has(QStringLiteral("date")) || a.has(QStringLiteral("file")) ||
                      a.flags.contains(QStringLiteral("clear"))))
        throw cli::UsageError(QStringLiteral("--auto takes no --date, --rank, --file or --clear"));
    cli::RangeOptions r = cli::prepareRange(a);
    const int status = automatic ? runAuto(a, r) : runSet(a, r);
    std::fflush(stdout);
    return status;
}
