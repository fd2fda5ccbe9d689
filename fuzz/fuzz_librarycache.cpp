// The scan cache comes from disk: any bytes are read without harm, and a
// cache that is accepted writes back to one that reads the same. (Tag texts
// and the matching rules: fuzz_librarytext.)
#include <QBuffer>
#include <cstdint>
#include <cstdlib>

#include "core/library/libraryscan.h"

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
    return 0;
}
