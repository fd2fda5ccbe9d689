#include "net/httpresponse.h"

#include <QLocale>
#include <QTimeZone>
#include <QUrl>

namespace vorq::net {

QByteArray ResponseHead::field(const QByteArray &name) const {
    for (const auto &f : fields)
        if (f.first.compare(name, Qt::CaseInsensitive) == 0) return f.second;
    return QByteArray();
}

qint64 ResponseHead::contentLength() const {
    const QByteArray v = field("Content-Length");
    if (v.isEmpty()) return -1;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok, 10);
    return ok && n >= 0 ? n : -1;
}

bool ResponseHead::chunked() const {
    return field("Transfer-Encoding").trimmed().toLower().endsWith("chunked");
}

ResponseHead parseResponseHead(const QByteArray &block) {
    ResponseHead head;
    QList<QByteArray> lines = block.split('\n');
    for (QByteArray &l : lines)
        if (l.endsWith('\r')) l.chop(1);
    if (lines.isEmpty()) return head;
    const QByteArray &statusLine = lines.first();
    if (!statusLine.startsWith("HTTP/")) return head;
    const qsizetype sp = statusLine.indexOf(' ');
    if (sp < 0) return head;
    const QByteArray code = statusLine.mid(sp + 1, 3);
    bool ok = false;
    const int status = code.toInt(&ok);
    if (!ok || code.size() != 3 || status < 100) return head;
    head.valid = true;
    head.status = status;
    head.reason = statusLine.mid(sp + 4).trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        if (colon <= 0) continue;
        head.fields.append({lines[i].left(colon).trimmed(), lines[i].mid(colon + 1).trimmed()});
    }
    return head;
}

ChunkedBody decodeChunked(const QByteArray &raw) {
    ChunkedBody out;
    qsizetype at = 0;
    for (;;) {
        const qsizetype eol = raw.indexOf("\r\n", at);
        if (eol < 0) return out;
        QByteArray sizeText = raw.mid(at, eol - at);
        const qsizetype ext = sizeText.indexOf(';');
        if (ext >= 0) sizeText.truncate(ext);
        bool ok = false;
        const qint64 size = sizeText.trimmed().toLongLong(&ok, 16);
        if (!ok || size < 0 || sizeText.trimmed().isEmpty()) {
            out.malformed = true;
            return out;
        }
        at = eol + 2;
        if (size == 0) {
            // Trailer fields up to an empty line.
            for (;;) {
                const qsizetype end = raw.indexOf("\r\n", at);
                if (end < 0) return out;
                if (end == at) {
                    out.complete = true;
                    return out;
                }
                at = end + 2;
            }
        }
        if (raw.size() - at < size) {
            out.body.append(raw.constData() + at, raw.size() - at);
            return out;
        }
        out.body.append(raw.constData() + at, size);
        at += size;
        if (raw.size() - at < 2) return out;
        if (raw.at(at) != '\r' || raw.at(at + 1) != '\n') {
            out.malformed = true;
            return out;
        }
        at += 2;
    }
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

int retryAfterSeconds(const QByteArray &value, const QDateTime &nowUtc, int capSeconds) {
    const QByteArray v = value.trimmed();
    if (v.isEmpty()) return -1;
    bool ok = false;
    const qint64 delta = v.toLongLong(&ok, 10);
    if (ok) return delta < 0 ? -1 : int(qMin<qint64>(delta, capSeconds));
    // An HTTP date: the fixed form, the old RFC 850 form or asctime's. The
    // day name is dropped: Qt would check it against a two-digit year's
    // century.
    QString text = QString::fromLatin1(v).simplified();
    text = text.mid(text.indexOf(QLatin1Char(' ')) + 1);
    const QLocale c = QLocale::c();
    QDateTime when;
    for (const char *format :
         {"dd MMM yyyy HH:mm:ss 'GMT'", "dd-MMM-yy HH:mm:ss 'GMT'", "MMM d HH:mm:ss yyyy"}) {
        when = c.toDateTime(text, QString::fromLatin1(format));
        if (when.isValid()) break;
    }
    if (!when.isValid()) return -1;
    when.setTimeSpec(Qt::UTC);
    // Two-digit years of the old form are taken as 19xx by Qt.
    if (when.date().year() < 1970) when = when.addYears(100);
    const qint64 secs = nowUtc.secsTo(when);
    return int(qBound<qint64>(0, secs, qint64(capSeconds)));
}

QByteArray resolveLocation(const QByteArray &base, const QByteArray &location) {
    const QUrl target =
        QUrl(QString::fromLatin1(base)).resolved(QUrl(QString::fromLatin1(location.trimmed())));
    const QString scheme = target.scheme().toLower();
    if (!target.isValid() || (scheme != QLatin1String("http") && scheme != QLatin1String("https")) ||
        target.host().isEmpty())
        return QByteArray();
    return target.toEncoded();
}

}  // namespace vorq::net
