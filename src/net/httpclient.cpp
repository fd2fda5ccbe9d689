#include "httpclient.h"

#include <netdb.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QNetworkProxy>
#include <QTcpSocket>
#include <QTimer>
#include <cerrno>
#include <cstdio>

#include "jconvert.h"
#include "sjistext.h"
#include "socketerrortext.h"

namespace vorq::net {

namespace {

constexpr int kDefaultTimeoutMs = 120 * 1000;

// One set for the program: one fetch at a time.
struct ModuleState {
    int clientState = 0;
    qint64 received = 0;
    QByteArray proxyHost;
    int proxyPort = 0;
    int connectTimeoutMs = kDefaultTimeoutMs;
    int dataTimeoutMs = kDefaultTimeoutMs;
    TInternalInetpas *current = nullptr;
    QString lastError;
    ErrorReporter reporter;
};

ModuleState &g() {
    static ModuleState state;
    return state;
}

void reportToStderr(const QString &message) {
    const QByteArray utf8 = message.toUtf8();
    std::fwrite(utf8.constData(), 1, static_cast<size_t>(utf8.size()), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

void report(const QString &message) {
    if (g().reporter)
        g().reporter(message);
    else
        reportToStderr(message);
}

// Error types as the socket layer numbers them.
enum ErrorType { General = 0, Send = 1, Receive = 2, Connect = 3, Disconnect = 4, Accept = 5 };

QString errorTypeText(int type) {
    switch (type) {
        case General: return QStringLiteral("予期しないエラーメッセージが発生しました。");
        case Send: return QStringLiteral("サーバーに送信要求しようとしたときエラーが発生しました。");
        case Receive: return QStringLiteral("サーバーからのデータ転送中にエラーが発生しました。");
        case Connect: return QStringLiteral("サーバーに接続できませんでした。");
        case Disconnect: return QStringLiteral("サーバーとの接続を切断中にエラーが発生しました。");
        case Accept: return QStringLiteral("サーバーに接続を拒否されました。");
        default: return QString();
    }
}

// The phase a socket error happened in, from the client state.
int errorTypeFor(QAbstractSocket::SocketError error, int state, qint64 unsentBytes) {
    if (error == QAbstractSocket::ConnectionRefusedError) return Connect;
    switch (state) {
        case 1:
        case 2: return Connect;
        case 3: return unsentBytes > 0 ? Send : Receive;
        case 4: return Receive;
        case 5: return Disconnect;
        default: return General;
    }
}

// Qt does not expose errno; its socket errors each stand for one system
// error (Qt's native engine derives them from errno), refined by the
// engine's fixed texts where one Qt error covers several.
int systemCodeFor(QAbstractSocket::SocketError error, const QString &errorString) {
    const auto engineText = [](const char *text) {
        return QCoreApplication::translate("QNativeSocketEngine", text);
    };
    switch (error) {
        case QAbstractSocket::ConnectionRefusedError: return ECONNREFUSED;
        case QAbstractSocket::RemoteHostClosedError: return ECONNRESET;
        case QAbstractSocket::HostNotFoundError: return EAI_NONAME;
        case QAbstractSocket::SocketAccessError: return EACCES;
        case QAbstractSocket::SocketResourceError: return EMFILE;
        case QAbstractSocket::SocketTimeoutError: return ETIMEDOUT;
        case QAbstractSocket::DatagramTooLargeError: return EMSGSIZE;
        case QAbstractSocket::NetworkError:
            if (errorString == engineText("Host unreachable")) return EHOSTUNREACH;
            if (errorString == engineText("Connection timed out")) return ETIMEDOUT;
            return ENETUNREACH;
        case QAbstractSocket::AddressInUseError: return EADDRINUSE;
        case QAbstractSocket::SocketAddressNotAvailableError: return EADDRNOTAVAIL;
        case QAbstractSocket::UnsupportedSocketOperationError: return EAFNOSUPPORT;
        case QAbstractSocket::UnfinishedSocketOperationError: return EINPROGRESS;
        case QAbstractSocket::TemporaryError: return EAGAIN;
        case QAbstractSocket::OperationError: return EINVAL;
        default: return 0;
    }
}

QString timeoutMessage(int state) {
    switch (state) {
        case 1: return QStringLiteral("時間内にサーバーが見つかりませんでした。");
        case 2: return QStringLiteral("時間内にサーバーに接続できませんでした。");
        case 3: return QStringLiteral("時間内にサーバーからのデータ転送が開始されませんでした。");
        default: return QStringLiteral("時間内にサーバーからデータ転送が行われなくなりました。");
    }
}

QString oversizeMessage() {
    return QStringLiteral("サーバーからの応答が上限の %1 バイトを超えたため、転送を中止しました。")
        .arg(kMaxResponseBytes);
}

// Runs the end-of-fetch duties of GetUrl on every path.
class FetchCleanup {
public:
    ~FetchCleanup() {
        ModuleState &s = g();
        s.current = nullptr;
        s.proxyHost.clear();
        s.proxyPort = 0;
        s.connectTimeoutMs = kDefaultTimeoutMs;
        s.dataTimeoutMs = kDefaultTimeoutMs;
    }
};

int validPortOr80(qint64 port) { return (port >= 0 && port <= 65535) ? static_cast<int>(port) : 80; }

}  // namespace

int clientState() { return g().clientState; }
qint64 receivedByteCount() { return g().received; }

QString connectionStateText(int state) {
    switch (state) {
        case 0: return QStringLiteral("接続していません");
        case 1: return QStringLiteral("ホストを探しています");
        case 2: return QStringLiteral("接続中です");
        case 3: return QStringLiteral("接続しました");
        case 4: return QStringLiteral("読み込み中です");
        case 5: return QStringLiteral("切断しました");
        case -1: return QStringLiteral("エラー");
        default: return QString();
    }
}

void SetProxy(const QByteArray &host, int port) {
    g().proxyHost = host;
    g().proxyPort = port;
}

QString lastErrorMessage() { return g().lastError; }

ErrorReporter setErrorReporter(ErrorReporter reporter) {
    ErrorReporter previous = std::move(g().reporter);
    g().reporter = std::move(reporter);
    return previous;
}

Address addressFor(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) {
    const QByteArray s = url.startsWith("http://") ? url.mid(7) : url;
    const qsizetype slash = s.indexOf('/');
    const QByteArray hostPart = slash < 0 ? s : s.left(slash);
    Address a;
    if (!proxyHost.isEmpty()) {
        a.connectHost = proxyHost;
        a.hostHeader = hostPart;
        a.port = proxyPort == 0 ? 80 : validPortOr80(proxyPort);
        a.requestTarget = url;
        return a;
    }
    a.requestTarget = slash < 0 ? QByteArray("/") : s.mid(slash);
    const qsizetype colon = hostPart.indexOf(':');
    if (colon >= 0) {
        a.connectHost = hostPart.left(colon);
        bool ok = false;
        const qint64 port = hostPart.mid(colon + 1).toLongLong(&ok);
        a.port = ok ? validPortOr80(port) : 80;
    } else {
        a.connectHost = hostPart;
        a.port = 80;
    }
    a.hostHeader = a.connectHost;
    return a;
}

QByteArray requestFor(const Address &address) {
    return "GET " + address.requestTarget + " HTTP/1.0\r\n" +
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
           "Accept-Language: ja\r\n"
           "User-Agent: Mozilla/4.73 [ja] (Windows NT 5.0; U)\r\n"
           "Host: " +
           address.hostHeader + "\r\n\r\n";
}

void ReceiveBuffer::append(const QByteArray &chunk) {
    if (!m_headerPhase) {
        m_bytes.append(chunk);
        return;
    }
    // The header end may straddle the previous chunk: look at up to three
    // bytes already held together with the new ones.
    const qsizetype held = qMin<qsizetype>(3, m_bytes.size());
    const QByteArray probe = m_bytes.right(held) + chunk;
    const qsizetype at = probe.indexOf("\r\n\r\n");
    if (at < 0) {
        m_bytes.append(chunk);
        return;
    }
    m_bytes = chunk.mid(at + 4 - held);
    m_headerPhase = false;
}

QByteArray bufferText(const QByteArray &buffer) {
    const qsizetype nul = buffer.indexOf('\0');
    const QByteArray text = nul < 0 ? buffer : buffer.left(nul);
    return ConvertJapanese(sjis::joinLines(sjis::splitLines(text)), 5);
}

TInternalInetpas::TInternalInetpas(const Address &address) : m_address(address) {
    m_socket = new QTcpSocket(this);
    // The client does its own proxying: no system or environment proxy.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) {
        if (s == QAbstractSocket::HostLookupState)
            onLookupStarted();
        else if (s == QAbstractSocket::ConnectingState)
            onConnecting();
    });
    connect(m_socket, &QAbstractSocket::connected, this, &TInternalInetpas::onConnected);
    connect(m_socket, &QIODevice::readyRead, this, &TInternalInetpas::onReadable);
    connect(m_socket, &QAbstractSocket::disconnected, this, &TInternalInetpas::onDisconnected);
    connect(m_socket, &QAbstractSocket::errorOccurred, this,
            [this](QAbstractSocket::SocketError e) { onError(static_cast<int>(e)); });
    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    m_timer->setInterval(g().connectTimeoutMs);
    connect(m_timer, &QTimer::timeout, this, &TInternalInetpas::onTimeout);
}

TInternalInetpas::~TInternalInetpas() {
    m_timer->stop();
    m_socket->disconnect(this);
    m_socket->abort();
}

QByteArray TInternalInetpas::get() {
    m_result.clear();
    m_abort = false;
    // Handlers may already run inside connectToHost (an address literal, a
    // refused loopback port), so the end condition is tested before waiting.
    m_socket->connectToHost(sjis::toUnicode(m_address.connectHost), static_cast<quint16>(m_address.port));
    QEventLoop loop;
    m_loop = &loop;
    if (g().clientState != 5 && !m_abort) loop.exec();
    m_loop = nullptr;
    m_timer->stop();
    const bool ended = g().clientState == 5 && !m_abort;
    m_socket->disconnect(this);
    m_socket->abort();
    if (ended) m_result = bufferText(m_buffer.bytes());
    return m_result;
}

void TInternalInetpas::abortFetch() {
    if (m_abort || g().clientState == 5) return;
    m_socket->abort();
    // Closing before the connection was up emits no disconnect: end the
    // same way all the same.
    if (!m_abort && g().clientState != 5) onDisconnected();
}

void TInternalInetpas::wake() {
    if (m_loop && (g().clientState == 5 || m_abort)) m_loop->quit();
}

void TInternalInetpas::onLookupStarted() {
    if (m_abort) return;
    g().clientState = 1;
    m_timer->start();
}

void TInternalInetpas::onConnecting() {
    if (m_abort) return;
    m_timer->stop();
    g().clientState = 2;
    m_timer->start();
}

void TInternalInetpas::onConnected() {
    if (m_abort) return;
    m_timer->stop();
    m_socket->write(requestFor(m_address));
    m_buffer.startHeaderPhase();
    g().clientState = 3;
    m_timer->setInterval(g().dataTimeoutMs);
    m_timer->start();
}

void TInternalInetpas::onReadable() {
    if (m_abort || g().clientState == 5) return;
    m_timer->stop();
    const QByteArray chunk = m_socket->readAll();
    g().received += chunk.size();
    if (g().received > kMaxResponseBytes) {
        m_abort = true;
        m_socket->abort();
        g().clientState = -1;
        fail(oversizeMessage());
        return;
    }
    m_buffer.append(chunk);
    g().clientState = 4;
    m_timer->start();
}

void TInternalInetpas::onDisconnected() {
    if (m_abort) return;
    m_timer->stop();
    g().clientState = 5;
    wake();
}

void TInternalInetpas::onError(int socketError) {
    if (m_abort || g().clientState == 5) return;
    const auto error = static_cast<QAbstractSocket::SocketError>(socketError);
    // An HTTP/1.0 response ends when the server closes: the disconnect
    // event that follows ends the wait normally.
    if (error == QAbstractSocket::RemoteHostClosedError) return;
    m_timer->stop();
    if (error == QAbstractSocket::HostNotFoundError) {
        // The socket layer's own report of the failed lookup; the socket is
        // reset and the fetch ends as disconnected, with an empty buffer.
        m_failure = QStringLiteral("Socket error: %1 (%2), on API 'getaddrinfo'")
                        .arg(socketErrorText(error, m_socket->errorString()))
                        .arg(systemCodeFor(error, m_socket->errorString()));
        m_socket->abort();
        onDisconnected();
        return;
    }
    const int type = errorTypeFor(error, g().clientState, m_socket->bytesToWrite());
    const int code = systemCodeFor(error, m_socket->errorString());
    QString message = QStringLiteral("エラーコード : ") + QString::number(code) + QStringLiteral("\r\n");
    message += errorTypeText(type);
    m_abort = true;
    g().clientState = -1;
    fail(message);
}

void TInternalInetpas::onTimeout() {
    m_timer->stop();
    if (m_abort || g().clientState == 5) return;
    const QString message = timeoutMessage(g().clientState);
    m_abort = true;
    m_socket->abort();
    g().clientState = -1;
    fail(message);
}

void TInternalInetpas::fail(const QString &message) {
    if (m_failure.isEmpty()) m_failure = message;
    wake();
}

QByteArray GetUrl(const QByteArray &url) {
    ModuleState &s = g();
    if (s.current) {
        report(QStringLiteral("前の取得が終わっていないため、取得できませんでした。"));
        return QByteArray();
    }
    s.clientState = 0;
    s.received = 0;
    s.lastError.clear();
    QByteArray result;
    QString failure;
    {
        FetchCleanup cleanup;
        TInternalInetpas client(addressFor(url, s.proxyHost, s.proxyPort));
        s.current = &client;
        result = client.get();
        failure = client.failure();
    }
    s.lastError = failure;
    if (!failure.isEmpty()) report(failure);
    return result;
}

void abortCurrentFetch() {
    if (g().current) g().current->abortFetch();
}

namespace internal {
void setTimeoutsMs(int connectMs, int dataMs) {
    g().connectTimeoutMs = connectMs;
    g().dataTimeoutMs = dataMs;
}
int connectTimeoutMs() { return g().connectTimeoutMs; }
int dataTimeoutMs() { return g().dataTimeoutMs; }
}  // namespace internal

}  // namespace vorq::net
