#include "ui/history/toplistsdialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/history/yearend.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/history/historytables.h"
#include "ui/results/resultlistwindow.h"

namespace vorq {

using namespace historytables;

TopListsDialog::TopListsDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TopListsDialog"));
    setWindowTitle(QStringLiteral("ランキング集計"));
    resize(640, 560);
    orderBox = new QComboBox(this);
    orderBox->setObjectName(QStringLiteral("OrderBox"));
    orderBox->addItems({QStringLiteral("曲: チャートイン週数"), QStringLiteral("曲: 1位の週数"),
                        QStringLiteral("曲: 最高位(同位は週数)"), QStringLiteral("アーティスト: 1位の曲数"),
                        QStringLiteral("アーティスト: 延べ週数"), QStringLiteral("曲: 年間チャート"),
                        QStringLiteral("曲: 年代チャート"), QStringLiteral("アーティスト: 年間チャート"),
                        QStringLiteral("アーティスト: 年代チャート")});
    periodBox = new QComboBox(this);
    periodBox->setObjectName(QStringLiteral("PeriodBox"));
    periodBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    orderBox->setAccessibleName(QStringLiteral("集計"));
    periodBox->setAccessibleName(QStringLiteral("期間"));
    table = makeTable(this, {});
    table->setObjectName(QStringLiteral("TopTable"));
    table->setAccessibleName(QStringLiteral("集計結果"));
    table->setToolTip(QStringLiteral("ダブルクリックでチャート履歴"));
    saveListButton = new QPushButton(QStringLiteral("曲目リスト保存"), this);
    saveListButton->setObjectName(QStringLiteral("SaveListButton"));
    savePlaylistButton = new QPushButton(QStringLiteral("プレイリスト保存"), this);
    savePlaylistButton->setObjectName(QStringLiteral("SavePlaylistButton"));
    playButton = new QPushButton(QStringLiteral("再生"), this);
    playButton->setObjectName(QStringLiteral("PlayButton"));
    playButton->setToolTip(QStringLiteral("リストの曲をカウントダウン再生します"));
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);
    auto *layout = new QVBoxLayout(this);
    auto *choice = new QHBoxLayout;
    choice->addWidget(orderBox, 1);
    choice->addWidget(periodBox);
    layout->addLayout(choice);
    layout->addWidget(table, 1);
    auto *row = new QHBoxLayout;
    row->addWidget(saveListButton);
    row->addWidget(savePlaylistButton);
    row->addWidget(playButton);
    row->addStretch();
    row->addWidget(close);
    layout->addLayout(row);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(orderBox, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(periodBox, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(saveListButton, &QPushButton::clicked, this, [this] { onSaveClicked(false); });
    connect(savePlaylistButton, &QPushButton::clicked, this, [this] { onSaveClicked(true); });
    connect(table, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        if (row < 0 || row >= m_items.size()) return;
        const SongKey &song = m_items.at(row).song;
        if (song.title.isEmpty())
            emit artistChosen(song.artist);
        else
            emit songChosen(song);
    });
}

void TopListsDialog::setHistory(std::function<const ChartHistory &()> history,
                                std::function<const QList<ChartTab> &()> tabs) {
    m_history = std::move(history);
    m_tabs = std::move(tabs);
    fill();
}

