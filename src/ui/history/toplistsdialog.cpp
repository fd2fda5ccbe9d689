#include "ui/history/toplistsdialog.h"

#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/history/historytables.h"

namespace vorq {

using namespace historytables;

TopListsDialog::TopListsDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TopListsDialog"));
    setWindowTitle(QStringLiteral("ランキング集計"));
    resize(560, 520);
    orderBox = new QComboBox(this);
    orderBox->setObjectName(QStringLiteral("OrderBox"));
    orderBox->addItems({QStringLiteral("曲: チャートイン週数"), QStringLiteral("曲: 1位の週数"),
                        QStringLiteral("曲: 最高位(同位は週数)"), QStringLiteral("アーティスト: 1位の曲数"),
                        QStringLiteral("アーティスト: 延べ週数")});
    table = makeTable(this, {});
    table->setObjectName(QStringLiteral("TopTable"));
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(orderBox);
    layout->addWidget(table, 1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(orderBox, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(table, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        if (row < 0 || row >= m_entries.size()) return;
        const TopEntry &e = m_entries.at(row);
        if (e.song.title.isEmpty())
            emit artistChosen(e.song.artist);
        else
            emit songChosen(e.song);
    });
}

void TopListsDialog::setHistory(std::function<const ChartHistory &()> history) {
    m_history = std::move(history);
    fill();
}

void TopListsDialog::fill() {
    if (!m_history) return;
    const auto order = TopOrder(orderBox->currentIndex());
    m_entries = m_history().top(order, 100);
    const bool artists = order == TopOrder::ArtistNumber1 || order == TopOrder::ArtistWeeks;
    QStringList headers{QStringLiteral("順位")};
    if (!artists) headers << QStringLiteral("曲名");
    headers << QStringLiteral("アーティスト");
    const QString value[] = {QStringLiteral("週数"), QStringLiteral("1位週数"), QStringLiteral("最高位"),
                             QStringLiteral("1位の曲数"), QStringLiteral("延べ週数")};
    headers << value[int(order)];
    if (order == TopOrder::Peak) headers << QStringLiteral("週数");
    table->clear();
    table->setColumnCount(int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(int(m_entries.size()));
    for (int i = 0; i < m_entries.size(); ++i) {
        const TopEntry &e = m_entries.at(i);
        int c = 0;
        table->setItem(i, c++, numberItem(i + 1));
        if (!artists) table->setItem(i, c++, new QTableWidgetItem(u(e.song.title)));
        table->setItem(i, c++, new QTableWidgetItem(u(e.song.artist)));
        table->setItem(i, c++, numberItem(e.primary));
        if (order == TopOrder::Peak) table->setItem(i, c++, numberItem(e.secondary));
    }
    table->resizeColumnsToContents();
}

}  // namespace vorq
