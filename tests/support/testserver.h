#pragma once
// A scripted HTTP server on 127.0.0.1 for tests, benchmarks and the demo.
// Each request gets a ScriptedReply from the handler: the bytes to send and
// how (delayed, dripped, split into pieces, stalled, silent, streamed).
// TestServer runs in the thread that creates it (fine for in-process
// clients that wait in an event loop); ServerThread runs one in a thread of
// its own, for clients that block (a child process, a benchmark).
#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QObject>
#include <QPair>
#include <functional>
#include <memory>

class QTcpServer;
class QTcpSocket;
class QThread;

namespace vorq::test {

struct HttpRequest {
    QByteArray raw;  // request line and header, up to the empty line
    QByteArray requestLine;
    QByteArray method, target, version;
    QList<QPair<QByteArray, QByteArray>> headers;
    bool absoluteForm = false;  // target is "http://host[:port]/..."
    QByteArray path;            // the origin-form target ("/..."), also for absolute form

    QByteArray header(const QByteArray &name) const;  // case-insensitive; empty if absent
};

struct ScriptedReply {
    QByteArray data;            // status line, header and body
    bool silent = false;        // send nothing and never close
    int delayMs = 0;            // pause before the first byte
    qsizetype stallAfter = -1;  // send this many bytes, then nothing more (stay open)
    int dripMs = -1;            // >= 0: one byte at a time, this pause between bytes
    QList<qsizetype> splitAt;   // send in pieces cut at these offsets ...
    int splitPauseMs = 5;       // ... with this pause between pieces
    qint64 streamBytes = 0;     // after data, this many filler bytes (-1: without end)
    QByteArray streamPattern = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcde\n";
    bool closeAtEnd = true;  // HTTP/1.0: the server closes to end the response
};

// Response builders. lineEnd separates the status and header lines; the body
// is sent as given.
QByteArray httpResponse(int status, const QByteArray &reason, const QByteArray &body,
                        const QByteArray &lineEnd = "\r\n");
// A chart-sized page with CR LF lines.
QByteArray samplePage();
ScriptedReply normalPage(const QByteArray &body);
// 404 with the body a web server sends: it holds "The requested URL".
ScriptedReply notFoundPage(const QByteArray &path);
// Status, header and body all with bare LF line ends.
ScriptedReply lfOnlyPage(const QByteArray &body);
// Header lines that never reach an empty line; the body follows directly.
ScriptedReply noHeaderTerminator(const QByteArray &body);
ScriptedReply silence();
// The header and half the body, then silence with the connection open.
ScriptedReply stallMidBody(const QByteArray &body);
ScriptedReply drip(const QByteArray &body, int pauseMs);
// A 200 header followed by bodyBytes filler bytes.
ScriptedReply oversized(qint64 bodyBytes);
// Header lines without end ("X-Filler: ...") up to totalBytes (-1: forever).
ScriptedReply endlessHeader(qint64 totalBytes);

class TestServer : public QObject {
public:
    using Handler = std::function<ScriptedReply(const HttpRequest &)>;

    explicit TestServer(QObject *parent = nullptr);
    ~TestServer() override;

    // Serves https with this certificate chain and key (PEM files) from the
    // next listen on; false when they cannot be read.
    bool useTls(const QString &certFile, const QString &keyFile);
    // Listens on 127.0.0.1 at port (0: any free port).
    bool listen(quint16 port = 0);
    // Stops listening; connections already made go on.
    void close();
    quint16 port() const;
    // "http://127.0.0.1:PORT" + path ("https://" with TLS)
    QByteArray url(const QByteArray &path) const;

    // Every request gets this reply (unless a handler is set).
    void setReply(const ScriptedReply &reply);
    void setHandler(Handler handler);
    // Added before every reply.
    void setDelayMs(int ms);
    // Proxy mode: requests must be in absolute form ("GET http://host[:port]/path
    // HTTP/1.0") with a Host header equal to the URL's host part as written;
    // others get "400 Bad Request" and are counted as violations. Good ones
    // go to the handler, which sees the path in HttpRequest::path.
    void setProxyMode(bool on);

    QList<HttpRequest> requests() const;
    int proxyViolations() const;
    int connectionCount() const;

    // A port on 127.0.0.1 where nothing listens (connections are refused).
    static quint16 refusedPort();

private:
    struct Connection;
    void onNewConnection();
    void onReadable(Connection *c);
    void respond(Connection *c, const HttpRequest &request);
    void sendNext(Connection *c);
    void finish(Connection *c);

    QTcpServer *m_server;
    bool m_tls = false;
    Handler m_handler;
    ScriptedReply m_reply;
    int m_delayMs = 0;
    bool m_proxyMode = false;
    mutable QMutex m_mutex;  // guards what other threads read
    QList<HttpRequest> m_requests;
    int m_violations = 0;
    int m_connections = 0;
};

// A proxy that opens CONNECT tunnels to 127.0.0.1 (any other request, or
// every request when refusing, gets "403 Forbidden").
class ConnectProxy : public QObject {
public:
    explicit ConnectProxy(QObject *parent = nullptr);
    ~ConnectProxy() override;
    bool listen();
    quint16 port() const;
    void setRefusing(bool refuse) { m_refuse = refuse; }
    QList<QByteArray> requestLines() const { return m_requestLines; }

private:
    void onNewConnection();
    QTcpServer *m_server;
    bool m_refuse = false;
    QList<QByteArray> m_requestLines;
};

// A TestServer in its own thread. setup runs in that thread before listen.
class ServerThread {
public:
    explicit ServerThread(std::function<void(TestServer &)> setup);
    ~ServerThread();
    quint16 port() const { return m_port; }
    QByteArray url(const QByteArray &path) const;
    // Thread-safe readers of the running server.
    QList<HttpRequest> requests() const;
    int proxyViolations() const;

private:
    std::unique_ptr<QThread> m_thread;
    TestServer *m_server = nullptr;
    quint16 m_port = 0;
};

}  // namespace vorq::test
