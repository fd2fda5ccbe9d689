// vorq-chartsite: the local chart site of `make demo`, the tests and the
// benchmarks. Prints "listening on http://127.0.0.1:PORT" (https with
// --tls-cert) once it serves.
#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

#include "chartsite.h"
#include "core/text/sjistext.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Local chart site on 127.0.0.1"));
    parser.addHelpOption();
    const QCommandLineOption port(QStringLiteral("port"), QStringLiteral("Port (0: any free port)."),
                                  QStringLiteral("PORT"), QStringLiteral("0"));
    const QCommandLineOption first(QStringLiteral("first"), QStringLiteral("First week with a chart."),
                                   QStringLiteral("YYYY-MM-DD"), QStringLiteral("1995-04-08"));
    const QCommandLineOption last(QStringLiteral("last"), QStringLiteral("Last week with a chart."),
                                  QStringLiteral("YYYY-MM-DD"));
    const QCommandLineOption lastDaysAgo(QStringLiteral("last-days-ago"),
                                         QStringLiteral("Last week with a chart: N days before today."),
                                         QStringLiteral("N"));
    const QCommandLineOption missingEvery(QStringLiteral("missing-every"),
                                          QStringLiteral("Every N-th week has no chart (0: none)."),
                                          QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption delay(QStringLiteral("delay-ms"), QStringLiteral("Delay before each answer."),
                                   QStringLiteral("MS"), QStringLiteral("0"));
    const QCommandLineOption tlsCert(QStringLiteral("tls-cert"),
                                     QStringLiteral("Serve https with this certificate (PEM)."),
                                     QStringLiteral("PEM"));
    const QCommandLineOption tlsKey(QStringLiteral("tls-key"), QStringLiteral("The certificate's key (PEM)."),
                                    QStringLiteral("PEM"));
    const QCommandLineOption flaky(
        QStringLiteral("flaky"),
        QStringLiteral("Answer every page's first request with 503 Retry-After: 0."));
    parser.addOptions({port, first, last, lastDaysAgo, missingEvery, delay, tlsCert, tlsKey, flaky});
    parser.process(app);
    vorq::sjis::ensureCodec();

    vorq::test::ChartSite::Options options;
    options.first = QDate::fromString(parser.value(first), Qt::ISODate);
    if (parser.isSet(last)) options.last = QDate::fromString(parser.value(last), Qt::ISODate);
    if (parser.isSet(lastDaysAgo))
        options.last = QDate::currentDate().addDays(-parser.value(lastDaysAgo).toInt());
    options.missingEvery = parser.value(missingEvery).toInt();
    options.delayMs = parser.value(delay).toInt();
    options.tlsCert = parser.value(tlsCert);
    options.tlsKey = parser.value(tlsKey);
    options.flaky = parser.isSet(flaky);
    vorq::test::ChartSite site(options);
    if (!options.first.isValid() || !site.start(quint16(parser.value(port).toUInt()))) {
        std::fprintf(stderr, "vorq-chartsite: cannot listen on 127.0.0.1:%s\n",
                     qPrintable(parser.value(port)));
        return 1;
    }
    std::printf("listening on %s\n", site.baseUrl().constData());
    std::fflush(stdout);
    return app.exec();
}
