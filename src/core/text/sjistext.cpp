#include "core/text/sjistext.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <cerrno>
#include <cstring>

#include "core/base/errors.h"

namespace vorq::sjis {

namespace {
constexpr const char *kCodecName = "windows-31j";
}

qsizetype charCount(const QByteArray &s) noexcept {
    qsizetype n = 0;
    for (qsizetype i = 0; i < s.size(); i += charLength(s, i)) ++n;
    return n;
}

void ensureCodec() {
    QStringDecoder dec(kCodecName);
    QStringEncoder enc(kCodecName);
    if (!dec.isValid() || !enc.isValid())
        throw EncodingError(
            QStringLiteral("The Shift-JIS codec \"windows-31j\" is not available "
                           "(Qt was built without ICU)."));
    // Guard against a codec that is present but not CP932.
    const QString probe = dec.decode(QByteArray("\x81\x60\x82\xa0", 4));
    if (probe != QString(QChar(0xFF5E)) + QChar(0x3042))
        throw EncodingError(QStringLiteral("The \"windows-31j\" codec does not decode CP932."));
}

QString toUnicode(const QByteArray &bytes) {
    // Opening the codec costs more than decoding a path or a title: one
    // decoder per thread, its state cleared after each text as a fresh one
    // would start (an unfinished character at the end is dropped).
    thread_local QStringDecoder dec(kCodecName);
    QString out = dec.decode(bytes);
    dec.resetState();
    return out;
}

bool tryFromUnicode(const QString &text, QByteArray *out) {
    QStringEncoder enc(kCodecName);
    QByteArray bytes = enc.encode(text);
    // ICU substitutes what it cannot map; a round trip exposes it.
    if (enc.hasError() || toUnicode(bytes) != text) return false;
    *out = std::move(bytes);
    return true;
}

QByteArray fromUnicode(const QString &text) {
    QByteArray out;
    if (tryFromUnicode(text, &out)) return out;
    // Name the first character that does not fit.
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()) ? 2 : 1;
        const QString ch = text.mid(i, len);
        QByteArray tmp;
        if (!tryFromUnicode(ch, &tmp))
            throw EncodingError(
                QStringLiteral("「%1」(U+%2) は Shift-JIS で保存できない文字です。")
                    .arg(ch, QString::number(ch.toUcs4().value(0), 16).rightJustified(4, u'0').toUpper()));
        i += len;
    }
    throw EncodingError(QStringLiteral("この文字列は Shift-JIS で保存できません。"));
}

QByteArray lit(const char *utf8) { return fromUnicode(QString::fromUtf8(utf8)); }

