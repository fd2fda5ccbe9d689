#include "net/httpclient.h"

#include <netdb.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QNetworkProxy>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <cerrno>
#include <cstdio>

#include "core/text/jconvert.h"
#include "core/text/sjistext.h"
#include "net/socketerrortext.h"

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
    QString trustedCaFile;
    FetchReport lastFetch;
    RedirectObserver redirectObserver;
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
    if (g().reporter) {
        g().reporter(message);
        return;
    }
    reportToStderr(message);
    if (!g().lastFetch.detail.isEmpty()) reportToStderr(g().lastFetch.detail);
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

QString truncatedMessage(qint64 received, qint64 announced) {
    if (announced < 0)
        return QStringLiteral(
            "サーバーからのデータ転送が途中で切れました。\r\n"
            "(最後のチャンクが届く前に接続が閉じられました)");
    return QStringLiteral("サーバーからのデータ転送が途中で切れました。\r\n(%1 バイト中 %2 バイトを受信)")
        .arg(announced)
        .arg(received);
}

QString statusText(const ResponseHead &head) {
    QString text = QStringLiteral("HTTP ") + QString::number(head.status);
    if (!head.reason.isEmpty()) text += QLatin1Char(' ') + QString::fromLatin1(head.reason);
    return text;
}

const QString kTlsPrefix = QStringLiteral("HTTPS で安全に接続できませんでした。\r\n");

