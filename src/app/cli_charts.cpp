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

int cmdDates(const QStringList &args) {
    const cli::Args a = cli::parseArgs(
        args, {QStringLiteral("data"), QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("today")},
        {QStringLiteral("hide-no-data"), QStringLiteral("sjis")});
    cli::RangeOptions r = cli::prepareRange(a);
    const bool hide = a.flags.contains(QStringLiteral("hide-no-data"));
    std::optional<QString> error;
    if (hide) error = cli::loadRange(r);
    const QList<QByteArray> labels = buildDateList(r.from, r.to, r.notFound, hide, r.store.captions());
    QByteArray out;
    for (const QByteArray &l : labels) out += l + '\n';
    cli::writeText(out, r.sjis);
    return cli::finish(error);
}

int cmdLoad(const QStringList &args) {
    const cli::Args a = cli::parseArgs(
        args, {QStringLiteral("data"), QStringLiteral("from"), QStringLiteral("to"), QStringLiteral("today")},
        {QStringLiteral("sjis")});
    cli::RangeOptions r = cli::prepareRange(a);
    const std::optional<QString> error = cli::loadRange(r);
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
    return cli::finish(error);
}
