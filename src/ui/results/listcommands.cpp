#include "ui/results/listcommands.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPrinter>
#include <optional>

#include "print/listprinting.h"
#include "ui/common/shellparts.h"
#include "ui/common/waitdialog.h"

namespace vorq {

void printListCommand(QWidget *parent, const QList<QByteArray> &captions, const ListRows &rows,
                      const OutputChoice &choice, qint64 n) {
    if (rows.size() == 0) return;
    QPrinter printer(QPrinter::HighResolution);
    if (!prompter().print(parent, &printer)) return;
    const PrintLayout layout(captions, rows, choice, n);
    if (layout.isEmpty()) return;
    CursorGuard busy;
    // A long list (the whole history is thousands of pages) shows its
    // progress once it has taken half a second; a chart's page flashes no
    // dialog. Printing has no stop in the design, so the dialog has none.
    QElapsedTimer clock;
    clock.start();
    std::optional<WaitGuard> wait;
    printList(&printer, layout, rows, [&](int percent) {
        if (!wait && clock.elapsed() < 500) return;
        if (!wait) wait.emplace(parent, QString(), false);
        (*wait)->setProgress(percent);
        // At most a hundred times: lets the dialog be drawn (a repaint before
        // the window is mapped shows an empty frame); it is application
        // modal, so no other window takes input meanwhile.
        QCoreApplication::processEvents();
    });
}

QString askListFileName(QWidget *parent, const QString &proposed) {
    return prompter().saveFile(parent, QString(), proposed, QStringLiteral("text file(タブ区切り) (*.txt)"),
                               QStringLiteral("txt"));
}

}  // namespace vorq
