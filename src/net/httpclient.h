#pragma once
// The HTTP client that fetches chart pages: one GET request, direct or
// through a proxy, over an event-driven socket; https through TLS with full
// certificate verification (through a proxy inside a CONNECT tunnel). The
// status line is read: redirects are followed, missing pages and server
// errors are told apart, and a body shorter than its Content-Length (or a
// chunked body without its last chunk) is an error, never a page. GetUrl is synchronous for
// its caller but keeps the event loop running (in a sleeping nested loop), so
// the window stays live and connectionTimer can show the connection state.
// TInternalInetpas is one such fetch with its socket and timer;
// EInetpasError is the client's error, a Japanese message.
//
// Errors and timeouts are never thrown across the event loop: the handler
// records the message, the wait ends, and GetUrl hands the message to the
// error reporter after the socket is gone, then returns the empty text.
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

#include "core/base/errors.h"
#include "core/import/fetchpolicy.h"
#include "net/httpresponse.h"

class QSslSocket;
class QSslError;
class QTimer;
class QEventLoop;

namespace vorq::net {

// The client's own error: a Japanese message and nothing else.
class EInetpasError : public Error {
public:
    using Error::Error;
};

// Client states (module-wide): 0 not connected, 1 looking up the host,
// 2 connecting, 3 connected and request sent, 4 reading, 5 disconnected,
// -1 error.
int clientState();
// Bytes received in the current (or last) fetch, header block included.
qint64 receivedByteCount();
// The text connectionTimer shows for a client state ("接続していません", ...).
QString connectionStateText(int state);

// Records a proxy for the next GetUrl only; port 0 means 80.
void SetProxy(const QByteArray &host, int port);

// An extra CA certificate file (PEM or DER) trusted for https besides the
// system's store, for sites with a private CA; empty: the system's store
// only. Kept until changed.
void setTrustedCaFile(const QString &path);

// Fetches url (Shift-JIS text) and returns the response body with its lines
// joined by CR LF and converted to Shift-JIS; the empty text after an error
// or timeout. One fetch at a time: a call while another runs is refused.
QByteArray GetUrl(const QByteArray &url);

// Closes the socket of the running fetch, if any: GetUrl then returns what
// has arrived so far.
void abortCurrentFetch();

// The message of the last fetch's failure (error, timeout or failed host
// lookup); empty when it succeeded or was aborted.
QString lastErrorMessage();

// How the last fetch ended, for callers that retry or summarise.
enum class FetchKind {
    Page,      // a page (2xx, or a response without a status line)
    NotFound,  // 404 or 410: a missing page, whatever the body says
    Failed,    // an error, a timeout or an error status
    Aborted,   // abortCurrentFetch
};
struct FetchReport {
    FetchKind kind = FetchKind::Page;
    int status = 0;              // the last status read, 0 when none
    QByteArray finalUrl;         // after redirects
    bool retryable = false;      // timeouts, connection errors, cut-off bodies, 5xx, 429
    int retryAfterSeconds = -1;  // the server's Retry-After (429, 503), -1 none
    QString failure;
    // The socket layer's own words behind failure, for a details part
    // (empty when failure says it all).
    QString detail{};
    // The host (the proxy's when through one) could not be looked up: the
    // address or the proxy setting is the likely cause.
    bool hostNotFound = false;
    bool viaProxy = false;
};
FetchReport lastFetch();

// The failure of a host lookup as the user reads it: the host named, and
// whether it is the proxy.
QString hostNotFoundText(const QByteArray &host, bool viaProxy);

// GetUrl for the import driver: the proxy for this fetch (none when
// proxyHost is empty), the client's failure reported as usual or, when quiet,
// only returned, and how the fetch ended.
FetchResult fetchForImport(const QByteArray &url, const QByteArray &proxyHost, int proxyPort, bool quiet);
// How the last fetch ended, with the page GetUrl returned.
FetchResult resultOfLastFetch(const QByteArray &page);

// Redirects followed at most, per fetch.
inline constexpr int kMaxRedirects = 5;
// A server's Retry-After is honoured up to this many seconds.
inline constexpr int kMaxRetryAfterSeconds = 600;

// Called with the new URL each time a redirect is followed (the bulk dialog
// shows it); returns the previous observer.
using RedirectObserver = std::function<void(const QByteArray &url)>;
RedirectObserver setRedirectObserver(RedirectObserver observer);

// Where failure messages go. The GUI installs one that shows the top-level
// error box; the default writes the message and lastFetch().detail to
// stderr. Returns the previous reporter; an empty function restores the
// default. A reporter may read lastFetch(), which is set before it is called.
using ErrorReporter = std::function<void(const QString &)>;
ErrorReporter setErrorReporter(ErrorReporter reporter);

// A response (header block included) larger than this ends the fetch with an
// error instead of filling memory.
inline constexpr qint64 kMaxResponseBytes = 32 * 1024 * 1024;

// Where a fetch connects and what it asks for.
struct Address {
    QByteArray connectHost;
    QByteArray hostHeader;
    int port = 80;
    QByteArray requestTarget;
    bool tls = false;         // https: the request goes inside TLS
    QByteArray tlsHost;       // the name the certificate must carry
    QByteArray tunnelTarget;  // "host:port" for CONNECT; empty when direct
    bool viaProxy = false;    // connectHost is the proxy
};
// Whether url is an https URL (scheme in any case).
bool isHttpsUrl(const QByteArray &url);
// Direct when proxyHost is empty, otherwise through the proxy.
Address addressFor(const QByteArray &url, const QByteArray &proxyHost, int proxyPort);
// The request bytes sent once connected: for http the fixed HTTP/1.0
// request, for https an HTTP/1.1 request naming vorqview and asking for the
// body as it is (no compression), with the connection closed at its end.
QByteArray requestFor(const Address &address);
// The CONNECT request that opens a tunnel through the proxy.
QByteArray connectRequestFor(const Address &address);

// The receive buffer with the header test: the header block is dropped at
// the first CR LF CR LF, wherever it falls among the chunks.
class ReceiveBuffer {
public:
    void append(const QByteArray &chunk);
    void startHeaderPhase() { m_headerPhase = true; }
    bool inHeaderPhase() const { return m_headerPhase; }
    const QByteArray &bytes() const { return m_bytes; }
    // The header block dropped, without its CR LF CR LF.
    const QByteArray &header() const { return m_header; }

private:
    QByteArray m_bytes;
    QByteArray m_header;
    bool m_headerPhase = false;
};

// Lines split at CR, LF or CR LF (a zero byte ends the text), joined with
// CR LF after each, converted to Shift-JIS.
QByteArray bufferText(const QByteArray &buffer);

// One fetch: exists only during GetUrl and owns its socket and timer.
class TInternalInetpas : public QObject {
public:
    TInternalInetpas(const Address &address);
    ~TInternalInetpas() override;

