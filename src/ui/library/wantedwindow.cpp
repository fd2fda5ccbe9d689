#include "ui/library/wantedwindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/library/songmatch.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/readablecolours.h"
#include "ui/history/historycommands.h"
#include "ui/library/libraryviewfit.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

CompletenessChart::CompletenessChart(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("CompletenessChart"));
    setMinimumHeight(180);
    setAccessibleName(QStringLiteral("年ごとの収集率"));
}

void CompletenessChart::setYears(const QList<YearCompleteness> &years) {
    m_years = years;
    // What the bars show, for a screen reader.
    QStringList shares;
    for (const YearCompleteness &y : years)
        shares << QStringLiteral("%1年 %2/%3曲").arg(y.year).arg(y.owned).arg(y.songs);
    setAccessibleDescription(shares.join(QStringLiteral("、")));
    update();
}

void CompletenessChart::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.fillRect(rect(), palette().base());
    if (m_years.isEmpty()) return;
    const QFontMetrics fm(font());
    const int top = fm.height() + 6, bottom = height() - fm.height() - 6;
    const int plotHeight = std::max(bottom - top, 1);
    const double slot = double(width() - 20) / double(m_years.size());
    p.setPen(palette().mid().color());
    p.drawLine(10, bottom, width() - 10, bottom);
    // The design's pale track and deep blue bar, shaded for this palette.
    const QColor ground = palette().color(QPalette::Base);
    const QColor bar = colours::readableOn(QColor(0x2a, 0x6a, 0xb0), ground, 3.0);
    const QColor track = colours::mix(ground, bar, 0.18);
    for (int i = 0; i < m_years.size(); ++i) {
        const YearCompleteness &y = m_years[i];
        const double share = y.songs ? double(y.owned) / double(y.songs) : 0.0;
        const int x = 10 + int(i * slot + slot * 0.15), w = std::max(int(slot * 0.7), 2);
        p.fillRect(QRect(x, top, w, plotHeight), track);
        const int h = int(plotHeight * share);
        p.fillRect(QRect(x, bottom - h, w, h), bar);
        p.setPen(palette().text().color());
        const QRect label(int(10 + i * slot), 0, int(slot), top);
        if (slot >= fm.horizontalAdvance(QStringLiteral("100%")))
            p.drawText(label, Qt::AlignCenter, QStringLiteral("%1%").arg(qRound(share * 100)));
        // Every year's label when they fit, else every few.
        const int every = std::max(1, int(std::ceil(fm.horizontalAdvance(QStringLiteral("0000 ")) / slot)));
        if (i % every == 0)
            p.drawText(QRect(int(10 + i * slot) - 20, bottom + 2, int(slot) + 40, fm.height() + 4),
                       Qt::AlignCenter, QString::number(y.year));
    }
}

