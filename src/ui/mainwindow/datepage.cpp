#include "ui/mainwindow/datepage.h"

#include <QTableView>
#include <QVBoxLayout>

namespace vorq {

DatePage::DatePage(int tag, const QString &caption, QWidget *parent)
    : QWidget(parent), m_tag(tag), m_caption(caption) {}

void DatePage::setListView(QTableView *view) {
    m_view = view;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

}  // namespace vorq