// One line per kind of certificate problem, in the user's words.
QString certificateProblems(const QList<QSslError> &errors, const QByteArray &host) {
    QStringList lines;
    const auto add = [&lines](const QString &line) {
        if (!lines.contains(line)) lines.append(line);
    };
    for (const QSslError &e : errors) {
        switch (e.error()) {
            case QSslError::CertificateExpired:
                add(QStringLiteral("サーバーの証明書の有効期限が切れています。"));
                break;
            case QSslError::CertificateNotYetValid:
                add(QStringLiteral("サーバーの証明書はまだ有効になっていません。"));
                break;
            case QSslError::HostNameMismatch:
                add(QStringLiteral("サーバーの証明書は別のホストのものです (接続先: %1)。")
                        .arg(QString::fromLatin1(host)));
                break;
            case QSslError::UnableToGetLocalIssuerCertificate:
            case QSslError::UnableToGetIssuerCertificate:
            case QSslError::SelfSignedCertificate:
            case QSslError::SelfSignedCertificateInChain:
            case QSslError::UnableToVerifyFirstCertificate:
            case QSslError::CertificateUntrusted:
                add(QStringLiteral("サーバーの証明書の発行元 (認証局) が信頼されていません。"));
                break;
            case QSslError::CertificateRevoked:
                add(QStringLiteral("サーバーの証明書は失効しています。"));
                break;
            default: add(QStringLiteral("サーバーの証明書を確認できませんでした: ") + e.errorString()); break;
        }
    }
    return kTlsPrefix + lines.join(QStringLiteral("\r\n"));
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

bool isHttpsUrl(const QByteArray &url) { return url.left(8).toLower() == "https://"; }

Address addressFor(const QByteArray &url, const QByteArray &proxyHost, int proxyPort) {
    if (isHttpsUrl(url)) {
        const QByteArray rest = url.mid(8);
        const qsizetype slash = rest.indexOf('/');
        const QByteArray hostPart = slash < 0 ? rest : rest.left(slash);
        Address a;
        a.tls = true;
        a.requestTarget = slash < 0 ? QByteArray("/") : rest.mid(slash);
        const qsizetype colon = hostPart.lastIndexOf(':');
        int port = 443;
        if (colon >= 0) {
            bool ok = false;
            const qint64 p = hostPart.mid(colon + 1).toLongLong(&ok);
            port = ok && p > 0 && p <= 65535 ? int(p) : 443;
        }
        a.tlsHost = colon >= 0 ? hostPart.left(colon) : hostPart;
        a.hostHeader = port == 443 ? a.tlsHost : a.tlsHost + ':' + QByteArray::number(port);
        if (proxyHost.isEmpty()) {
            a.connectHost = a.tlsHost;
            a.port = port;
        } else {
            a.connectHost = proxyHost;
            a.port = proxyPort == 0 ? 80 : validPortOr80(proxyPort);
            a.tunnelTarget = a.tlsHost + ':' + QByteArray::number(port);
            a.viaProxy = true;
        }
        return a;
    }
    const QByteArray s = url.startsWith("http://") ? url.mid(7) : url;
    const qsizetype slash = s.indexOf('/');
    const QByteArray hostPart = slash < 0 ? s : s.left(slash);
    Address a;
    if (!proxyHost.isEmpty()) {
        a.connectHost = proxyHost;
        a.hostHeader = hostPart;
        a.port = proxyPort == 0 ? 80 : validPortOr80(proxyPort);
        a.requestTarget = url;
        a.viaProxy = true;
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
    if (address.tls)
        return "GET " + address.requestTarget + " HTTP/1.1\r\n" + "Host: " + address.hostHeader +
               "\r\n"
               "User-Agent: vorqview/" VORQ_VERSION
               "\r\n"
               "Accept: */*\r\n"
               "Accept-Language: ja\r\n"
               "Accept-Encoding: identity\r\n"
               "Connection: close\r\n\r\n";
    return "GET " + address.requestTarget + " HTTP/1.0\r\n" +
           "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
           "Accept-Language: ja\r\n"
           "User-Agent: Mozilla/4.73 [ja] (Windows NT 5.0; U)\r\n"
           "Host: " +
           address.hostHeader + "\r\n\r\n";
}

QByteArray connectRequestFor(const Address &address) {
    return "CONNECT " + address.tunnelTarget + " HTTP/1.1\r\nHost: " + address.tunnelTarget +
           "\r\nUser-Agent: vorqview/" VORQ_VERSION "\r\n\r\n";
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
    m_header = m_bytes.left(m_bytes.size() - held) + probe.left(at);
    m_bytes = chunk.mid(at + 4 - held);
    m_headerPhase = false;
}

QByteArray bufferText(const QByteArray &buffer) {
    const qsizetype nul = buffer.indexOf('\0');
    const QByteArray text = nul < 0 ? buffer : buffer.left(nul);
    return ConvertJapanese(sjis::joinLines(sjis::splitLines(text)), 5);
}

TInternalInetpas::TInternalInetpas(const Address &address) : m_address(address) {
    m_socket = new QSslSocket(this);
    // The client does its own proxying: no system or environment proxy.
    m_socket->setProxy(QNetworkProxy::NoProxy);
    connect(m_socket, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState s) {
        if (s == QAbstractSocket::HostLookupState)
            onLookupStarted();
        else if (s == QAbstractSocket::ConnectingState)
            onConnecting();
    });
    connect(m_socket, &QAbstractSocket::connected, this, &TInternalInetpas::onConnected);
    connect(m_socket, &QSslSocket::encrypted, this, &TInternalInetpas::onEncrypted);
    connect(m_socket, &QSslSocket::sslErrors, this, &TInternalInetpas::onSslErrors);
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
    if (m_address.tls) {
        if (!QSslSocket::supportsSsl()) {
            g().clientState = -1;
            m_failure = kTlsPrefix + QStringLiteral("この環境では TLS が使えません。");
            return m_result;
        }
        QSslConfiguration conf = QSslConfiguration::defaultConfiguration();
        const QString caFile = g().trustedCaFile;
        if (!caFile.isEmpty()) {
            QList<QSslCertificate> extra = QSslCertificate::fromPath(caFile, QSsl::Pem);
            if (extra.isEmpty()) extra = QSslCertificate::fromPath(caFile, QSsl::Der);
            if (extra.isEmpty()) {
                g().clientState = -1;
                m_failure =
                    kTlsPrefix + QStringLiteral("追加で信頼する CA 証明書 \"%1\" を読み込めませんでした。")
                                     .arg(QDir::toNativeSeparators(caFile));
                return m_result;
            }
            conf.addCaCertificates(extra);
        }
        conf.setPeerVerifyMode(QSslSocket::VerifyPeer);
        m_socket->setSslConfiguration(conf);
        m_socket->setPeerVerifyName(QString::fromLatin1(m_address.tlsHost));
    }
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
    if (ended) finishBody();
    return m_result;
}

void TInternalInetpas::finishBody() {
    // No header end: the designed reading, everything is the page.
    if (m_buffer.inHeaderPhase() || !m_headParsed) {
        m_result = bufferText(m_buffer.bytes());
        return;
    }
    const QByteArray &raw = m_buffer.bytes();
    QByteArray body = raw;
    if (m_head.chunked()) {
        const ChunkedBody decoded = decodeChunked(raw);
        if (!decoded.complete && !m_userAbort) {
            g().clientState = -1;
            fail(decoded.malformed ? QStringLiteral("サーバーからの応答のチャンク形式が壊れています。")
                                   : truncatedMessage(raw.size(), -1),
                 !decoded.malformed);
            return;
        }
        body = decoded.body;
    } else if (const qint64 length = m_head.contentLength(); length >= 0) {
        // A connection reset looks like an orderly close: only the announced
        // length tells a whole page from one cut off.
        if (raw.size() < length && !m_userAbort) {
            g().clientState = -1;
            fail(truncatedMessage(raw.size(), length), true);
            return;
        }
        body.truncate(length);
    }
    m_result = bufferText(body);
}

void TInternalInetpas::abortFetch() {
    if (m_abort || g().clientState == 5) return;
    m_userAbort = true;
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
    // The tunnel and the TLS handshake still count as connecting, under the
    // connect timeout; the request goes once they are done.
    if (!m_address.tunnelTarget.isEmpty()) {
        m_inTunnelPhase = true;
        m_socket->write(connectRequestFor(m_address));
        return;
    }
    if (m_address.tls) {
        m_inHandshake = true;
        m_socket->startClientEncryption();
        return;
    }
    sendRequest();
}

void TInternalInetpas::onEncrypted() {
    if (m_abort) return;
    m_inHandshake = false;
    sendRequest();
}

void TInternalInetpas::sendRequest() {
    m_timer->stop();
    m_socket->write(requestFor(m_address));
    m_buffer.startHeaderPhase();
    g().clientState = 3;
    m_timer->setInterval(g().dataTimeoutMs);
    m_timer->start();
}

void TInternalInetpas::onSslErrors(const QList<QSslError> &errors) {
    if (m_abort) return;
    // Never ignored: the handshake fails and the socket closes after this.
    m_timer->stop();
    m_abort = true;
    g().clientState = -1;
    fail(certificateProblems(errors, m_address.tlsHost));
}

void TInternalInetpas::onTunnelReply() {
    m_tunnelReply += m_socket->readAll();
    const qsizetype end = m_tunnelReply.indexOf("\r\n\r\n");
    if (end < 0) {
        if (m_tunnelReply.size() > 64 * 1024) {
            m_abort = true;
            g().clientState = -1;
            fail(QStringLiteral("プロキシの応答が読めませんでした。"));
        }
        return;
    }
    const ResponseHead head = parseResponseHead(m_tunnelReply.left(end));
    if (!head.valid || head.status / 100 != 2) {
        m_timer->stop();
        m_abort = true;
        g().clientState = -1;
        const QString status = head.valid ? statusText(head) : QString::fromLatin1(m_tunnelReply.left(end));
        fail(QStringLiteral("プロキシが %1 への接続 (CONNECT) を拒否しました。\r\n%2")
                 .arg(QString::fromLatin1(m_address.tunnelTarget), status));
        return;
    }
    m_inTunnelPhase = false;
    m_inHandshake = true;
    m_socket->startClientEncryption();
}

void TInternalInetpas::onReadable() {
    if (m_abort || g().clientState == 5) return;
    if (m_inTunnelPhase) {
        onTunnelReply();
        return;
    }
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
    if (!m_buffer.inHeaderPhase()) {
        if (!m_headParsed) {
            m_head = parseResponseHead(m_buffer.header());
            m_headParsed = true;
        }
        // A server that keeps the connection open after the whole body has
        // come need not be waited for.
        const QByteArray &raw = m_buffer.bytes();
        const qint64 length = m_head.contentLength();
        const bool whole = m_head.chunked() ? raw.endsWith("\r\n\r\n") && decodeChunked(raw).complete
                                            : (m_head.valid && length >= 0 && raw.size() >= length);
        if (whole) {
            g().clientState = 5;
            wake();
            return;
        }
    }
    m_timer->start();
}

void TInternalInetpas::onDisconnected() {
    if (m_abort) return;
    m_timer->stop();
    if ((m_inTunnelPhase || m_inHandshake) && !m_userAbort) {
        m_abort = true;
        g().clientState = -1;
        fail(m_inTunnelPhase ? QStringLiteral("プロキシが接続を閉じました。")
                             : kTlsPrefix + QStringLiteral("サーバーが暗号化の途中で接続を閉じました。"),
             true);
        return;
    }
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
        // The socket layer's own report of the failed lookup is the detail
        // behind a message naming the host; the socket is reset and the
        // fetch ends as disconnected, with an empty buffer.
        m_failureDetail = QStringLiteral("Socket error: %1 (%2), on API 'getaddrinfo'")
                              .arg(socketErrorText(error, m_socket->errorString()))
                              .arg(systemCodeFor(error, m_socket->errorString()));
        m_failure = hostNotFoundText(m_address.connectHost, m_address.viaProxy);
        m_hostNotFound = true;
        m_socket->abort();
        onDisconnected();
        return;
    }
    if (error == QAbstractSocket::SslHandshakeFailedError || error == QAbstractSocket::SslInternalError ||
        error == QAbstractSocket::SslInvalidUserDataError) {
        m_abort = true;
        g().clientState = -1;
        fail(kTlsPrefix + m_socket->errorString());
        return;
    }
    const int type = errorTypeFor(error, g().clientState, m_socket->bytesToWrite());
    const int code = systemCodeFor(error, m_socket->errorString());
    QString message = QStringLiteral("エラーコード : ") + QString::number(code) + QStringLiteral("\r\n");
    message += errorTypeText(type);
    m_abort = true;
    g().clientState = -1;
    fail(message, true);
}

