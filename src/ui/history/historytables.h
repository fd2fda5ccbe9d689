#pragma once
// The table helpers the history window and the top lists share.
#include <QByteArray>
#include <QStringList>
#include <QTableWidget>

#include "core/history/charthistory.h"

namespace vorq::historytables {

QString u(const QByteArray &s);
QString label(int tag);
// Numbers that sort as numbers in a table.
QTableWidgetItem *numberItem(int n);
QTableWidget *makeTable(QWidget *parent, const QStringList &headers);
QString songName(const SongKey &k);

}  // namespace vorq::historytables
