#include "ui/results/resultlistwindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <climits>

#include "core/lists/columnfit.h"
#include "core/text/sjistext.h"
#include "ui/common/accessiblenames.h"
#include "ui/common/guards.h"
#include "ui/common/screenfit.h"
#include "ui/results/resultlistview.h"

namespace vorq {

namespace {
constexpr int kColumnWidths[6] = {100, 40, 150, 100, 150, 60};
constexpr int kFileColumn = 4;
constexpr QSize kDesignedSize(720, 420);
// Rows measured for the widths a list's texts need: a long list is not read
// whole before it shows.
constexpr int kRowsMeasured = 1000;

// A path cut short keeps its file name: the dots go in the middle.
class MiddleElideDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->textElideMode = Qt::ElideMiddle;
    }
};
}  // namespace

ResultListWindow::ResultListWindow(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("検索結果"));
    // Minimise and maximise boxes but no close box: only the buttons close it.
    // Window managers that honour the Motif hints draw none; openbox keeps its
    // close box whatever the hints say, and closeEvent makes that one inert.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinMaxButtonsHint);

    auto named = [this](auto *w, const char *name) {
        w->setObjectName(QString::fromLatin1(name));
        return w;
    };
    iconLabel = named(new QLabel(this), "Image1");
    iconLabel->setFixedSize(32, 32);
    headerLabel = named(new QLabel(this), "Label1");
    headerLabel->setTextFormat(Qt::PlainText);
    headerLabel->setWordWrap(true);
    headerLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_model = new ResultListModel(this);
    listView = named(new ResultListView(this), "ListView1");
    listView->setAccessibleName(QStringLiteral("曲の一覧"));
    listView->setModel(m_model);
    for (int c = 0; c < 6; ++c) listView->setColumnWidth(c, kColumnWidths[c]);
    const QList<int> designed = designedColumnWidths();
    for (int c = 0; c < 6; ++c) listView->setColumnWidth(c, designed.at(c));
    listView->setItemDelegateForColumn(kFileColumn, new MiddleElideDelegate(listView));
    listView->viewport()->installEventFilter(this);
    listView->selectedFiles = [this] { return selectedFiles(); };
    connect(listView->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { vorq::runGuarded(this, [&] { sortByColumn(c); }); });

    applyToAllButton = named(new QPushButton(QStringLiteral("すべて変更する"), this), "Button1");
    applyToSelectedButton =
        named(new QPushButton(QStringLiteral("選択した項目のみ変更する"), this), "Button2");
    closeButton = named(new QPushButton(QStringLiteral("何も変更しない"), this), "Button3");
    closeButton->setDefault(true);
    songListLabel = named(new QLabel(QStringLiteral("曲目リスト"), this), "Label3");
    printButton = named(new QPushButton(QStringLiteral("印刷"), this), "Button6");
    saveButton = named(new QPushButton(QStringLiteral("保存"), this), "Button7");
    songCountLabel = named(new QLabel(QStringLiteral("リストから印刷/保存/コピーする曲数:"), this), "Label2");
    songCountSpin = named(new QSpinBox(this), "SpinEdit1");
    nameAfter(songCountLabel, songCountSpin);
    songCountSpin->setRange(INT_MIN, INT_MAX);  // no limits of its own
    songCountSpin->setToolTip(
        QStringLiteral("曲数を増やすとリピートします。曲数を減らすと下の曲から保存されません。"));
    associationLabel = named(new QLabel(QStringLiteral("関連付けファイル"), this), "Label4");
    savePlaylistButton = named(new QPushButton(QStringLiteral("リスト保存"), this), "Button4");
    copyButton = named(new QPushButton(QStringLiteral("コピー"), this), "Button5");
    playButton = named(new QPushButton(QStringLiteral("再生"), this), "PlayButton");
    playButton->setToolTip(QStringLiteral("リストの曲を順に再生します"));

    auto *top = new QVBoxLayout(this);
    auto *head = new QHBoxLayout;
    head->addWidget(iconLabel, 0, Qt::AlignTop);
    head->addWidget(headerLabel, 1);
    top->addLayout(head);
    top->addWidget(listView, 1);
    auto *commands = new QHBoxLayout;
    commands->addWidget(songListLabel);
    commands->addWidget(printButton);
    commands->addWidget(saveButton);
    commands->addSpacing(12);
    commands->addWidget(associationLabel);
    commands->addWidget(savePlaylistButton);
    commands->addWidget(copyButton);
    commands->addSpacing(12);
    commands->addWidget(playButton);
    commands->addStretch(1);
    top->addLayout(commands);
    // The song count on a row of its own (playlist layout only): in one row
    // with the commands the window would be wider than a small screen.
    auto *count = new QHBoxLayout;
    count->addWidget(songCountLabel);
    count->addWidget(songCountSpin);
    count->addStretch(1);
    top->addLayout(count);
    auto *answers = new QHBoxLayout;
    answers->addStretch(1);
    answers->addWidget(applyToAllButton);
    answers->addWidget(applyToSelectedButton);
    answers->addWidget(closeButton);
    top->addLayout(answers);
    resize(kDesignedSize);

    auto guarded = [this](void (ResultListWindow::*handler)()) {
        return [this, handler] { vorq::runGuarded(this, [&] { (this->*handler)(); }); };
    };
    connect(applyToAllButton, &QPushButton::clicked, this, guarded(&ResultListWindow::onApplyToAllClicked));
    connect(applyToSelectedButton, &QPushButton::clicked, this,
            guarded(&ResultListWindow::onApplyToSelectedClicked));
    connect(closeButton, &QPushButton::clicked, this, guarded(&ResultListWindow::onCloseClicked));
    connect(printButton, &QPushButton::clicked, this, guarded(&ResultListWindow::onPrintClicked));
    connect(saveButton, &QPushButton::clicked, this, guarded(&ResultListWindow::onSaveClicked));
    connect(savePlaylistButton, &QPushButton::clicked, this,
            guarded(&ResultListWindow::onSavePlaylistClicked));
    connect(copyButton, &QPushButton::clicked, this, guarded(&ResultListWindow::onCopyClicked));
    connect(playButton, &QPushButton::clicked, this,
            [this] { vorq::runGuarded(this, [this] { emit playRequested(); }); });

    setLayoutMode(SameSong);
}

