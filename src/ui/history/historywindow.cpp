#include "ui/history/historywindow.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/history/yearend.h"
#include "core/text/sjistext.h"
#include "ui/common/shellparts.h"
#include "ui/history/chartrunplot.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;

namespace {

QString u(const QByteArray &s) { return sjis::toUnicode(s); }
QString label(int tag) { return tag ? u(dateLabelFromTag(tag)) : QString(); }

// Numbers that sort as numbers in a table.
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

}  // namespace

// ---- history window ------------------------------------------------------------

HistoryWindow::HistoryWindow(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(820, 600);
    plot = new ChartRunPlot(this);
    figuresLabel = new QLabel(this);
    figuresLabel->setObjectName(QStringLiteral("FiguresLabel"));
    figuresLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    figuresLabel->setAlignment(Qt::AlignTop | Qt::AlignLeft);
    appearanceTable = makeTable(this, {});
    appearanceTable->setObjectName(QStringLiteral("AppearanceTable"));
    savePngButton = new QPushButton(QStringLiteral("PNG保存(&P)..."), this);
    savePngButton->setObjectName(QStringLiteral("SavePngButton"));
    saveSvgButton = new QPushButton(QStringLiteral("SVG保存(&S)..."), this);
    saveSvgButton->setObjectName(QStringLiteral("SaveSvgButton"));
    auto *close = new QPushButton(QStringLiteral("閉じる"), this);

    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(plot);
    auto *lower = new QWidget(split);
    auto *lowerLayout = new QHBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(figuresLabel);
    lowerLayout->addWidget(appearanceTable, 1);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(savePngButton);
    buttons->addWidget(saveSvgButton);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(split, 1);
    layout->addLayout(buttons);

    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(savePngButton, &QPushButton::clicked, this, [this] { onExport(false); });
    connect(saveSvgButton, &QPushButton::clicked, this, [this] { onExport(true); });
    connect(appearanceTable, &QTableWidget::cellDoubleClicked, this, [this](int row) {
        const QTableWidgetItem *item = appearanceTable->item(row, 0);
        if (!item) return;
        if (m_artistMode) {
            const int i = item->data(Qt::UserRole).toInt();
            if (i >= 0 && i < m_songs.size()) emit songChosen(m_songs.at(i));
        } else {
            emit weekChosen(item->data(Qt::UserRole).toInt());
        }
    });
}

void HistoryWindow::showSong(const SongFigures &f) {
    m_artistMode = false;
    setWindowTitle(QStringLiteral("チャート履歴 - ") + songName(f.song));
    plot->setSeries({{u(f.song.title), f}});
    figuresLabel->setText(
        QStringLiteral("<b>%1</b><br>%2<br><br>"
                       "初登場: %3 (%4位)<br>最終: %5 (%6位)<br>"
                       "最高位: %7位 (%8, %9週)<br>チャートイン: %10週<br>"
                       "1位: %11週<br>ラン: %12 (再登場 %13回)")
            .arg(u(f.song.title).toHtmlEscaped(), u(f.song.artist).toHtmlEscaped(), label(f.debutTag))
            .arg(f.debutRank)
            .arg(label(f.lastTag))
            .arg(f.lastRank)
            .arg(f.peakRank)
            .arg(label(f.peakTag))
            .arg(f.weeksAtPeak)
            .arg(f.weeks)
            .arg(f.weeksAtNumber1)
            .arg(f.runs)
            .arg(f.reentries()));
    appearanceTable->setSortingEnabled(false);
    appearanceTable->clear();
    appearanceTable->setColumnCount(2);
    appearanceTable->setHorizontalHeaderLabels({QStringLiteral("日付"), QStringLiteral("順位")});
    appearanceTable->setRowCount(int(f.appearances.size()));
    for (int i = 0; i < f.appearances.size(); ++i) {
        const Appearance &a = f.appearances.at(i);
        auto *date = new QTableWidgetItem(label(a.tag));
        date->setData(Qt::UserRole, a.tag);
        appearanceTable->setItem(i, 0, date);
        appearanceTable->setItem(i, 1, numberItem(a.rank));
    }
    appearanceTable->resizeColumnToContents(0);
}

void HistoryWindow::showArtist(const ArtistFigures &a) {
    m_artistMode = true;
    setWindowTitle(QStringLiteral("チャート履歴 - ") + u(a.artist));
    QList<ChartRunPlot::Series> series;
    m_songs.clear();
    for (const SongFigures &f : a.songList) {
        series.append({u(f.song.title), f});
        m_songs.append(f.song);
    }
    plot->setSeries(series);
    figuresLabel->setText(QStringLiteral("<b>%1</b><br><br>曲数: %2<br>1位の曲: %3<br>延べ週数: %4<br>"
                                         "初登場: %5<br>最終: %6<br>代表曲: %7")
                              .arg(u(a.artist).toHtmlEscaped())
                              .arg(a.songs)
                              .arg(a.number1Songs)
                              .arg(a.totalWeeks)
                              .arg(label(a.firstTag), label(a.lastTag),
                                   a.bestSong ? u(a.bestSong->title).toHtmlEscaped() : QString()));
    appearanceTable->setSortingEnabled(false);
    appearanceTable->clear();
    appearanceTable->setColumnCount(4);
    appearanceTable->setHorizontalHeaderLabels(
        {QStringLiteral("曲名"), QStringLiteral("最高位"), QStringLiteral("週数"), QStringLiteral("初登場")});
    appearanceTable->setRowCount(int(a.songList.size()));
    for (int i = 0; i < a.songList.size(); ++i) {
        const SongFigures &f = a.songList.at(i);
        auto *title = new QTableWidgetItem(u(f.song.title));
        title->setData(Qt::UserRole, i);
        appearanceTable->setItem(i, 0, title);
        appearanceTable->setItem(i, 1, numberItem(f.peakRank));
        appearanceTable->setItem(i, 2, numberItem(f.weeks));
        auto *debut = new QTableWidgetItem(label(f.debutTag));
        debut->setData(Qt::UserRole + 1, f.debutTag);
        appearanceTable->setItem(i, 3, debut);
    }
    appearanceTable->setSortingEnabled(true);
    appearanceTable->resizeColumnToContents(0);
}

