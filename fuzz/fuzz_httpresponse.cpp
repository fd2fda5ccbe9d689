// What the client reads from a server, on arbitrary bytes: the header block,
// chunked bodies, Retry-After and Location. Invariants: a chunked decode
// never yields more than it was given, a decode of a prefix is a prefix of
// the decode of the whole (unless the whole turns out malformed), and
// Retry-After stays within its cap.
#include <cstdlib>

#include "net/httpresponse.h"

using namespace vorq::net;

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    const QByteArray in(reinterpret_cast<const char *>(data), qsizetype(size));
    const qsizetype split = in.indexOf("\r\n\r\n");
    const QByteArray head = split < 0 ? in : in.left(split);
    const QByteArray body = split < 0 ? QByteArray() : in.mid(split + 4);

    const ResponseHead h = parseResponseHead(head);
    if (h.valid && (h.status < 100 || h.status > 999)) std::abort();
    (void)h.contentLength();
    (void)h.chunked();

    const ChunkedBody whole = decodeChunked(body);
    if (whole.body.size() > body.size()) std::abort();
    const ChunkedBody part = decodeChunked(body.left(body.size() / 2));
    if (!whole.malformed && !part.malformed && !whole.body.startsWith(part.body)) std::abort();

    const int secs =
        retryAfterSeconds(h.field("Retry-After").isEmpty() ? head.left(40) : h.field("Retry-After"),
                          QDateTime(QDate(2026, 12, 8), QTime(10, 0), Qt::UTC), 600);
    if (secs < -1 || secs > 600) std::abort();
    (void)resolveLocation("https://www.vorq.example/a/b.html", h.field("Location"));
    return 0;
}