QList<QByteArray> splitLines(const QByteArray &text) {
    QList<QByteArray> lines;
    const char *p = text.constData();
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n; ++i) {
        const char c = p[i];
        if (c != '\r' && c != '\n') continue;
        lines.append(QByteArray(p + start, i - start));
        if (c == '\r' && i + 1 < n && p[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < n) lines.append(QByteArray(p + start, n - start));
    return lines;
}

QByteArray joinLines(const QList<QByteArray> &lines) {
    qsizetype total = 0;
    for (const QByteArray &l : lines) total += l.size() + 2;
    QByteArray out;
    out.reserve(total);
    for (const QByteArray &l : lines) {
        out.append(l);
        out.append("\r\n", 2);
    }
    return out;
}

QByteArray readFile(const QString &fileName, qint64 maxBytes) {
    QFile f(fileName);
    if (!f.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("ファイル %1 を開けません: %2").arg(fileName, f.errorString()));
    if (f.size() > maxBytes)
        throw FileError(
            QStringLiteral("ファイル %1 は大きすぎます (%2 バイト)。").arg(fileName).arg(f.size()));
    // Read by the file's own size (a pipe or special file reports 0: read
    // in chunks up to the bound) rather than reserving the whole bound.
    QByteArray data;
    if (f.size() > 0) {
        data = f.read(f.size());
    } else {
        while (!f.atEnd() && data.size() <= maxBytes) {
            const QByteArray chunk = f.read(64 * 1024);
            if (chunk.isEmpty()) break;
            data.append(chunk);
        }
    }
    if (data.size() > maxBytes) throw FileError(QStringLiteral("ファイル %1 は大きすぎます。").arg(fileName));
    if (f.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("ファイル %1 を読み込めません: %2").arg(fileName, f.errorString()));
    return data;
}

QList<QByteArray> readLines(const QString &fileName, qint64 maxBytes) {
    return splitLines(readFile(fileName, maxBytes));
}

bool writeLines(QIODevice *device, const QList<QByteArray> &lines) {
    const QByteArray data = joinLines(lines);
    return device->write(data) == data.size();
}

bool syncFolderOf(const QString &fileName) {
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void saveFile(const QString &fileName, const QByteArray &content) {
    QSaveFile f(fileName);
    if (!f.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2").arg(fileName, f.errorString()));
    if (f.write(content) != content.size() || !f.commit())
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2").arg(fileName, f.errorString()));
    // The rename is in the folder of the file the name resolves to. Some
    // file systems cannot sync a folder: the file is written all the same.
    const QString written = QFileInfo(fileName).canonicalFilePath();
    syncFolderOf(written.isEmpty() ? fileName : written);
}

void saveFileNotThroughLinks(const QString &fileName, const QByteArray &content, bool executable) {
    const QByteArray target = QFile::encodeName(fileName);
    struct stat st;
    if (::lstat(target.constData(), &st) == 0 && S_ISLNK(st.st_mode))
        throw FileError(
            QStringLiteral("%1 はリンクです。リンク先を書き換えないため、書き込みません。").arg(fileName));
    // A fresh file beside it, renamed over the name: rename(2) replaces the
    // name itself, whatever it was, and never writes through it.
    QByteArray temp;
    int fd = -1;
    for (int i = 0; i < 16 && fd < 0; ++i) {
        temp = target + ".tmp" + QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, executable ? 0777 : 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0)
        throw FileError(QStringLiteral("ファイル %1 を作成できません: %2")
                            .arg(fileName, QString::fromLocal8Bit(strerror(errno))));
    qsizetype done = 0;
    while (done < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += n;
    }
    bool ok = done == content.size();
    int err = ok ? 0 : (errno ? errno : EIO);
    if (ok && ::fdatasync(fd) != 0) {
        ok = false;
        err = errno;
    }
    ::close(fd);
    if (ok && ::rename(temp.constData(), target.constData()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        ::unlink(temp.constData());
        throw FileError(QStringLiteral("ファイル %1 に書き込めません: %2")
                            .arg(fileName, QString::fromLocal8Bit(strerror(err))));
    }
    syncFolderOf(fileName);
}

void saveLines(const QString &fileName, const QList<QByteArray> &lines) {
    saveFile(fileName, joinLines(lines));
}

qsizetype indexOfOnBoundary(const QByteArray &haystack, const QByteArray &needle, qsizetype from) {
    if (needle.isEmpty()) return -1;
    qsizetype i = 0;  // always a character boundary
    while (i < from && i < haystack.size()) i += charLength(haystack, i);
    while (i < haystack.size()) {
        const qsizetype pos = haystack.indexOf(needle, i);
        if (pos < 0) return -1;
        while (i < pos) i += charLength(haystack, i);
        if (i == pos) return pos;
        // pos fell on a trailing byte; search again from the next boundary.
    }
    return -1;
}

QByteArray normalizeTitle(const QByteArray &text) {
    QByteArray out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n;) {
        const auto a = static_cast<unsigned char>(text.at(i));
        if (isLeadByte(a) && i + 1 < n) {
            const auto b = static_cast<unsigned char>(text.at(i + 1));
            if (a == 0x82 && b >= 0x4F && b <= 0x9A) {
                out.append(static_cast<char>(b <= 0x7E ? b - 0x1F : b - 0x20));
            } else if (a == 0x81 && b == 0x40) {
                out.append(' ');
            } else {
                out.append(static_cast<char>(a));
                out.append(static_cast<char>(b));
            }
            i += 2;
        } else {
            out.append(static_cast<char>(a));
            ++i;
        }
    }
    return out;
}

QByteArray normalizeArtist(const QByteArray &text) {
    QByteArray s = normalizeTitle(text);
    if (!s.isEmpty() && s.contains(' ') && charCount(s) != s.size()) s.replace(" ", "");
    return s;
}

}  // namespace vorq::sjis
