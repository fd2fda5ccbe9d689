#pragma once
// The print and save commands of song lists, shared by the main window and
// the result list window: the print dialog and the save dialog go through
// the Prompter, the work through the core's list output.
#include <QString>

#include "core/lists/listoutput.h"

class QWidget;

namespace vorq {

// Nothing for an empty list, a cancelled print dialog or an empty column
// set; otherwise the list on the chosen printer.
void printListCommand(QWidget *parent, const QList<QByteArray> &captions, const ListRows &rows,
                      const OutputChoice &choice, qint64 n);

// The list save dialog ("text file(タブ区切り)", *.txt, asks before
// overwriting) proposing the given name; empty when cancelled.
QString askListFileName(QWidget *parent, const QString &proposed);

}  // namespace vorq
