#include "print/listprinting.h"

#include <QPagedPaintDevice>

#include "core/base/errors.h"
#include "core/text/sjistext.h"
#include "print/textdevice.h"

namespace vorq {

int printList(QPagedPaintDevice *device, const PrintLayout &layout, const ListRows &rows,
              const std::function<void(int percent)> &progress) {
    TextDevice out(device);
    out.setFont(TextDevice::listFont());
    out.setColor(Qt::black);
    out.setBold(true);
    if (!out.begin()) throw FileError(QStringLiteral("印刷を開始できません。"));
    out.writeLine(sjis::toUnicode(layout.header()));
    out.setBold(false);
    const qsizetype n = layout.rowCount();
    int shown = 0;
    for (qsizetype r = 0; r < n; ++r) {
        out.setColor(layout.isRed(rows, r) ? Qt::red : Qt::black);
        out.writeLine(sjis::toUnicode(layout.line(rows, r)));
        if (progress) {
            const int percent = int(qint64(r + 1) * 100 / n);
            if (percent > shown) progress(shown = percent);
        }
    }
    const int pages = out.pageCount();
    out.end();
    return pages;
}

}  // namespace vorq