void HistoryWindow::onExport(bool svg) {
    runGuarded(this, [&] {
        const QString name = prompter().saveFile(
            this, svg ? QStringLiteral("SVGで保存") : QStringLiteral("PNGで保存"), QString(),
            svg ? QStringLiteral("SVG (*.svg)") : QStringLiteral("PNG (*.png)"),
            svg ? QStringLiteral("svg") : QStringLiteral("png"));
        if (name.isEmpty()) return;
        QString error;
        const QSize size = plot->size().expandedTo(QSize(640, 320));
        if (!(svg ? plot->exportSvg(name, size, &error) : plot->exportPng(name, size, &error)))
            prompter().error(this, QStringLiteral("%1 を保存できませんでした。\r\n%2").arg(name, error));
    });
}

// ---- top lists ----------------------------------------------------------------------

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
    table = makeTable(this, {});
    table->setObjectName(QStringLiteral("TopTable"));
    table->setToolTip(QStringLiteral("ダブルクリックでチャート履歴"));
    saveListButton = new QPushButton(QStringLiteral("曲目リスト保存"), this);
    saveListButton->setObjectName(QStringLiteral("SaveListButton"));
    savePlaylistButton = new QPushButton(QStringLiteral("プレイリスト保存"), this);
    savePlaylistButton->setObjectName(QStringLiteral("SavePlaylistButton"));
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

// ---- commands on the main window -------------------------------------------------

HistoryCommands::HistoryCommands(MainWindow *window) : QObject(window), m_main(window) {
    setObjectName(QStringLiteral("HistoryCommands"));
    auto add = [&](const QString &name, const QString &text, const QKeySequence &keys,
                   void (HistoryCommands::*slot)()) {
        auto *action = new QAction(text, window);
        action->setObjectName(name);
        action->setShortcut(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
        connect(action, &QAction::triggered, this, [this, slot] { (this->*slot)(); });
        return action;
    };
    songAction = add(QStringLiteral("SongHistory"), QStringLiteral("この曲のチャート履歴(&H)"),
                     QKeySequence(Qt::CTRL | Qt::Key_H), &HistoryCommands::showSongOfSelection);
    artistAction =
        add(QStringLiteral("ArtistHistory"), QStringLiteral("このアーティストのチャート履歴"),
            QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H), &HistoryCommands::showArtistOfSelection);
    add(QStringLiteral("TopLists"), QStringLiteral("ランキング集計"), QKeySequence(Qt::CTRL | Qt::Key_T),
        &HistoryCommands::showTopLists);
}

const ChartHistory &HistoryCommands::history() {
    // The loaded dates decide the index; association edits do not matter.
    size_t key = size_t(m_main->store().tabs.size());
    for (const ChartTab &t : m_main->store().tabs) key = key * 1000003u ^ size_t(t.tag);
    if (!m_history || key != m_key) {
        m_history = std::make_unique<ChartHistory>(m_main->store().tabs);
        m_key = key;
    }
    return *m_history;
}

void HistoryCommands::showSongOfSelection() {
    const ChartEntry *e = m_main->selectedEntry();
    if (e) showSong({e->title, e->artist});
}

void HistoryCommands::showArtistOfSelection() {
    const ChartEntry *e = m_main->selectedEntry();
    if (e) showArtist(e->artist);
}

void HistoryCommands::ensureWindow() {
    if (m_window) return;
    m_window = new HistoryWindow(m_main);
    connect(m_window, &HistoryWindow::weekChosen, this, &HistoryCommands::showWeek);
    connect(m_window, &HistoryWindow::songChosen, this, &HistoryCommands::showSong);
}

void HistoryCommands::showSong(const SongKey &song) {
    runGuarded(m_main, [&] {
        const std::optional<SongFigures> f = history().song(song);
        if (!f) return;
        ensureWindow();
        m_window->showSong(*f);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
}

void HistoryCommands::showArtist(const QByteArray &artist) {
    runGuarded(m_main, [&] {
        const std::optional<ArtistFigures> f = history().artist(artist);
        if (!f) return;
        ensureWindow();
        m_window->showArtist(*f);
        m_window->show();
        m_window->raise();
        m_window->activateWindow();
    });
}

void HistoryCommands::showTopLists() {
    runGuarded(m_main, [&] {
        if (!m_top) {
            m_top = new TopListsDialog(m_main);
            connect(m_top, &TopListsDialog::songChosen, this, &HistoryCommands::showSong);
            connect(m_top, &TopListsDialog::artistChosen, this, &HistoryCommands::showArtist);
        }
        m_top->setResultWindow(m_main->resultWindow());
        m_top->setHistory([this]() -> const ChartHistory & { return history(); },
                          [this]() -> const QList<ChartTab> & { return m_main->store().tabs; });
        m_top->show();
        m_top->raise();
    });
}

void HistoryCommands::showWeek(int tag) {
    const int index = m_main->store().indexOfTag(tag);
    if (index < 0) return;
    m_main->setActiveTab(index);
    m_main->syncDateListSelection();
    m_main->raise();
    m_main->activateWindow();
}
