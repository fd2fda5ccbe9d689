#include "listcommands.h"

#include <QPrinter>

#include "listprinting.h"
#include "shellparts.h"

namespace vorq {

void printListCommand(QWidget *parent, const QList<QByteArray> &captions, const ListRows &rows,
                      const OutputChoice &choice, qint64 n) {
    if (rows.size() == 0) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!prompter().print(parent, &printer)) return;
    const PrintLayout layout(captions, rows, choice, n);
    if (layout.isEmpty()) return;
    CursorGuard busy;
    printList(&printer, layout, rows);
}

QString askListFileName(QWidget *parent, const QString &proposed) {
    return prompter().saveFile(parent, QString(), proposed, QStringLiteral("text file(タブ区切り) (*.txt)"),
                               QStringLiteral("txt"));
}

}  // namespace vorq
