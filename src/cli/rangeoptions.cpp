#include "cli/rangeoptions.h"

#include <cstdio>

#include <QFileInfo>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/text/sjistext.h"

namespace vorq::cli {

RangeOptions prepareRange(const Args &a) {
    RangeOptions r;
    if (!a.positional.isEmpty())
        throw UsageError(QStringLiteral("unexpected argument %1").arg(a.positional.first()));
    applyToday(a);
    // What is not given comes from the user's vorqview settings.
    r.settings = readViewerSettings();
    QString dir =
        a.has(QStringLiteral("data")) ? a.value(QStringLiteral("data")) : sjis::path(r.settings.dataFolder);
    if (dir.isEmpty()) throw UsageError(QStringLiteral("--data needs a folder"));
    if (!QFileInfo(dir).isDir()) throw FileError(QStringLiteral("データフォルダ %1 がありません。").arg(dir));
    if (!dir.endsWith(QLatin1Char('/'))) dir += QLatin1Char('/');
    r.store.dataFolder = sjis::fromUnicode(dir);
    r.store.programFolder = env::programFolder();
    const QList<QByteArray> nf = readNotFoundList(r.store.dataFolder, r.store.programFolder);
    r.notFound = QSet<QByteArray>(nf.begin(), nf.end());
    const QList<QDate> calendar = broadcastCalendar(env::today(), r.notFound);
    const DateRange range = configuredRange(calendar, r.settings);
    r.from = range.from;
    r.to = range.to;
    parseDateRange(a, &r.from, &r.to);
    r.sjis = a.flags.contains(QStringLiteral("sjis"));
    return r;
}

std::optional<QString> loadRange(RangeOptions &r) {
    if (!r.from.isValid() || !r.to.isValid()) return std::nullopt;
    try {
        r.store.fullLoad(dateLabel(r.from), dateLabel(r.to));
    } catch (const Error &e) {
        return e.message();
    }
    return std::nullopt;
}

int finishRange(const std::optional<QString> &error) {
    std::fflush(stdout);
    if (!error) return 0;
    printError(QStringLiteral("vorq: ") + *error);
    return 1;
}

}  // namespace vorq::cli
