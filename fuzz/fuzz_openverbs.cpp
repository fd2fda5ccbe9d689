// Stored association texts (file.idx's file and method fields): a medium-
// rooted path never resolves outside its root, whatever the bytes; the
// scheme, verb and name checks take any text.
#include <cstdint>
#include <cstdlib>

#include "core/charts/mediumpath.h"
#include "core/charts/openverbs.h"
#include "core/text/sjistext.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    // A root that does not exist: the walk sees no links, only the text.
    static const QString root = QStringLiteral("/nonexistent-vorq-medium/root");
    const QString text = vorq::sjis::toUnicode(bytes);
    const QString resolved = vorq::resolveUnderRoot(text, root);
    if (!resolved.isEmpty() && resolved != root && !resolved.startsWith(root + QLatin1Char('/')))
        std::abort();
    if (resolved.contains(QLatin1String("/../")) || resolved.endsWith(QLatin1String("/.."))) std::abort();

    QString scheme;
    (void)vorq::classifyTarget(text, &scheme);
    (void)vorq::openActionFor(text);
    (void)vorq::isMailcapSafePath(text);
    return 0;
}
