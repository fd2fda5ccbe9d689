#pragma once
// A local chart site for tests, benchmarks and the demo: weekly chart pages
// generated from the date, served over HTTP/1.0 on 127.0.0.1 in Shift-JIS,
// EUC-JP or JIS by turns, with the server's 404 page ("The requested URL
// ... was not found") for weeks that have no chart.
#include <QByteArray>
#include <QDate>
#include <QSet>
#include <QTcpServer>

namespace vorq::test {

// The chart page of a date, in Shift-JIS, with `songs` ranked rows after a
// heading row, the skip string "<!-- / NO1 -->" in front of the table.
QByteArray chartPageSjis(const QDate &date, int songs = 100);

// The encoding a week is served in: 5 Shift-JIS, 4 EUC-JP, 2 JIS.
int weekEncoding(const QDate &date);

// The 404 body for a path.
QByteArray notFoundBody(const QByteArray &path);

class ChartSite : public QTcpServer {
    Q_OBJECT
public:
    struct Options {
        QDate first = QDate(1995, 4, 8);
        QDate last;            // last week with a chart; invalid: every week
        int missingEvery = 0;  // every n-th week has no chart (0: none)
        QSet<QDate> missing;   // and these
        int delayMs = 0;       // wait before answering each request
        int songs = 100;
    };
    explicit ChartSite(Options options, QObject *parent = nullptr);

    // Listens on 127.0.0.1 (port 0: any free port). False on failure.
    bool start(quint16 port = 0);
    QByteArray baseUrl() const;  // "http://127.0.0.1:PORT"
    // The URL template for the import driver pointing at this site.
    QByteArray urlTemplate() const;
    bool hasChart(const QDate &date) const;
    int requests() const { return m_requests; }

    // The response (header and body) for a request path.
    QByteArray response(const QByteArray &path) const;

private:
    void serve(class QTcpSocket *socket);
    Options m_options;
    int m_requests = 0;
};

}  // namespace vorq::test
