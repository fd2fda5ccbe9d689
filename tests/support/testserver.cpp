#include "testserver.h"

#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QMutexLocker>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslServer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <future>
#include <limits>

namespace vorq::test {

namespace {

constexpr qsizetype kMaxRequestBytes = 64 * 1024;
constexpr qint64 kFlowBlock = 64 * 1024;

// Splits "http://host[:port]/path" into the host part as written and the path.
bool splitAbsolute(const QByteArray &target, QByteArray *hostPart, QByteArray *path) {
    if (!target.startsWith("http://")) return false;
    const QByteArray rest = target.mid(7);
    const qsizetype slash = rest.indexOf('/');
    *hostPart = slash < 0 ? rest : rest.left(slash);
    *path = slash < 0 ? QByteArray("/") : rest.mid(slash);
    return !hostPart->isEmpty();
}

HttpRequest parseRequest(const QByteArray &raw) {
    HttpRequest r;
    r.raw = raw;
    QList<QByteArray> lines = raw.split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r')) l.chop(1);
    if (lines.isEmpty()) return r;
    r.requestLine = lines.first();
    const QList<QByteArray> parts = r.requestLine.split(' ');
    if (parts.size() == 3) {
        r.method = parts[0];
        r.target = parts[1];
        r.version = parts[2];
    }
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0) continue;
        r.headers.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    QByteArray hostPart;
    r.absoluteForm = splitAbsolute(r.target, &hostPart, &r.path);
    if (!r.absoluteForm) r.path = r.target;
    return r;
}

}  // namespace

QByteArray HttpRequest::header(const QByteArray &name) const {
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0) return h.second;
    return QByteArray();
}

QByteArray httpResponse(int status, const QByteArray &reason, const QByteArray &body,
                        const QByteArray &lineEnd) {
    return "HTTP/1.0 " + QByteArray::number(status) + ' ' + reason + lineEnd + "Server: vorq-test" + lineEnd +
           "Content-Type: text/html" + lineEnd + "Content-Length: " + QByteArray::number(body.size()) +
           lineEnd + lineEnd + body;
}

QByteArray samplePage() {
    QByteArray page = "<HTML><HEAD><TITLE>COUNTDOWN</TITLE></HEAD>\r\n<BODY>\r\n<TABLE>\r\n";
    for (int rank = 1; rank <= 100; ++rank)
        page += "<TR><TD>" + QByteArray::number(rank) + "</TD><TD>Title " + QByteArray::number(rank) +
                "</TD><TD>Artist " + QByteArray::number(rank) + "</TD></TR>\r\n";
    page += "</TABLE>\r\n</BODY></HTML>\r\n";
    return page;
}

ScriptedReply normalPage(const QByteArray &body) {
    ScriptedReply r;
    r.data = httpResponse(200, "OK", body);
    return r;
}

ScriptedReply notFoundPage(const QByteArray &path) {
    ScriptedReply r;
    const QByteArray body =
        "<!DOCTYPE HTML PUBLIC \"-//IETF//DTD HTML 2.0//EN\">\r\n<HTML><HEAD>\r\n"
        "<TITLE>404 Not Found</TITLE>\r\n</HEAD><BODY>\r\n<H1>Not Found</H1>\r\n"
        "The requested URL " +
        path + " was not found on this server.<P>\r\n</BODY></HTML>\r\n";
    r.data = httpResponse(404, "Not Found", body);
    return r;
}

ScriptedReply lfOnlyPage(const QByteArray &body) {
    ScriptedReply r;
    r.data = httpResponse(200, "OK", body, "\n");
    return r;
}

ScriptedReply noHeaderTerminator(const QByteArray &body) {
    ScriptedReply r;
    r.data = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n" + body;
    return r;
}

ScriptedReply silence() {
    ScriptedReply r;
    r.silent = true;
    return r;
}

ScriptedReply stallMidBody(const QByteArray &body) {
    ScriptedReply r = normalPage(body);
    r.stallAfter = r.data.size() - body.size() / 2;
    return r;
}

ScriptedReply drip(const QByteArray &body, int pauseMs) {
    ScriptedReply r = normalPage(body);
    r.dripMs = pauseMs;
    return r;
}

ScriptedReply oversized(qint64 bodyBytes) {
    ScriptedReply r;
    r.data = "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n";
    r.streamBytes = bodyBytes;
    return r;
}

ScriptedReply endlessHeader(qint64 totalBytes) {
    ScriptedReply r;
    r.data = "HTTP/1.0 200 OK\r\n";
    r.streamPattern = "X-Filler: 0123456789abcdef0123456789abcdef0123456789abcdef\r\n";
    r.streamBytes = totalBytes < 0 ? -1 : qMax<qint64>(0, totalBytes - r.data.size());
    return r;
}

// Lives as a child of its socket, so it goes when the socket goes.
struct TestServer::Connection : QObject {
    explicit Connection(QTcpSocket *s) : QObject(s), socket(s) {}
    QTcpSocket *socket;
    QByteArray in;
    bool responded = false;
    bool done = false;
    bool pausing = false;
    ScriptedReply reply;
    qint64 sent = 0;

