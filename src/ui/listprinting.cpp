#include "listprinting.h"

#include <QPagedPaintDevice>

#include "errors.h"
#include "sjistext.h"
#include "textdevice.h"

namespace vorq {

int printList(QPagedPaintDevice *device, const PrintLayout &layout, const ListRows &rows) {
    TextDevice out(device);
    out.setFont(TextDevice::listFont());
    out.setColor(Qt::black);
    out.setBold(true);
    if (!out.begin()) throw FileError(QStringLiteral("印刷を開始できません。"));
    out.writeLine(sjis::toUnicode(layout.header()));
    out.setBold(false);
    for (qsizetype r = 0; r < layout.rowCount(); ++r) {
        out.setColor(layout.isRed(rows, r) ? Qt::red : Qt::black);
        out.writeLine(sjis::toUnicode(layout.line(rows, r)));
    }
    const int pages = out.pageCount();
    out.end();
    return pages;
}

}  // namespace vorq