ResultListWindow::~ResultListWindow() = default;

// ---- rows ---------------------------------------------------------------------

void ResultListWindow::clearRows() { m_model->clear(); }
void ResultListWindow::appendRow(const vorq::ResultRow &row) { m_model->append(row); }
void ResultListWindow::setRows(vorq::ResultList rows) { m_model->setRows(std::move(rows)); }
const vorq::ResultList &ResultListWindow::rows() const { return m_model->rows(); }
int ResultListWindow::rowCount() const { return int(m_model->rows().size()); }

void ResultListWindow::sortRows(
    const std::function<bool(const vorq::ResultRow &, const vorq::ResultRow &)> &lessThan) {
    m_model->rearrange([&](vorq::ResultList &rows) { std::sort(rows.begin(), rows.end(), lessThan); });
}

void ResultListWindow::sortByColumn(int column) {
    if (column < 0 || column >= 6) return;
    m_directions[column] = -m_directions[column];
    vorq::CursorGuard busy;
    const int direction = m_directions[column];
    m_model->rearrange([&](vorq::ResultList &rows) { vorq::sortResultRows(rows, column, direction); });
}

// ---- selection ------------------------------------------------------------------

void ResultListWindow::selectRow(int row) {
    if (row < 0 || row >= rowCount()) return;
    const QModelIndex i = m_model->index(row, 0);
    listView->selectionModel()->select(i, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    listView->selectionModel()->setCurrentIndex(i, QItemSelectionModel::NoUpdate);
    listView->scrollTo(i);
}

void ResultListWindow::clearSelection() { listView->clearSelection(); }

QList<int> ResultListWindow::selectedRows() const {
    QList<int> out;
    for (const QModelIndex &i : listView->selectionModel()->selectedRows()) out.append(i.row());
    std::sort(out.begin(), out.end());
    return out;
}

// ---- layout -----------------------------------------------------------------------

void ResultListWindow::setLayoutMode(LayoutMode mode) {
    m_mode = mode;
    const bool sameSong = mode == SameSong, playlist = mode == Playlist;
    applyToAllButton->setVisible(sameSong);
    applyToSelectedButton->setVisible(sameSong);
    closeButton->setText(sameSong ? QStringLiteral("何も変更しない") : QStringLiteral("閉じる"));
    setIcon(mode == Search ? QMessageBox::Information
            : sameSong     ? QMessageBox::Question
                           : QMessageBox::NoIcon);
    if (playlist) setHeaderText({});
    headerLabel->setVisible(!playlist);
    songCountLabel->setVisible(playlist);
    songCountSpin->setVisible(playlist);
    associationLabel->setVisible(playlist);
    savePlaylistButton->setVisible(playlist);
    copyButton->setVisible(playlist);
    playButton->setVisible(!sameSong);
    // A fixed dialog border except in the playlist layout.
    setSizeGripEnabled(playlist);
    if (playlist) {
        // The layout's own minimum: a fixed one would cut the count and
        // association labels of this row.
        setMinimumSize(QSize(0, 0));
        setMaximumSize(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX));
        layout()->activate();
        resize(size().expandedTo(minimumSizeHint()).expandedTo(QSize(320, 200)));
    } else {
        setFixedSize(size());
    }
}

QList<int> ResultListWindow::designedColumnWidths() const {
    QList<int> widths(std::begin(kColumnWidths), std::end(kColumnWidths));
    // The designed widths assume a smaller screen font; a date label is
    // never cut.
    const int dateWidth = listView->fontMetrics().horizontalAdvance(QStringLiteral("0000年00月00日")) + 12;
    widths[0] = std::max(widths[0], dateWidth);
    return widths;
}

