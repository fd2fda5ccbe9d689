#include "ui/library/libraryreviewwindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QSlider>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "core/base/errors.h"
#include "core/text/sjistext.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/library/libraryviewfit.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

namespace vorq {

namespace {
// Below this nothing is worth showing, whatever the slider says.
constexpr double kFloor = 0.5;
enum Column { Tick, Score, Title, Artist, TagTitle, TagArtist, Note, Path, Columns };

QTableWidget *makeTable(const QStringList &headers, QWidget *parent) {
    auto *table = new QTableWidget(0, int(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setTextElideMode(Qt::ElideMiddle);  // a path keeps its file name
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

QPushButton *makeButton(const QString &text, const QString &name, QWidget *parent) {
    auto *button = new QPushButton(text, parent);
    button->setObjectName(name);
    // Enter belongs to the field being typed in, not to a default button.
    button->setAutoDefault(false);
    return button;
}
}  // namespace

LibraryReviewWindow::LibraryReviewWindow(MainWindow *main) : QDialog(main), m_main(main) {
    setObjectName(QStringLiteral("LibraryReviewWindow"));
    setWindowTitle(QStringLiteral("ライブラリと照合"));
    folderEdit = new QLineEdit(this);
    folderEdit->setObjectName(QStringLiteral("LibraryFolder"));
    auto *folderLabel = new QLabel(QStringLiteral("フォルダ(&F)"), this);
    folderLabel->setBuddy(folderEdit);
    browseButton = makeButton(QStringLiteral("参照(&B)..."), QStringLiteral("BrowseLibrary"), this);
    scanButton = makeButton(QStringLiteral("照合(&S)"), QStringLiteral("ScanLibrary"), this);
    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("LibraryReviewTabs"));
    tabs->setAccessibleName(QStringLiteral("照合結果"));
    proposalTable =
        makeTable({QString(), QStringLiteral("一致度"), QStringLiteral("曲名"),
                   QStringLiteral("アーティスト"), QStringLiteral("タグの曲名"),
                   QStringLiteral("タグのアーティスト"), QStringLiteral("注記"), QStringLiteral("ファイル")},
                  this);
    proposalTable->setObjectName(QStringLiteral("Proposals"));
    proposalTable->setAccessibleName(QStringLiteral("提案"));
    leftOutTable = makeTable({QStringLiteral("理由"), QStringLiteral("ファイル")}, this);
    leftOutTable->setObjectName(QStringLiteral("LeftOutFiles"));
    leftOutTable->setAccessibleName(QStringLiteral("除外したファイル"));
    tabs->addTab(proposalTable, QStringLiteral("提案(&P)"));
    tabs->addTab(leftOutTable, QStringLiteral("除外したファイル (0)"));
    selectAllButton = makeButton(QStringLiteral("全て選択(&A)"), QStringLiteral("SelectAll"), this);
    thresholdSlider = new QSlider(Qt::Horizontal, this);
    thresholdSlider->setObjectName(QStringLiteral("Threshold"));
    thresholdSlider->setRange(int(kFloor * 100), 100);
    thresholdSlider->setValue(qRound(kDefaultMatchThreshold * 100));
    auto *thresholdName = new QLabel(QStringLiteral("しきい値(&T)"), this);
    thresholdName->setBuddy(thresholdSlider);
    thresholdLabel = new QLabel(this);
    summaryLabel = new QLabel(this);
    summaryLabel->setObjectName(QStringLiteral("LibrarySummary"));
    lockLabel = new QLabel(this);
    lockLabel->setObjectName(QStringLiteral("LibraryLockNote"));
    lockLabel->setWordWrap(true);
    applyButton = makeButton(QStringLiteral("適用"), QStringLiteral("ApplyProposals"), this);
    closeButton = makeButton(QStringLiteral("閉じる"), QStringLiteral("CloseLibraryReview"), this);

    auto *top = new QHBoxLayout;
    top->addWidget(folderLabel);
    top->addWidget(folderEdit, 1);
    top->addWidget(browseButton);
    top->addWidget(scanButton);
    auto *middle = new QHBoxLayout;
    middle->addWidget(selectAllButton);
    middle->addWidget(thresholdName);
    middle->addWidget(thresholdSlider, 1);
    middle->addWidget(thresholdLabel);
    middle->addWidget(summaryLabel, 2);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(lockLabel, 1);
    bottom->addStretch(0);  // takes the room while the note is hidden
    bottom->addWidget(applyButton);
    bottom->addWidget(closeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(tabs, 1);
    layout->addLayout(middle);
    layout->addLayout(bottom);

    connect(browseButton, &QPushButton::clicked, this, [this] {
        const QString folder = prompter().folder(this, QStringLiteral("音楽フォルダ"), folderEdit->text());
        if (!folder.isEmpty()) folderEdit->setText(folder);
    });
    connect(scanButton, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { scan(); }); });
    connect(folderEdit, &QLineEdit::returnPressed, this, [this] { runGuarded(this, [this] { scan(); }); });
    connect(selectAllButton, &QPushButton::clicked, this, [this] {
        for (int r = 0; r < proposalTable->rowCount(); ++r)
            if (!proposalTable->isRowHidden(r)) proposalTable->item(r, Tick)->setCheckState(Qt::Checked);
    });
    connect(thresholdSlider, &QSlider::valueChanged, this, [this] {
        updateVisibleRows();
        m_fitColumns->start();
    });
    // A table laid out while its tab was hidden had no width to share.
    connect(tabs, &QTabWidget::currentChanged, this, [this] {
        fitTableColumns(proposalTable);
        fitTableColumns(leftOutTable);
    });
    connect(applyButton, &QPushButton::clicked, this, [this] { runGuarded(this, [this] { apply(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::close);
    if (m_main->options() && m_main->options()->lockAssociationsBox)
        connect(m_main->options()->lockAssociationsBox, &QCheckBox::toggled, this,
                [this] { updateApplyState(); });
    // The columns follow the rows shown, once the slider rests.
    m_fitColumns = new QTimer(this);
    m_fitColumns->setSingleShot(true);
    m_fitColumns->setInterval(100);
    connect(m_fitColumns, &QTimer::timeout, this, [this] { fitTableColumns(proposalTable); });
    fitWindowToScreen(this, QSize(1100, 600));
    fitTableColumns(proposalTable);
    updateVisibleRows();
    updateApplyState();
}

void LibraryReviewWindow::setFolder(const QString &folder) { folderEdit->setText(folder); }

bool LibraryReviewWindow::associationsLocked() const {
    return m_main->options() && m_main->options()->lockAssociationsBox &&
           m_main->options()->lockAssociationsBox->isChecked();
}

void LibraryReviewWindow::updateApplyState() {
    const bool locked = associationsLocked();
    applyButton->setEnabled(!locked);
    lockLabel->setText(
        locked ? QStringLiteral("Option の「関連づけの変更を禁止する。」がオンなので適用できません"
                                "（Option の「関連付け」ページで外せます）。")
               : QString());
    lockLabel->setVisible(locked);
}

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
    m_scanned = true;
    // The cache only saves time: a failure to write it is not the user's problem now.
    if (cache.changed()) {
        try {
            cache.save(cachePath);
        } catch (const Error &) {
        }
    }
    fillLeftOut();
    match();
    emit scanned();
}

void LibraryReviewWindow::match() {
    const LibraryMatcher matcher(m_scan.files);
    m_proposals = matcher.matchAll(songsWithoutFile(m_main->store().tabs), kFloor);
    fill();
}

void LibraryReviewWindow::fill() {
    // Ticked: what `vorq scan --apply` would store.
    QSet<int> ticked;
    {
        const QList<MatchProposal> toApply = proposalsToApply(m_proposals);
        qsizetype next = 0;
        for (int r = 0; r < m_proposals.size() && next < toApply.size(); ++r)
            if (m_proposals[r].song == toApply[next].song && m_proposals[r].file == toApply[next].file)
                ticked.insert(r), ++next;
    }
    proposalTable->setRowCount(0);
    proposalTable->setRowCount(int(m_proposals.size()));
    for (int r = 0; r < m_proposals.size(); ++r) {
        const MatchProposal &p = m_proposals[r];
        const LibraryFile &f = m_scan.files[p.file];
        auto *tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        tick->setCheckState(ticked.contains(r) ? Qt::Checked : Qt::Unchecked);
        proposalTable->setItem(r, Tick, tick);
        QString note = matchNoteText(p.note);
        if (!p.marker.isEmpty()) note += (note.isEmpty() ? QString() : QStringLiteral(": ")) + p.marker;
        const QStringList texts{p.sure ? QStringLiteral("確実") : QString::number(p.score, 'f', 2),
                                sjis::toUnicode(p.song.title),
                                sjis::toUnicode(p.song.artist),
                                f.title,
                                f.artist,
                                note,
                                f.path};
        for (int c = 0; c < texts.size(); ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            if (c + Score == Path || c + Score == Note) item->setToolTip(texts[c]);
            proposalTable->setItem(r, Score + c, item);
        }
    }
    updateVisibleRows();
    fitTableColumns(proposalTable);
}

void LibraryReviewWindow::fillLeftOut() {
    leftOutTable->setRowCount(0);
    leftOutTable->setRowCount(int(m_scan.leftOut.size()));
    for (int r = 0; r < m_scan.leftOut.size(); ++r) {
        const LeftOutFile &l = m_scan.leftOut[r];
        leftOutTable->setItem(r, 0, new QTableWidgetItem(leftOutReasonText(l.reason)));
        auto *path = new QTableWidgetItem(l.file.path);
        path->setToolTip(l.file.path);
        leftOutTable->setItem(r, 1, path);
    }
    tabs->setTabText(1, QStringLiteral("除外したファイル (%1)").arg(m_scan.leftOut.size()));
    fitTableColumns(leftOutTable);
}

void LibraryReviewWindow::updateVisibleRows() {
    const double threshold = thresholdSlider->value() / 100.0;
    thresholdLabel->setText(QString::number(threshold, 'f', 2));
    int below = 0;
    for (int r = 0; r < m_proposals.size(); ++r) {
        const bool hide = m_proposals[r].score < threshold - 1e-9;
        proposalTable->setRowHidden(r, hide);
        below += hide ? 1 : 0;
    }
    QString summary = QStringLiteral("%1 曲").arg(visibleRows());
    if (below) summary += QStringLiteral(" (しきい値未満 %1 曲)").arg(below);
    summary += QStringLiteral("、ファイル %1").arg(m_scan.files.size());
    if (!m_scan.leftOut.isEmpty()) summary += QStringLiteral("、除外 %1").arg(m_scan.leftOut.size());
    summaryLabel->setText(summary);
}

int LibraryReviewWindow::visibleRows() const {
    int n = 0;
    for (int r = 0; r < proposalTable->rowCount(); ++r) n += proposalTable->isRowHidden(r) ? 0 : 1;
    return n;
}

void LibraryReviewWindow::apply() {
    if (associationsLocked()) {
        prompter().message(this, QMessageBox::Information, QStringLiteral("ライブラリと照合"),
                           lockLabel->text(), QMessageBox::Ok, QMessageBox::Ok);
        return;
    }
    QList<MatchProposal> accepted;
    for (int r = 0; r < m_proposals.size(); ++r)
        if (!proposalTable->isRowHidden(r) && proposalTable->item(r, Tick)->checkState() == Qt::Checked)
            accepted.push_back(m_proposals[r]);
    if (accepted.isEmpty()) return;
    const QList<AssociationChange> changes = applyProposals(m_main->store().tabs, accepted, m_scan.files);
    if (!changes.isEmpty()) {
        m_main->markChanged();
        QSet<int> tables;
        for (const AssociationChange &c : changes) {
            tables.insert(c.at.tab);
            m_main->store().noteRowChanged(c.at.tab, c.at.row);
        }
        for (int t : tables) m_main->refreshTable(t);
    }
    prompter().message(this, QMessageBox::Information, QStringLiteral("ライブラリと照合"),
                       QStringLiteral("%1 行に関連付けました。").arg(changes.size()), QMessageBox::Ok,
                       QMessageBox::Ok);
    match();  // the songs that now own a file leave the list
}

void LibraryReviewWindow::resizeEvent(QResizeEvent *e) {
    QDialog::resizeEvent(e);
    fitTableColumns(proposalTable);
    fitTableColumns(leftOutTable);
}

void LibraryReviewWindow::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    updateApplyState();
}

}  // namespace vorq
