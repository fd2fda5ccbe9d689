#include "ui/history/historytables.h"

#include <QHeaderView>

#include "core/text/sjistext.h"

namespace vorq::historytables {

QString u(const QByteArray &s) { return sjis::toUnicode(s); }
QString label(int tag) { return tag ? u(dateLabelFromTag(tag)) : QString(); }

QTableWidgetItem *numberItem(int n) {
    auto *item = new QTableWidgetItem;
    item->setData(Qt::DisplayRole, n);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

QTableWidget *makeTable(QWidget *parent, const QStringList &headers) {
    auto *t = new QTableWidget(0, int(headers.size()), parent);
    t->setHorizontalHeaderLabels(headers);
    t->setEditTriggers(QAbstractItemView::NoEditTriggers);
    t->setSelectionBehavior(QAbstractItemView::SelectRows);
    t->setSelectionMode(QAbstractItemView::SingleSelection);
    t->verticalHeader()->hide();
    t->horizontalHeader()->setStretchLastSection(true);
    return t;
}

QString songName(const SongKey &k) { return u(k.title) + QStringLiteral(" / ") + u(k.artist); }

}  // namespace vorq::historytables