void ResultListWindow::showEvent(QShowEvent *e) {
    QDialog::showEvent(e);
    fitColumnsOnShow();
}

bool ResultListWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == listView->viewport() && event->type() == QEvent::Resize) fillFileColumn();
    return QDialog::eventFilter(watched, event);
}

void ResultListWindow::fitColumnsOnShow() {
    const QList<int> designed = designedColumnWidths();
    // What the texts need: the caption and the rows measured, with the
    // cell's margins.
    const QFontMetrics fm = listView->fontMetrics();
    const int margin =
        2 * listView->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, listView) + 8;
    QList<int> needed(6, 0);
    for (int c = 0; c < 6; ++c) needed[c] = listView->horizontalHeader()->sectionSizeHint(c);
    const vorq::ResultList &list = m_model->rows();
    const qsizetype measured = std::min<qsizetype>(list.size(), kRowsMeasured);
    for (qsizetype r = 0; r < measured; ++r)
        for (int c = 0; c < 6; ++c)
            needed[c] =
                std::max(needed[c], fm.horizontalAdvance(vorq::sjis::toUnicode(list.at(r).text(c))) + margin);

    // As wide as the texts need, up to what the screen holds: a fixed
    // window (search, same song) never below its designed width, a sizeable
    // one (playlist) only ever wider, as its user left it.
    const int wanted =
        width() + vorq::wantedTableWidth(designed, needed, kFileColumn) - listView->viewport()->width();
    const int screenWidth = vorq::roomOnScreen(this).width();
    m_fitting = true;
    if (minimumWidth() == maximumWidth()) {
        const int fixedWidth = std::max(kDesignedSize.width(), std::min(wanted, screenWidth));
        if (fixedWidth != width()) setFixedSize(fixedWidth, height());
    } else if (wanted > width() && width() < screenWidth) {
        resize(std::min(wanted, screenWidth), height());
    }
    m_fitting = false;
    layout()->activate();
    const QList<int> widths =
        vorq::fitColumnWidths(designed, needed, listView->viewport()->width(), kFileColumn);
    for (int c = 0; c < 6; ++c) listView->setColumnWidth(c, widths.at(c));
}

void ResultListWindow::fillFileColumn() {
    if (m_fitting) return;
    int others = 0;
    for (int c = 0; c < 6; ++c)
        if (c != kFileColumn) others += listView->columnWidth(c);
    const int fill = std::max(designedColumnWidths().at(kFileColumn), listView->viewport()->width() - others);
    if (fill != listView->columnWidth(kFileColumn)) listView->setColumnWidth(kFileColumn, fill);
}

void ResultListWindow::setHeaderText(const QString &text) { headerLabel->setText(text); }
QString ResultListWindow::headerText() const { return headerLabel->text(); }

void ResultListWindow::setIcon(QMessageBox::Icon icon) {
    QStyle::StandardPixmap sp = QStyle::SP_MessageBoxInformation;
    switch (icon) {
        case QMessageBox::Question: sp = QStyle::SP_MessageBoxQuestion; break;
        case QMessageBox::Warning: sp = QStyle::SP_MessageBoxWarning; break;
        case QMessageBox::Critical: sp = QStyle::SP_MessageBoxCritical; break;
        default: break;
    }
    iconLabel->setVisible(icon != QMessageBox::NoIcon);
    iconLabel->setPixmap(icon == QMessageBox::NoIcon ? QPixmap() : style()->standardIcon(sp).pixmap(32, 32));
    iconLabel->setProperty("iconKind", int(icon));
}

void ResultListWindow::setSongCount(int count) { songCountSpin->setValue(count); }
int ResultListWindow::songCount() const { return songCountSpin->value(); }

qint64 ResultListWindow::outputCount() const { return m_mode == Playlist ? songCount() : rowCount(); }

vorq::OutputChoice ResultListWindow::outputChoice() const {
    return m_choice ? m_choice() : vorq::OutputChoice{};
}

// ---- modal answers -----------------------------------------------------------------

int ResultListWindow::exec() {
    m_answer = ChangeNothing;
    listView->setFocus();
    QDialog::exec();
    return m_answer;
}

void ResultListWindow::finish(Answer a) {
    m_answer = a;
    done(a);
}

void ResultListWindow::onApplyToAllClicked() { finish(ApplyToAll); }
void ResultListWindow::onApplyToSelectedClicked() { finish(ApplyToSelected); }
void ResultListWindow::onCloseClicked() { finish(ChangeNothing); }

void ResultListWindow::reject() { finish(ChangeNothing); }

void ResultListWindow::closeEvent(QCloseEvent *e) {
    // The window manager's close is not one of the three answers.
    if (e->spontaneous() && isVisible()) {
        e->ignore();
        return;
    }
    QDialog::closeEvent(e);
}

}  // namespace vorq
