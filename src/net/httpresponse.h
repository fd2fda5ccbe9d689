#pragma once
// What the client reads from a server's answer: the status line and header
// fields, the chunked transfer coding, Retry-After and Location. Plain
// functions over bytes, so every boundary can be tested without a socket.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>

namespace vorq::net {

struct ResponseHead {
    bool valid = false;  // the block starts with an "HTTP/x.y NNN" status line
    int status = 0;
    QByteArray reason;
    QList<QPair<QByteArray, QByteArray>> fields;

    // The first field of that name (case-insensitive), trimmed; empty if none.
    QByteArray field(const QByteArray &name) const;
    // Content-Length as a byte count; -1 when absent or not a number.
    qint64 contentLength() const;
    // Transfer-Encoding ends with "chunked".
    bool chunked() const;
};

// The header block without its final empty line.
ResponseHead parseResponseHead(const QByteArray &block);

struct ChunkedBody {
    QByteArray body;
    bool complete = false;   // the last (zero-size) chunk and the trailer arrived
    bool malformed = false;  // a size line that is not hexadecimal, or data without its CR LF
};
// Decodes a chunked body from its first byte; what has arrived so far may
// end anywhere.
ChunkedBody decodeChunked(const QByteArray &raw);

// Redirect statuses the client follows.
bool isRedirect(int status);

// Retry-After as seconds from now: delta seconds or an HTTP date (a date in
// the past is 0), at most capSeconds; -1 when absent or unreadable.
int retryAfterSeconds(const QByteArray &value, const QDateTime &nowUtc, int capSeconds);

// A Location value resolved against the URL it came from; empty when it is
// not an http or https URL.
QByteArray resolveLocation(const QByteArray &base, const QByteArray &location);

}  // namespace vorq::net