WantedWindow::WantedWindow(MainWindow *main) : QDialog(main), m_main(main) {
    setObjectName(QStringLiteral("WantedWindow"));
    setWindowTitle(QStringLiteral("未所有の曲と収集率"));
    yearBox = new QComboBox(this);
    yearBox->setObjectName(QStringLiteral("WantedYear"));
    top10Box = new QCheckBox(QStringLiteral("トップ10のみ"), this);
    top10Box->setObjectName(QStringLiteral("WantedTop10"));
    wantedTable = new QTableWidget(0, 6, this);
    wantedTable->setObjectName(QStringLiteral("WantedSongs"));
    wantedTable->setAccessibleName(QStringLiteral("未所有の曲"));
    wantedTable->setHorizontalHeaderLabels({QStringLiteral("最高位"), QStringLiteral("曲名"),
                                            QStringLiteral("アーティスト"), QStringLiteral("週数"),
                                            QStringLiteral("初登場"), QStringLiteral("備考")});
    wantedTable->setTextElideMode(Qt::ElideMiddle);
    wantedTable->setWordWrap(false);
    wantedTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    wantedTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    wantedTable->verticalHeader()->hide();
    wantedTable->horizontalHeader()->setStretchLastSection(true);
    chart = new CompletenessChart(this);
    summaryLabel = new QLabel(this);
    summaryLabel->setObjectName(QStringLiteral("CompletenessSummary"));
    saveButton = new QPushButton(QStringLiteral("リストを保存(&S)..."), this);
    saveButton->setObjectName(QStringLiteral("SaveWanted"));
    saveButton->setAutoDefault(false);
    closeButton = new QPushButton(QStringLiteral("閉じる"), this);
    closeButton->setAutoDefault(false);

    auto *filters = new QHBoxLayout;
    auto *yearLabel = new QLabel(QStringLiteral("初登場の年(&Y)"), this);
    yearLabel->setBuddy(yearBox);
    filters->addWidget(yearLabel);
    filters->addWidget(yearBox);
    filters->addWidget(top10Box);
    filters->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(summaryLabel, 1);
    buttons->addWidget(saveButton);
    buttons->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filters);
    layout->addWidget(wantedTable, 3);
    layout->addWidget(new QLabel(QStringLiteral("年ごとの収集率 (所有曲 / チャート曲)"), this));
    layout->addWidget(chart, 1);
    layout->addLayout(buttons);

    connect(yearBox, &QComboBox::currentIndexChanged, this, [this] { fill(); });
    connect(top10Box, &QCheckBox::toggled, this, [this] { fill(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { saveList(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    // Many changes come in a burst (an automatic update refreshes every
    // page): one refresh after them.
    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setSingleShot(true);
    m_refreshTimer->setInterval(150);
    connect(m_refreshTimer, &QTimer::timeout, this, [this] {
        if (m_main->operationRunning()) return m_refreshTimer->start();
        runGuarded(this, [this] { refresh(); });
    });
    connect(m_main, &MainWindow::chartsChanged, this, &WantedWindow::scheduleRefresh);
    chart->setMinimumHeight(120);
    fitWindowToScreen(this, QSize(900, 700));
}

void WantedWindow::scanChanged() {
    m_scanNotesValid = false;
    scheduleRefresh();
}

void WantedWindow::scheduleRefresh() {
    if (isVisible())
        m_refreshTimer->start();
    else
        m_stale = true;
}

void WantedWindow::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    if (m_stale) runGuarded(this, [this] { refresh(); });
}

void WantedWindow::resizeEvent(QResizeEvent *e) {
    QDialog::resizeEvent(e);
    fitTableColumns(wantedTable);
}

void WantedWindow::refresh() {
    CursorGuard cursor;
    m_stale = false;
    m_refreshTimer->stop();
    const ChartHistory &history = m_main->historyCommands->history();
    m_owned = songOwnership(m_main->store().tabs);
    m_years = completenessByYear(history, m_owned);
    chart->setYears(m_years);
    // The notes depend on the scan, not on what is owned: worked out once
    // per scan for every song (matching is the cost), shown for the missing.
    const ScanResult *scan = m_scanSource ? m_scanSource() : nullptr;
    if (!scan) {
        m_scanNotes.clear();
    } else if (!m_scanNotesValid) {
        m_scanNotes.clear();
        const QHash<SongKey, int> leftOut = songsOnlyLeftOut(m_owned.keys(), *scan);
        for (auto it = leftOut.cbegin(); it != leftOut.cend(); ++it) {
            const LeftOutFile &l = scan->leftOut[it.value()];
            m_scanNotes.insert(it.key(), QStringLiteral("候補は除外: ") + leftOutReasonText(l.reason) +
                                             QStringLiteral(" (") + l.file.path + u')');
        }
    }
    m_scanNotesValid = scan != nullptr;
    m_notes.clear();
    for (auto it = m_scanNotes.cbegin(); it != m_scanNotes.cend(); ++it)
        if (!m_owned.value(it.key())) m_notes.insert(it.key(), it.value());
    // Songs counted once over the range (a year's figure counts a song in
    // each year it charted); song-weeks add up.
    const int songs = int(m_owned.size());
    const int owned = int(std::count(m_owned.cbegin(), m_owned.cend(), true));
    int weeks = 0, weeksOwned = 0;
    for (const YearCompleteness &y : m_years) weeks += y.weeks, weeksOwned += y.weeksOwned;
    // What the figures rest on: a song is owned when a file that exists is
    // associated with it; the last scan's left-out files own nothing.
    QString summary = QStringLiteral("所有 %1 / %2 曲、%3 / %4 週 (存在するファイルが関連付けられた曲)")
                          .arg(owned)
                          .arg(songs)
                          .arg(weeksOwned)
                          .arg(weeks);
    if (!m_notes.isEmpty())
        summary += QStringLiteral("、除外したファイルしか候補のない曲 %1").arg(m_notes.size());
    summaryLabel->setText(summary);
    summaryLabel->setWordWrap(true);
    const QSignalBlocker block(yearBox);
    const int chosen = yearBox->currentData().toInt();
    yearBox->clear();
    yearBox->addItem(QStringLiteral("全て"), 0);
    for (const YearCompleteness &y : m_years) yearBox->addItem(QString::number(y.year), y.year);
    yearBox->setCurrentIndex(std::max(0, yearBox->findData(chosen)));
    fill();
}

void WantedWindow::fill() {
    const WantedFilter filter{yearBox->currentData().toInt(), top10Box->isChecked() ? 10 : 0};
    m_shown = wantedSongs(m_main->historyCommands->history(), m_owned, filter);
    wantedTable->setRowCount(0);
    wantedTable->setRowCount(int(m_shown.size()));
    for (int r = 0; r < m_shown.size(); ++r) {
        const WantedSong &w = m_shown[r];
        const QStringList texts{QString::number(w.peak),
                                sjis::toUnicode(w.song.title),
                                sjis::toUnicode(w.song.artist),
                                QString::number(w.weeks),
                                sjis::toUnicode(dateLabelFromTag(w.firstTag)),
                                m_notes.value(w.song)};
        for (int c = 0; c < texts.size(); ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            if (c == 5) item->setToolTip(texts[c]);
            wantedTable->setItem(r, c, item);
        }
    }
    fitTableColumns(wantedTable);
}

void WantedWindow::saveList() {
    const QString file =
        prompter().saveFile(this, QStringLiteral("未所有の曲を保存"), QStringLiteral("wanted.txt"),
                            QStringLiteral("text file(タブ区切り) (*.txt)"), QStringLiteral("txt"));
    if (file.isEmpty()) return;
    sjis::saveLines(file, wantedLines(m_shown));
}

}  // namespace vorq
