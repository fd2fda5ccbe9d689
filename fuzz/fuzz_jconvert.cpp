// DetectCodeKind and every direction of ConvertJapanese on arbitrary bytes:
// they terminate, stay in bounds, keep the output within 5n + 8 bytes, and
// return texts they do not convert unchanged.
#include <cstdlib>

#include "core/text/jconvert.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
    const QByteArray s(reinterpret_cast<const char *>(data), qsizetype(size));
    const int kind = vorq::DetectCodeKind(s);
    if (kind < 0 || kind > 6) std::abort();
    for (int target : {2, 3, 4, 5, 6}) {
        const QByteArray out = vorq::ConvertJapanese(s, target);
        if (out.size() > 5 * s.size() + 8) std::abort();
        const bool untouched = kind < 2 || kind == 6 || kind == target || target == 3 || target == 6 ||
                               (target == 2 && kind == 3);
        if (untouched && out != s) std::abort();
    }
    return 0;
}
