// vorq-genhistory OUTDIR [--today YYYY-MM-DD] [--seed N] [--rows N]: writes a
// synthetic full chart history for benchmarks and start-up measurements.
#include <QCoreApplication>
#include <QStringList>
#include <cstdio>

#include "core/base/errors.h"
#include "core/text/sjistext.h"
#include "historygen.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    vorq::bench::HistoryOptions opt;
    QString out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--today") && hasValue) {
            opt.today = QDate::fromString(args.at(++i), QStringLiteral("yyyy-MM-dd"));
            ok = opt.today.isValid();
        } else if (a == QLatin1String("--seed") && hasValue) {
            opt.seed = args.at(++i).toULongLong(&ok);
        } else if (a == QLatin1String("--rows") && hasValue) {
            opt.rowsPerWeek = args.at(++i).toInt(&ok);
            ok = ok && opt.rowsPerWeek > 0;
        } else if (!a.startsWith(QLatin1String("--")) && out.isEmpty()) {
            out = a;
        } else {
            ok = false;
        }
        if (!ok) {
            std::fprintf(stderr,
                         "usage: vorq-genhistory OUTDIR [--today YYYY-MM-DD] [--seed N] [--rows N]\n");
            return 2;
        }
    }
    if (out.isEmpty()) {
        std::fprintf(stderr, "usage: vorq-genhistory OUTDIR [--today YYYY-MM-DD] [--seed N] [--rows N]\n");
        return 2;
    }
    try {
        vorq::sjis::ensureCodec();
        const auto s = vorq::bench::generateHistory(out, opt);
        std::printf(
            "%d charts, %lld rows, %lld associations, %d dates in notfound.txt, %lld bytes of charts\n",
            s.charts, static_cast<long long>(s.rows), static_cast<long long>(s.associations), s.notFound,
            static_cast<long long>(s.bytes));
    } catch (const vorq::Error &e) {
        std::fprintf(stderr, "vorq-genhistory: %s\n", e.what());
        return 1;
    }
    return 0;
}
