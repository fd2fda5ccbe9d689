#pragma once
// A local chart site for tests, benchmarks and the demo: weekly chart pages
// generated from the date, served over HTTP/1.0 on 127.0.0.1 in Shift-JIS,
// EUC-JP or JIS by turns, with the server's 404 page ("The requested URL
// ... was not found") for weeks that have no chart.
#include <QByteArray>
#include <QDate>
#include <QSet>

#include "testserver.h"

namespace vorq::test {

// The chart page of a date, in Shift-JIS, with `songs` ranked rows after a
// heading row, the skip string "<!-- / NO1 -->" in front of the table.
QByteArray chartPageSjis(const QDate &date, int songs = 100);

// The encoding a week is served in: 5 Shift-JIS, 4 EUC-JP, 2 JIS.
int weekEncoding(const QDate &date);

// The 404 body for a path.
QByteArray notFoundBody(const QByteArray &path);

// The pages are served by the scripted TestServer.
class ChartSite {
public:
    struct Options {
        QDate first = QDate(1995, 4, 8);
        QDate last;            // last week with a chart; invalid: every week
        int missingEvery = 0;  // every n-th week has no chart (0: none)
        QSet<QDate> missing;   // and these
        int delayMs = 0;       // wait before answering each request
        int songs = 100;
        // https with this certificate chain and key (PEM files) when set.
        QString tlsCert, tlsKey;
        // Every page's first request is answered "503" with "Retry-After: 0".
        bool flaky = false;
        // These dates are answered "429" with "Retry-After: 0", always.
        QSet<QDate> failing;
    };
    explicit ChartSite(Options options);

    // Listens on 127.0.0.1 (port 0: any free port). False on failure.
    bool start(quint16 port = 0);
    quint16 serverPort() const { return m_server.port(); }
    // Stops listening: later connections are refused.
    void close() { m_server.close(); }
    QByteArray baseUrl() const;  // "http://127.0.0.1:PORT" ("https://" with TLS)
    // The URL template for the import driver pointing at this site.
    QByteArray urlTemplate() const;
    bool hasChart(const QDate &date) const;
    int requests() const { return int(m_server.requests().size()); }

    // The response (header and body) for a request path.
    QByteArray response(const QByteArray &path) const;

private:
    Options m_options;
    TestServer m_server;
    QHash<QByteArray, int> m_hits;
};

}  // namespace vorq::test