    qint64 total() const {
        if (reply.streamBytes < 0) return std::numeric_limits<qint64>::max();
        return reply.data.size() + reply.streamBytes;
    }
    QByteArray bytes(qint64 from, qint64 to) const {
        QByteArray out;
        out.reserve(to - from);
        const qint64 dataSize = reply.data.size();
        if (from < dataSize) {
            out.append(reply.data.mid(from, qMin(to, dataSize) - from));
            from = dataSize;
        }
        const QByteArray &p = reply.streamPattern;
        while (from < to) {
            const qint64 at = (from - dataSize) % p.size();
            const qint64 n = qMin<qint64>(p.size() - at, to - from);
            out.append(p.constData() + at, n);
            from += n;
        }
        return out;
    }
};

TestServer::TestServer(QObject *parent) : QObject(parent), m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &TestServer::onNewConnection);
}

bool TestServer::useTls(const QString &certFile, const QString &keyFile) {
    const QList<QSslCertificate> chain = QSslCertificate::fromPath(certFile, QSsl::Pem);
    QFile keyIn(keyFile);
    if (chain.isEmpty() || !keyIn.open(QIODevice::ReadOnly)) return false;
    const QSslKey key(&keyIn, QSsl::Rsa, QSsl::Pem);
    if (key.isNull()) return false;
    QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
    conf.setLocalCertificateChain(chain);
    conf.setPrivateKey(key);
    conf.setPeerVerifyMode(QSslSocket::VerifyNone);
    auto *server = new QSslServer(this);
    server->setSslConfiguration(conf);
    // Encrypted connections are announced only through this signal.
    connect(server, &QTcpServer::pendingConnectionAvailable, this, &TestServer::onNewConnection);
    delete m_server;
    m_server = server;
    m_tls = true;
    return true;
}

TestServer::~TestServer() = default;

bool TestServer::listen(quint16 port) { return m_server->listen(QHostAddress::LocalHost, port); }
void TestServer::close() { m_server->close(); }
quint16 TestServer::port() const { return m_server->serverPort(); }
QByteArray TestServer::url(const QByteArray &path) const {
    return (m_tls ? "https://127.0.0.1:" : "http://127.0.0.1:") + QByteArray::number(port()) + path;
}

void TestServer::setReply(const ScriptedReply &reply) { m_reply = reply; }
void TestServer::setHandler(Handler handler) { m_handler = std::move(handler); }
void TestServer::setDelayMs(int ms) { m_delayMs = ms; }
void TestServer::setProxyMode(bool on) { m_proxyMode = on; }

QList<HttpRequest> TestServer::requests() const {
    QMutexLocker lock(&m_mutex);
    return m_requests;
}
int TestServer::proxyViolations() const {
    QMutexLocker lock(&m_mutex);
    return m_violations;
}
int TestServer::connectionCount() const {
    QMutexLocker lock(&m_mutex);
    return m_connections;
}

quint16 TestServer::refusedPort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const quint16 port = probe.serverPort();
    probe.close();
    return port;
}

void TestServer::onNewConnection() {
    while (QTcpSocket *socket = m_server->nextPendingConnection()) {
        {
            QMutexLocker lock(&m_mutex);
            ++m_connections;
        }
        auto *c = new Connection(socket);
        connect(socket, &QIODevice::readyRead, this, [this, c] { onReadable(c); });
        connect(socket, &QIODevice::bytesWritten, this, [this, c] {
            if (!c->pausing && c->socket->bytesToWrite() == 0) sendNext(c);
        });
        connect(socket, &QAbstractSocket::disconnected, socket, &QObject::deleteLater);
    }
}

void TestServer::onReadable(Connection *c) {
    c->in += c->socket->readAll();
    if (c->responded) return;
    qsizetype end = c->in.indexOf("\r\n\r\n");
    qsizetype endLength = 4;
    if (end < 0) {
        end = c->in.indexOf("\n\n");
        endLength = 2;
    }
    if (end < 0) {
        if (c->in.size() > kMaxRequestBytes) c->socket->abort();
        return;
    }
    c->responded = true;
    const HttpRequest request = parseRequest(c->in.left(end + endLength));
    {
        QMutexLocker lock(&m_mutex);
        m_requests.append(request);
    }
    respond(c, request);
}

void TestServer::respond(Connection *c, const HttpRequest &request) {
    ScriptedReply reply;
    bool good = true;
    if (m_proxyMode) {
        QByteArray hostPart, path;
        good = request.method == "GET" && request.version == "HTTP/1.0" &&
               splitAbsolute(request.target, &hostPart, &path) && request.header("Host") == hostPart;
    }
    if (!good) {
        {
            QMutexLocker lock(&m_mutex);
            ++m_violations;
        }
        reply.data = httpResponse(400, "Bad Request",
                                  "proxy: expected an absolute-form request line and the URL's host part "
                                  "as Host\r\n");
    } else {
        reply = m_handler ? m_handler(request) : m_reply;
    }
    c->reply = reply;
    if (reply.silent) return;
    const int delay = m_delayMs + reply.delayMs;
    if (delay > 0) {
        c->pausing = true;
        QTimer::singleShot(delay, c->socket, [this, c] {
            c->pausing = false;
            sendNext(c);
        });
    } else {
        sendNext(c);
    }
}