void TInternalInetpas::onTimeout() {
    m_timer->stop();
    if (m_abort || g().clientState == 5) return;
    const QString message = timeoutMessage(g().clientState);
    m_abort = true;
    m_socket->abort();
    g().clientState = -1;
    fail(message, true);
}

void TInternalInetpas::fail(const QString &message, bool retryable) {
    if (m_failure.isEmpty()) {
        m_failure = message;
        m_retryable = retryable;
    }
    wake();
}

namespace {

// The failure a status stands for; empty for a page or a missing page.
QString statusFailure(const ResponseHead &head) {
    const int s = head.status;
    if (s == 429 || s == 503)
        return QStringLiteral("サーバーが混み合っているため、取得できませんでした。\r\n") + statusText(head);
    return QStringLiteral("サーバーがエラーを返しました。\r\n") + statusText(head);
}

}  // namespace

QByteArray GetUrl(const QByteArray &url) {
    ModuleState &s = g();
    if (s.current) {
        const QString message = QStringLiteral("前の取得が終わっていないため、取得できませんでした。");
        s.lastFetch = FetchReport{FetchKind::Failed, 0, url, false, -1, message};
        report(message);
        return QByteArray();
    }
    s.clientState = 0;
    s.received = 0;
    s.lastError.clear();
    FetchReport fetch;
    fetch.finalUrl = url;
    QByteArray result;
    {
        FetchCleanup cleanup;
        for (int hop = 0;; ++hop) {
            TInternalInetpas client(addressFor(fetch.finalUrl, s.proxyHost, s.proxyPort));
            s.current = &client;
            result = client.get();
            s.current = nullptr;
            fetch.failure = client.failure();
            fetch.detail = client.failureDetail();
            fetch.hostNotFound = client.hostNotFound();
            fetch.viaProxy = !s.proxyHost.isEmpty();
            fetch.retryable = client.retryable();
            const ResponseHead &head = client.head();
            fetch.status = head.valid ? head.status : 0;
            if (client.aborted()) {
                fetch.kind = FetchKind::Aborted;
                fetch.failure.clear();
                break;
            }
            if (!fetch.failure.isEmpty()) {
                fetch.kind = FetchKind::Failed;
                // A failed host lookup ends as disconnected (designed).
                break;
            }
            if (!head.valid || head.status / 100 == 2) break;
            if (head.status == 404 || head.status == 410) {
                fetch.kind = FetchKind::NotFound;
                break;
            }
            result.clear();
            fetch.kind = FetchKind::Failed;
            if (isRedirect(head.status)) {
                const QByteArray next = resolveLocation(fetch.finalUrl, head.field("Location"));
                if (next.isEmpty()) {
                    fetch.failure = QStringLiteral("サーバーの転送先 (Location) が読めませんでした。\r\n") +
                                    statusText(head);
                } else if (hop >= kMaxRedirects) {
                    fetch.failure = QStringLiteral(
                                        "転送 (リダイレクト) が %1 "
                                        "回を超えたため、取得を中止しました。\r\n最後の転送先: %2")
                                        .arg(kMaxRedirects)
                                        .arg(QString::fromLatin1(next));
                } else if (isHttpsUrl(fetch.finalUrl) && !isHttpsUrl(next)) {
                    fetch.failure = QStringLiteral(
                                        "暗号化された接続 (https) から暗号化されない接続への転送は"
                                        "行いません。\r\n転送先: %1")
                                        .arg(QString::fromLatin1(next));
                } else {
                    fetch.finalUrl = next;
                    fetch.kind = FetchKind::Page;
                    s.clientState = 0;
                    if (s.redirectObserver) s.redirectObserver(next);
                    continue;
                }
                s.clientState = -1;
                break;
            }
            fetch.retryable = head.status == 429 || head.status / 100 == 5;
            if (head.status == 429 || head.status == 503)
                fetch.retryAfterSeconds = retryAfterSeconds(
                    head.field("Retry-After"), QDateTime::currentDateTimeUtc(), kMaxRetryAfterSeconds);
            fetch.failure = statusFailure(head);
            s.clientState = -1;
            break;
        }
    }
    s.lastError = fetch.failure;
    s.lastFetch = fetch;
    if (!fetch.failure.isEmpty()) report(fetch.failure);
    return result;
}

