#include "ui/history/historywindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/history/chartrunplot.h"
#include "ui/history/historytables.h"

namespace vorq {

using namespace historytables;

HistoryWindow::HistoryWindow(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    resize(820, 600);
    plot = new ChartRunPlot(this);
    figuresLabel = new QLabel(this);
    figuresLabel->setObjectName(QStringLiteral("FiguresLabel"));
    // Reachable with Tab, so the figures can be read without the mouse.
    figuresLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    plot->setAccessibleName(QStringLiteral("順位の推移"));
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
    m_song = f.song;
    setWindowTitle(QStringLiteral("チャート履歴 - ") + songName(f.song));
    plot->setTitle(songName(f.song));
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
    appearanceTable->setAccessibleName(QStringLiteral("チャートインした週"));
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
    m_song = {};
    m_artistMode = true;
    setWindowTitle(QStringLiteral("チャート履歴 - ") + u(a.artist));
    plot->setTitle(u(a.artist));
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
    appearanceTable->setAccessibleName(QStringLiteral("アーティストの曲"));
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
        // "曲名 - アーティスト名.png" (the artist alone in artist mode); a
        // folder separator in a name would make it a path.
        const QString shown = windowTitle().mid(QStringLiteral("チャート履歴 - ").size());
        QString proposed = m_artistMode ? shown : u(m_song.title) + QStringLiteral(" - ") + u(m_song.artist);
        proposed.replace(QLatin1Char('/'), QLatin1Char('_'));
        proposed += svg ? QStringLiteral(".svg") : QStringLiteral(".png");
        const QString name =
            prompter().saveFile(this, svg ? QStringLiteral("SVGで保存") : QStringLiteral("PNGで保存"),
                                proposed, svg ? QStringLiteral("SVG (*.svg)") : QStringLiteral("PNG (*.png)"),
                                svg ? QStringLiteral("svg") : QStringLiteral("png"));
        if (name.isEmpty()) return;
        QString error;
        const QSize size = plot->size().expandedTo(QSize(640, 320));
        if (!(svg ? plot->exportSvg(name, size, &error) : plot->exportPng(name, size, &error)))
            prompter().error(this, QStringLiteral("%1 を保存できませんでした。\r\n%2").arg(name, error));
    });
}

}  // namespace vorq
