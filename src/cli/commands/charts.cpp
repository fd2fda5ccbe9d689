// vorq dates / vorq load: the date list and the full load of a range, as the
// main window builds them.
#include <QDir>
#include <QFileInfo>

#include "cli/clicommon.h"
#include "cli/commandtable.h"
#include "cli/rangeoptions.h"
#include "cli/viewersettings.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"

using namespace vorq;

int cmdDates(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    cli::RangeOptions r = cli::prepareRange(a);
    const bool hide = a.flags.contains(QStringLiteral("hide-no-data"));
    std::optional<QString> error;
    if (hide) error = cli::loadRange(r);
    const QList<QByteArray> labels = buildDateList(r.from, r.to, r.notFound, hide, r.store.captions());
    QByteArray out;
    for (const QByteArray &l : labels) out += l + '\n';
    cli::writeText(out, r.sjis);
    return cli::finishRange(error);
}

namespace {

// The associated file as the open command takes it: web addresses as
// stored, paths absolute, medium-rooted ones on the medium of the program
// folder; empty when nothing is associated or the path leaves the medium.
QByteArray resolvedFile(const QByteArray &stored, const QString &programFolder) {
    const StoredTarget t = resolveStoredTarget(stored, programFolder);
    if (t.kind == StoredTarget::Kind::None || t.isWeb()) return stored;
    return sjis::fromUnicode(t.localPath);
}

}  // namespace

int cmdLoad(const vorq::cli::Command &command, const QStringList &args) {
    const cli::Args a = cli::parseArgs(args, command);
    const bool resolve = a.flags.contains(QStringLiteral("resolve"));
    const QString programFolder = resolve ? sjis::path(env::programFolder()) : QString();
    cli::RangeOptions r = cli::prepareRange(a);
    const std::optional<QString> error = cli::loadRange(r);
    QByteArray out;
    for (const ChartTab &tab : r.store.tabs) {
        for (const ChartEntry &e : tab.rows) {
            const QByteArray file = resolve ? resolvedFile(e.file, programFolder) : e.file;
            out += tab.caption + '\t' + e.rank + '\t' + e.title + '\t' + e.artist + '\t' + file + '\t' +
                   e.method + '\n';
        }
        // Keep memory flat on a full history: write table by table.
        cli::writeText(out, r.sjis);
        out.clear();
    }
    return cli::finishRange(error);
}
