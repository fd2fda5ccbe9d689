#include "ui/history/historywindow.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/text/sjistext.h"
#include "ui/common/shellparts.h"
#include "ui/history/chartrunplot.h"
#include "ui/mainwindow/mainwindow.h"

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
        m_top->setHistory([this]() -> const ChartHistory & { return history(); });
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
