// The scan cache and tag texts come from disk and from files of others: any
// bytes are read without harm, a cache that is accepted writes back to one
// that reads the same, and tag and match texts of any bytes normalise.
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer in(&bytes);
    in.open(QIODevice::ReadOnly);
    vorq::ScanCache cache;
    if (cache.read(&in)) {
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        cache.write(&out);
        out.close();
        QBuffer again(&written);
        again.open(QIODevice::ReadOnly);
        vorq::ScanCache reread;
        if (!reread.read(&again) || reread.size() != cache.size()) std::abort();
    }
    const QString text = vorq::decodeLegacyTagText(bytes.left(64));
    const vorq::MatchText m = vorq::normalizeForMatch(text + QString::fromUtf8(bytes.left(256)), true);
    if (vorq::textSimilarity(m.core, m.core) != 1.0) std::abort();
    return 0;
}