void TopListsDialog::fill() {
    if (!m_history) return;
    const int choice = orderBox->currentIndex();
    // Only songs have files to play.
    const bool songs = choice == int(TopOrder::Weeks) || choice == int(TopOrder::Number1) ||
                       choice == int(TopOrder::Peak) || choice == SongsOfYear || choice == SongsOfDecade;
    ScopeExit playable([this, songs] { playButton->setEnabled(songs && !m_items.isEmpty()); });
    if (choice >= SongsOfYear) {
        const bool decade = choice == SongsOfDecade || choice == ArtistsOfDecade;
        fillPeriods(decade);
        fillPoints(decade, choice >= ArtistsOfYear);
        return;
    }
    periodBox->setEnabled(false);
    const auto order = TopOrder(choice);
    const QList<TopEntry> entries = m_history().top(order, 100);
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
    table->setRowCount(int(entries.size()));
    m_items.clear();
    for (int i = 0; i < entries.size(); ++i) {
        const TopEntry &e = entries.at(i);
        m_items.append({e.song, QByteArray::number(e.primary)});
        int c = 0;
        table->setItem(i, c++, numberItem(i + 1));
        if (!artists) table->setItem(i, c++, new QTableWidgetItem(u(e.song.title)));
        table->setItem(i, c++, new QTableWidgetItem(u(e.song.artist)));
        table->setItem(i, c++, numberItem(e.primary));
        if (order == TopOrder::Peak) table->setItem(i, c++, numberItem(e.secondary));
    }
    table->resizeColumnsToContents();
}

// The loaded years or decades, newest first; the chosen one stays chosen
// while it is still loaded, else the newest is.
void TopListsDialog::fillPeriods(bool decades) {
    QList<int> periods;
    for (int year : chartYears(m_history())) {
        const int p = decades ? year / 10 * 10 : year;
        if (periods.isEmpty() || periods.first() != p) periods.prepend(p);
    }
    const bool wasDecades = periodBox->property("decades").toBool();
    const QVariant chosen = wasDecades == decades ? periodBox->currentData() : QVariant();
    const QSignalBlocker quiet(periodBox);
    periodBox->clear();
    periodBox->setProperty("decades", decades);
    for (int p : periods)
        periodBox->addItem(QString::number(p) + (decades ? QStringLiteral("年代") : QStringLiteral("年")), p);
    periodBox->setCurrentIndex(std::max(0, periodBox->findData(chosen)));
    periodBox->setEnabled(!periods.isEmpty());
}

void TopListsDialog::fillPoints(bool decade, bool artists) {
    QList<YearEndEntry> chart;
    if (periodBox->currentIndex() >= 0) {
        const int first = periodBox->currentData().toInt();
        chart = yearEndChart(m_history(), first, decade ? first + 9 : first,
                             artists ? YearEndBy::Artist : YearEndBy::Song, 100);
    }
    QStringList headers{QStringLiteral("順位")};
    if (!artists) headers << QStringLiteral("曲名");
    headers << QStringLiteral("アーティスト") << QStringLiteral("ポイント") << QStringLiteral("最高位")
            << QStringLiteral("週数");
    table->clear();
    table->setColumnCount(int(headers.size()));
    table->setHorizontalHeaderLabels(headers);
    table->setRowCount(int(chart.size()));
    m_items.clear();
    for (int i = 0; i < chart.size(); ++i) {
        const YearEndEntry &e = chart.at(i);
        m_items.append({e.song, QByteArray::number(e.points)});
        int c = 0;
        table->setItem(i, c++, numberItem(e.position));
        if (!artists) table->setItem(i, c++, new QTableWidgetItem(u(e.song.title)));
        table->setItem(i, c++, new QTableWidgetItem(u(e.song.artist)));
        table->setItem(i, c++, numberItem(e.points));
        table->setItem(i, c++, numberItem(e.peak));
        table->setItem(i, c++, numberItem(e.weeks));
    }
    table->resizeColumnsToContents();
}

void TopListsDialog::onSaveClicked(bool playlist) {
    if (!m_resultWindow || m_items.isEmpty()) return;
    runGuarded(this, [&] {
        static const QList<ChartTab> none;
        const QString period = periodBox->isEnabled() ? periodBox->currentText() : QStringLiteral("全期間");
        m_resultWindow->setRows(topListRows(m_items, sjis::fromUnicode(period), m_tabs ? m_tabs() : none));
        m_resultWindow->setHeaderText(orderBox->currentText() + u' ' + period);
        if (playlist)
            m_resultWindow->onSavePlaylistClicked();
        else
            m_resultWindow->onSaveClicked();
    });
}

}  // namespace vorq