    // Connects, waits until the transfer ends, returns the buffer text (empty
    // after an error or timeout).
    QByteArray get();
    // Closes the socket; the wait ends with what has arrived.
    void abortFetch();
    // The failure message of this fetch, if any, and the socket layer's
    // words behind it (a failed host lookup).
    const QString &failure() const { return m_failure; }
    const QString &failureDetail() const { return m_failureDetail; }
    bool hostNotFound() const { return m_hostNotFound; }
    // Whether a failure may pass on another attempt.
    bool retryable() const { return m_retryable; }
    bool aborted() const { return m_userAbort; }
    // The response's status line and fields (valid() false when none came).
    const ResponseHead &head() const { return m_head; }

private:
    void onLookupStarted();
    void onConnecting();
    void onConnected();
    void onEncrypted();
    void onSslErrors(const QList<QSslError> &errors);
    void onReadable();
    void onTunnelReply();
    void onDisconnected();
    void onError(int socketError);
    void onTimeout();
    void sendRequest();
    void fail(const QString &message, bool retryable = false);
    void wake();
    void finishBody();

    QSslSocket *m_socket = nullptr;
    Address m_address;
    QByteArray m_result;
    bool m_abort = false;
    bool m_userAbort = false;
    bool m_retryable = false;
    bool m_inTunnelPhase = false;
    bool m_inHandshake = false;
    bool m_headParsed = false;
    QByteArray m_tunnelReply;
    ResponseHead m_head;
    ReceiveBuffer m_buffer;
    QTimer *m_timer = nullptr;
    QEventLoop *m_loop = nullptr;
    QString m_failure;
    QString m_failureDetail;
    bool m_hostNotFound = false;
};

namespace internal {
// Tests only: shortens the timeouts of the next fetch (GetUrl sets them back
// to 120 s afterwards, as it does with the proxy).
void setTimeoutsMs(int connectMs, int dataMs);
int connectTimeoutMs();
int dataTimeoutMs();
}  // namespace internal

}  // namespace vorq::net
