// vorq dates / vorq load: the date list and the full load of a range, as the
// main window builds them.
#include <QDir>
#include <QFileInfo>

#include "appenv.h"
#include "chartstore.h"
#include "clicommon.h"
#include "clirange.h"
#include "sjistext.h"
#include "viewersettings.h"

using namespace vorq;

namespace vorq::cli {

RangeOptions prepare(const cli::Args &a) {
    RangeOptions r;
    if (!a.positional.isEmpty())
        throw cli::UsageError(QStringLiteral("unexpected argument %1").arg(a.positional.first()));
    cli::applyToday(a);
    // What is not given comes from the user's vorqview settings.
    const cli::ViewerSettings settings = cli::readViewerSettings();
    QString dir =
        a.has(QStringLiteral("data")) ? a.value(QStringLiteral("data")) : sjis::path(settings.dataFolder);
    if (dir.isEmpty()) throw cli::UsageError(QStringLiteral("--data needs a folder"));
    if (!QFileInfo(dir).isDir()) throw FileError(QStringLiteral("データフォルダ %1 がありません。").arg(dir));
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    r.store.dataFolder = sjis::fromUnicode(dir);
    r.store.programFolder = env::programFolder();
    const QList<QByteArray> nf = readNotFoundList(r.store.dataFolder, r.store.programFolder);
    r.notFound = QSet<QByteArray>(nf.begin(), nf.end());
    const QList<QDate> calendar = broadcastCalendar(env::today(), r.notFound);
    const cli::DateRange range = cli::configuredRange(calendar, settings);
    r.from = range.from;
    r.to = range.to;
    if (a.has(QStringLiteral("from"))) r.from = cli::parseDate(a.value(QStringLiteral("from")));
    if (a.has(QStringLiteral("to"))) r.to = cli::parseDate(a.value(QStringLiteral("to")));
    r.sjis = a.flags.contains(QStringLiteral("sjis"));
    return r;
}

// The full load of the range; a load error is returned, not thrown, so the
// caller can still print what was loaded before it.
std::optional<QString> loadRange(RangeOptions &r) {
    if (!r.from.isValid() || !r.to.isValid()) return std::nullopt;
    try {
        r.store.fullLoad(dateLabel(r.from), dateLabel(r.to));
    } catch (const Error &e) {
        return e.message();
    }
    return std::nullopt;
}

int finish(const std::optional<QString> &error) {
    std::fflush(stdout);
    if (!error) return 0;
    cli::printError(QStringLiteral("vorq: ") + *error);
    return 1;
}

}  // namespace vorq::cli

using namespace vorq::cli;

int cmdDates(const QStringList &args) {
    const cli::Args a = cli::parseArgs(
        args, {QStringLiteral("data"), QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("today")},
        {QStringLiteral("hide-no-data"), QStringLiteral("sjis")});
    RangeOptions r = prepare(a);
    const bool hide = a.flags.contains(QStringLiteral("hide-no-data"));
    std::optional<QString> error;
    if (hide) error = loadRange(r);
    const QList<QByteArray> labels = buildDateList(r.from, r.to, r.notFound, hide, r.store.captions());
    QByteArray out;
    for (const QByteArray &l : labels) out += l + '\n';
    cli::writeText(out, r.sjis);
    return finish(error);
}

int cmdLoad(const QStringList &args) {
    const cli::Args a = cli::parseArgs(
        args, {QStringLiteral("data"), QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("today")},
        {QStringLiteral("sjis")});
    RangeOptions r = prepare(a);
    const std::optional<QString> error = loadRange(r);
    QByteArray out;
    for (const ChartTab &tab : r.store.tabs) {
        for (const ChartEntry &e : tab.rows) {
            out += tab.caption + '\t' + e.rank + '\t' + e.title + '\t' + e.artist + '\t' + e.file + '\t' +
                   e.method + '\n';
        }
        // Keep memory flat on a full history: write table by table.
        cli::writeText(out, r.sjis);
        out.clear();
    }
    return finish(error);
}