void TestServer::sendNext(Connection *c) {
    if (c->done || !c->responded || c->pausing || c->reply.silent) return;
    if (c->socket->state() != QAbstractSocket::ConnectedState) return;
    const ScriptedReply &r = c->reply;
    const qint64 total = c->total();
    qint64 limit = total;
    if (r.stallAfter >= 0) limit = qMin<qint64>(limit, r.stallAfter);
    if (c->sent >= limit) {
        c->done = true;
        if (c->sent >= total && r.closeAtEnd) c->socket->disconnectFromHost();
        return;
    }
    qint64 end = qMin(limit, c->sent + kFlowBlock);
    int pause = -1;
    if (r.dripMs >= 0) {
        end = c->sent + 1;
        pause = r.dripMs;
    } else {
        for (qsizetype cut : r.splitAt) {
            if (cut > c->sent && cut < end) {
                end = cut;
                pause = r.splitPauseMs;
                break;
            }
        }
    }
    c->socket->write(c->bytes(c->sent, end));
    c->sent = end;
    if (pause >= 0 && c->sent < limit) {
        // flush() reports bytesWritten at once: pause first.
        c->pausing = true;
        c->socket->flush();
        QTimer::singleShot(pause, c->socket, [this, c] {
            c->pausing = false;
            sendNext(c);
        });
    } else if (c->sent >= limit) {
        sendNext(c);
    }
    // Otherwise bytesWritten asks for the next block once this one is out.
}

ConnectProxy::ConnectProxy(QObject *parent) : QObject(parent), m_server(new QTcpServer(this)) {
    connect(m_server, &QTcpServer::newConnection, this, &ConnectProxy::onNewConnection);
}
ConnectProxy::~ConnectProxy() = default;
bool ConnectProxy::listen() { return m_server->listen(QHostAddress::LocalHost, 0); }
quint16 ConnectProxy::port() const { return m_server->serverPort(); }

void ConnectProxy::onNewConnection() {
    while (QTcpSocket *client = m_server->nextPendingConnection()) {
        connect(client, &QAbstractSocket::disconnected, client, &QObject::deleteLater);
        auto *in = new QByteArray;
        auto *upstream = new QTcpSocket(client);
        connect(client, &QObject::destroyed, [in] { delete in; });
        connect(client, &QIODevice::readyRead, this, [this, client, upstream, in] {
            if (upstream->state() == QAbstractSocket::ConnectedState) {
                upstream->write(client->readAll());
                return;
            }
            in->append(client->readAll());
            const qsizetype end = in->indexOf("\r\n\r\n");
            if (end < 0) return;
            const QByteArray line = in->left(in->indexOf("\r\n"));
            m_requestLines.append(line);
            const QList<QByteArray> parts = line.split(' ');
            const qsizetype colon = parts.size() == 3 ? parts[1].lastIndexOf(':') : -1;
            if (m_refuse || parts.size() != 3 || parts[0] != "CONNECT" || colon < 0) {
                client->write("HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n");
                client->disconnectFromHost();
                return;
            }
            const QByteArray rest = in->mid(end + 4);
            connect(upstream, &QAbstractSocket::connected, client, [client, upstream, rest] {
                client->write("HTTP/1.1 200 Connection established\r\n\r\n");
                if (!rest.isEmpty()) upstream->write(rest);
            });
            connect(upstream, &QIODevice::readyRead, client,
                    [client, upstream] { client->write(upstream->readAll()); });
            connect(upstream, &QAbstractSocket::disconnected, client,
                    [client] { client->disconnectFromHost(); });
            connect(client, &QAbstractSocket::disconnected, upstream,
                    [upstream] { upstream->disconnectFromHost(); });
            upstream->connectToHost(QHostAddress::LocalHost, parts[1].mid(colon + 1).toUShort());
        });
    }
}

ServerThread::ServerThread(std::function<void(TestServer &)> setup) {
    std::promise<std::pair<TestServer *, quint16>> ready;
    m_thread.reset(QThread::create([&ready, setup = std::move(setup)] {
        TestServer server;
        setup(server);
        server.listen();
        ready.set_value({&server, server.port()});
        QEventLoop loop;
        loop.exec();
    }));
    m_thread->start();
    const auto [server, port] = ready.get_future().get();
    m_server = server;
    m_port = port;
}

ServerThread::~ServerThread() {
    m_thread->quit();
    m_thread->wait();
}

QByteArray ServerThread::url(const QByteArray &path) const {
    return "http://127.0.0.1:" + QByteArray::number(m_port) + path;
}
QList<HttpRequest> ServerThread::requests() const { return m_server->requests(); }
int ServerThread::proxyViolations() const { return m_server->proxyViolations(); }

}  // namespace vorq::test