void setTrustedCaFile(const QString &path) { g().trustedCaFile = path; }

FetchResult fetchForImport(const QByteArray &url, const QByteArray &proxyHost, int proxyPort, bool quiet) {
    ErrorReporter previous;
    if (quiet) previous = setErrorReporter([](const QString &) {});
    if (!proxyHost.isEmpty()) SetProxy(proxyHost, proxyPort);
    const QByteArray page = GetUrl(url);
    if (quiet) setErrorReporter(std::move(previous));
    return resultOfLastFetch(page);
}

FetchResult resultOfLastFetch(const QByteArray &page) {
    FetchResult r;
    r.page = page;
    const FetchReport report = lastFetch();
    switch (report.kind) {
        case FetchKind::Page: r.kind = FetchResult::Kind::Page; break;
        case FetchKind::NotFound: r.kind = FetchResult::Kind::NotFound; break;
        case FetchKind::Failed: r.kind = FetchResult::Kind::Failed; break;
        case FetchKind::Aborted: r.kind = FetchResult::Kind::Aborted; break;
    }
    r.failure = report.failure;
    r.retryable = report.retryable;
    r.retryAfterSeconds = report.retryAfterSeconds;
    return r;
}

FetchReport lastFetch() { return g().lastFetch; }

QString hostNotFoundText(const QByteArray &host, bool viaProxy) {
    return (viaProxy ? QStringLiteral("プロキシ サーバー「%1」が見つかりませんでした。")
                     : QStringLiteral("サーバー「%1」が見つかりませんでした。"))
        .arg(sjis::toUnicode(host));
}

RedirectObserver setRedirectObserver(RedirectObserver observer) {
    RedirectObserver previous = std::move(g().redirectObserver);
    g().redirectObserver = std::move(observer);
    return previous;
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
