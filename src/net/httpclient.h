#pragma once
// The HTTP/1.0 client that fetches chart pages: one fixed GET request, direct
// or through a proxy, over an event-driven socket. GetUrl is synchronous for
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

#include "errors.h"

class QTcpSocket;
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

// Where failure messages go. The GUI installs one that shows the top-level
// error box; the default writes the message to stderr. Returns the previous
// reporter; an empty function restores the default.
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
};
// Direct when proxyHost is empty, otherwise through the proxy.
Address addressFor(const QByteArray &url, const QByteArray &proxyHost, int proxyPort);
// The request bytes sent once connected.
QByteArray requestFor(const Address &address);

// The receive buffer with the header test: the header block is dropped at
// the first CR LF CR LF, wherever it falls among the chunks.
class ReceiveBuffer {
public:
    void append(const QByteArray &chunk);
    void startHeaderPhase() { m_headerPhase = true; }
    bool inHeaderPhase() const { return m_headerPhase; }
    const QByteArray &bytes() const { return m_bytes; }

private:
    QByteArray m_bytes;
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
    // The failure message of this fetch, if any.
    const QString &failure() const { return m_failure; }

private:
    void onLookupStarted();
    void onConnecting();
    void onConnected();
    void onReadable();
    void onDisconnected();
    void onError(int socketError);
    void onTimeout();
    void fail(const QString &message);
    void wake();

    QTcpSocket *m_socket = nullptr;
    Address m_address;
    QByteArray m_result;
    bool m_abort = false;
    ReceiveBuffer m_buffer;
    QTimer *m_timer = nullptr;
    QEventLoop *m_loop = nullptr;
    QString m_failure;
};

namespace internal {
// Tests only: shortens the timeouts of the next fetch (GetUrl sets them back
// to 120 s afterwards, as it does with the proxy).
void setTimeoutsMs(int connectMs, int dataMs);
int connectTimeoutMs();
int dataTimeoutMs();
}  // namespace internal

}  // namespace vorq::net
