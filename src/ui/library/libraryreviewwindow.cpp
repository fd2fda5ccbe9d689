#include "ui/library/libraryreviewwindow.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <QVBoxLayout>

#include "core/base/errors.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/mainwindow/mainwindow.h"

namespace vorq {

namespace {
// Below this nothing is worth showing, whatever the slider says.
constexpr double kFloor = 0.5;
enum Column { Tick, Score, Title, Artist, TagTitle, TagArtist, Path, Columns };
}  // namespace

LibraryReviewWindow::LibraryReviewWindow(MainWindow *main) : QDialog(main), m_main(main) {
    setObjectName(QStringLiteral("LibraryReviewWindow"));
    setWindowTitle(QStringLiteral("ライブラリと照合"));
    resize(1100, 600);
    folderEdit = new QLineEdit(this);
    folderEdit->setObjectName(QStringLiteral("LibraryFolder"));
    browseButton = new QPushButton(QStringLiteral("参照..."), this);
    browseButton->setObjectName(QStringLiteral("BrowseLibrary"));
    scanButton = new QPushButton(QStringLiteral("照合"), this);
    scanButton->setObjectName(QStringLiteral("ScanLibrary"));
    proposalTable = new QTableWidget(0, Columns, this);
    proposalTable->setObjectName(QStringLiteral("Proposals"));
    proposalTable->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("一致度"), QStringLiteral("曲名"), QStringLiteral("アーティスト"),
         QStringLiteral("タグの曲名"), QStringLiteral("タグのアーティスト"), QStringLiteral("ファイル")});
    proposalTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    proposalTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    proposalTable->verticalHeader()->hide();
    proposalTable->horizontalHeader()->setStretchLastSection(true);
    selectAllButton = new QPushButton(QStringLiteral("全て選択"), this);
    selectAllButton->setObjectName(QStringLiteral("SelectAll"));
    thresholdSlider = new QSlider(Qt::Horizontal, this);
    thresholdSlider->setObjectName(QStringLiteral("Threshold"));
    thresholdSlider->setRange(int(kFloor * 100), 100);
    thresholdSlider->setValue(70);
    thresholdLabel = new QLabel(this);
    summaryLabel = new QLabel(this);
    applyButton = new QPushButton(QStringLiteral("適用"), this);
    applyButton->setObjectName(QStringLiteral("ApplyProposals"));
    closeButton = new QPushButton(QStringLiteral("閉じる"), this);

    auto *top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("フォルダ"), this));
    top->addWidget(folderEdit, 1);
    top->addWidget(browseButton);
    top->addWidget(scanButton);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(selectAllButton);
    bottom->addWidget(new QLabel(QStringLiteral("しきい値"), this));
    bottom->addWidget(thresholdSlider, 1);
    bottom->addWidget(thresholdLabel);
    bottom->addWidget(summaryLabel, 1);
    bottom->addWidget(applyButton);
    bottom->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(proposalTable, 1);
    layout->addLayout(bottom);

    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString folder = prompter().folder(this, QStringLiteral("音楽フォルダ"), folderEdit->text());
        if (!folder.isEmpty()) folderEdit->setText(folder);
    });
    connect(scanButton, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { scan(); }); });
    connect(selectAllButton, &QPushButton::clicked, this, [this] {
        for (int r = 0; r < proposalTable->rowCount(); ++r)
            if (!proposalTable->isRowHidden(r)) proposalTable->item(r, Tick)->setCheckState(Qt::Checked);
    });
    connect(thresholdSlider, &QSlider::valueChanged, this, [this] { updateVisibleRows(); });
    connect(applyButton, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { apply(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    updateVisibleRows();
}

void LibraryReviewWindow::setFolder(const QString &folder) { folderEdit->setText(folder); }

void LibraryReviewWindow::scan() {
    CursorGuard cursor;
    ScanCache cache;
    const QString cachePath = defaultScanCachePath();
    cache.load(cachePath);
    TagLibReader reader;
    m_scan = scanLibrary(folderEdit->text(), reader, &cache, [](qsizetype) {
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        return true;
    });
    // The cache only saves time: a failure to write it is not the user's problem now.
    if (cache.changed()) {
        try {
            cache.save(cachePath);
        } catch (const Error &) {
        }
    }
    match();
}

void LibraryReviewWindow::match() {
    const LibraryMatcher matcher(m_scan.files);
    m_proposals = matcher.matchAll(songsWithoutFile(m_main->store().tabs), kFloor);
    fill();
}

void LibraryReviewWindow::fill() {
    proposalTable->setRowCount(0);
    proposalTable->setRowCount(int(m_proposals.size()));
    for (int r = 0; r < m_proposals.size(); ++r) {
        const MatchProposal &p = m_proposals[r];
        const LibraryFile &f = m_scan.files[p.file];
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tick->setCheckState(p.sure ? Qt::Checked : Qt::Unchecked);
        proposalTable->setItem(r, Tick, tick);
        const QStringList texts{p.sure ? QStringLiteral("確実") : QString::number(p.score, 'f', 2),
                                sjis::toUnicode(p.song.title),
                                sjis::toUnicode(p.song.artist),
                                f.title,
                                f.artist,
                                f.path};
        for (int c = 0; c < texts.size(); ++c)
            proposalTable->setItem(r, Score + c, new QTableWidgetItem(texts[c]));
    }
    proposalTable->resizeColumnsToContents();
    updateVisibleRows();
}

void LibraryReviewWindow::updateVisibleRows() {
    const double threshold = thresholdSlider->value() / 100.0;
    thresholdLabel->setText(QString::number(threshold, 'f', 2));
    for (int r = 0; r < m_proposals.size(); ++r)
        proposalTable->setRowHidden(r, m_proposals[r].score < threshold - 1e-9);
    summaryLabel->setText(QStringLiteral("%1 曲 (ファイル %2)").arg(visibleRows()).arg(m_scan.files.size()));
}

int LibraryReviewWindow::visibleRows() const {
    int n = 0;
    for (int r = 0; r < proposalTable->rowCount(); ++r) n += proposalTable->isRowHidden(r) ? 0 : 1;
    return n;
}

void LibraryReviewWindow::apply() {
    QList<MatchProposal> accepted;
    for (int r = 0; r < m_proposals.size(); ++r)
        if (!proposalTable->isRowHidden(r) && proposalTable->item(r, Tick)->checkState() == Qt::Checked)
            accepted.push_back(m_proposals[r]);
    if (accepted.isEmpty()) return;
    const QList<AssociationChange> changes = applyProposals(m_main->store().tabs, accepted, m_scan.files);
    if (!changes.isEmpty()) {
        QSet<int> tabs;
        for (const AssociationChange &c : changes) {
            tabs.insert(c.at.tab);
            m_main->store().noteRowChanged(c.at.tab, c.at.row);
        }
        for (int t : tabs) m_main->refreshTable(t);
        m_main->markChanged();
    }
    prompter().message(this, QMessageBox::Information, QStringLiteral("ライブラリと照合"),
                       QStringLiteral("%1 行に関連付けました。").arg(changes.size()), QMessageBox::Ok,
                       QMessageBox::Ok);
    match();  // the songs that now own a file leave the list
}

}  // namespace vorq
