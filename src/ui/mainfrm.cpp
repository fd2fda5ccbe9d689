#include "mainfrm.h"

#include "anlizfrm.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "appenv.h"
#include "errors.h"
#include "importdriver.h"
#include "shellparts.h"
#include "sjistext.h"
#include "verfrm.h"
#include "waitfrm.h"

using namespace vorq;

namespace {

const QColor kBtnFace(240, 240, 240);
const QColor kGray(128, 128, 128);

QString dirtyText() { return QStringLiteral("更新"); }

QFont mainFont() {
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic"),
                   QStringLiteral("IPAゴシック"), QStringLiteral("Noto Sans Mono CJK JP")});
    f.setPixelSize(12);
    return f;
}

QPixmap smallMark(const QColor &c) {
    QPixmap pm(16, 10);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPolygon(QPolygon({QPoint(2, 1), QPoint(12, 5), QPoint(2, 9)}));
    return pm;
}

// Follows a full load: pages as tables arrive, the wait dialog's label,
// progress and stop button. Events run at most every 30 ms: often enough
// for the stop button, rarely enough not to repaint per file.
class LoadWatcher : public LoadObserver {
public:
    LoadWatcher(TWaitForm *wait, std::function<void()> pagesChanged)
        : m_wait(wait), m_pagesChanged(std::move(pagesChanged)) {
        m_clock.start();
    }
    void loading(const QByteArray &label) override {
        m_wait->setLabel(QStringLiteral("読み込み中 : ") + sjis::toUnicode(label));
    }
    void tableAdded(int) override { m_pagesChanged(); }
    void progress(int percent) override {
        if (percent == m_percent) return;
        m_percent = percent;
        m_wait->setProgress(percent);
    }
    void yield() override {
        if (m_clock.elapsed() < 30) return;
        m_clock.restart();
        QCoreApplication::processEvents();
    }
    bool stopRequested() override { return m_wait->stopRequested(); }

private:
    TWaitForm *m_wait;
    std::function<void()> m_pagesChanged;
    QElapsedTimer m_clock;
    int m_percent = 0;
};

}  // namespace

// ---- status bar -------------------------------------------------------------

TStatusBar::TStatusBar(QWidget *parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    const int widths[4] = {80, 50, 500, 50};
    for (int i = 0; i < 4; ++i) {
        m_panels[i] = new QLabel(this);
        m_panels[i]->setObjectName(QStringLiteral("Panel%1").arg(i));
        m_panels[i]->setFixedWidth(widths[i]);
        m_panels[i]->setFrameShape(QFrame::Panel);
        m_panels[i]->setFrameShadow(QFrame::Sunken);
        // The bar itself takes every double click.
        m_panels[i]->setAttribute(Qt::WA_TransparentForMouseEvents);
        addWidget(m_panels[i]);
    }
}

QString TStatusBar::panelText(int i) const { return m_panels[i]->text(); }
void TStatusBar::setPanelText(int i, const QString &text) { m_panels[i]->setText(text); }

void TStatusBar::mouseDoubleClickEvent(QMouseEvent *e) {
    QStatusBar::mouseDoubleClickEvent(e);
    emit doubleClicked();
}

// ---- date list --------------------------------------------------------------

void TDateList::mousePressEvent(QMouseEvent *e) {
    if (e->button() == Qt::RightButton) {
        // Only a plain right press opens the date menu; it never moves the
        // selection.
        if (e->buttons() == Qt::RightButton && e->modifiers() == Qt::NoModifier)
            emit rightPressed(e->position().toPoint());
        return;
    }
    m_pressedOnItem = itemAt(e->position().toPoint()) != nullptr;
    QListWidget::mousePressEvent(e);
}

void TDateList::mouseReleaseEvent(QMouseEvent *e) {
    QListWidget::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && m_pressedOnItem && itemAt(e->position().toPoint()) &&
        currentRow() >= 0)
        emit userClicked();
    m_pressedOnItem = false;
}

void TDateList::keyPressEvent(QKeyEvent *e) {
    const int before = currentRow();
    QListWidget::keyPressEvent(e);
    if (currentRow() != before && currentRow() >= 0) emit userClicked();
}

// Owned by the main window, so it goes with it.
DateEntryDelegate::DateEntryDelegate(TForm1 *form) : QStyledItemDelegate(form), m_form(form) {}

void DateEntryDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const {
    // Right and bottom are exclusive, as the tab outline is laid out.
    const QRect r = option.rect;
    const int L = r.x(), T = r.y(), R = r.x() + r.width(), B = r.y() + r.height();
    const bool data = m_form->dateHasData(index.row());
    const bool selected = option.state & QStyle::State_Selected;
    const QString label = index.data(Qt::DisplayRole).toString();

    p->save();
    p->setRenderHint(QPainter::Antialiasing, false);
    p->fillRect(r, kBtnFace);
    p->setPen(Qt::white);
    p->setBrush(kBtnFace);
    p->drawPolygon(
        QPolygon({QPoint(L, B - 1), QPoint(L, T + 3), QPoint(L + 1, T + 2), QPoint(L + 2, T + 1),
                  QPoint(R - 3, T + 1), QPoint(R - 2, T + 2), QPoint(R - 1, T + 3), QPoint(R - 1, B - 1)}));
    p->setPen(kGray);
    p->drawLine(R - 2, T + 3, R - 2, B - 2);
    p->setPen(Qt::black);
    p->drawPoint(R - 2, T + 2);
    p->drawLine(R - 1, T + 3, R - 1, B - 2);
    p->setPen(kBtnFace);
    p->drawLine(R - 2, B - 1, L + 1, B - 1);  // open at the bottom

    QFont font = option.font;
    if (selected) {
        p->setPen(kGray);
        p->drawLine(L + 5, B - 1, L + 5, T + 4);
        p->drawLine(L + 5, T + 3, R - 6, T + 3);
        p->setPen(Qt::white);
        p->drawLine(R - 6, T + 3, R - 6, B - 2);
        font.setBold(true);
        font.setUnderline(true);
    }
    p->setFont(font);
    const int ascent = QFontMetrics(font).ascent();
    if (!data) {
        // A white copy one pixel down-right under a grey one: engraved.
        p->setPen(Qt::white);
        p->drawText(L + 21, T + 7 + ascent, label);
        p->setPen(kGray);
    } else {
        p->setPen(Qt::black);
    }
    p->drawText(L + 20, T + 6 + ascent, label);
    if (selected) {
        QStyleOptionFocusRect focus;
        focus.initFrom(option.widget);
        focus.rect = r;
        focus.backgroundColor = kBtnFace;
        QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, p, option.widget);
    }
    p->restore();
}

QSize DateEntryDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    return QSize(option.rect.width(), 23);
}

// ---- chart views --------------------------------------------------------------

ChartTableModel::ChartTableModel(const ChartStore *store, int table, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_table(table) {
    if (const ChartTable *t = this->table()) m_rows = static_cast<int>(t->size());
}

const ChartTable *ChartTableModel::table() const {
    if (m_table < 0 || m_table >= m_store->tabs.size()) return nullptr;
    return &m_store->tabs.at(m_table).rows;
}

int ChartTableModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : m_rows; }
int ChartTableModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 3; }

QVariant ChartTableModel::data(const QModelIndex &index, int role) const {
    const ChartTable *t = table();
    if (!t || !index.isValid() || index.row() >= t->size()) return {};
    const ChartEntry &e = t->at(index.row());
    switch (role) {
        case Qt::DisplayRole: return sjis::toUnicode(e.field(index.column()));
        case FieldRole: return e.field(index.column());
        case AssociatedRole: return !e.file.isEmpty();
        default: return {};
    }
}

QVariant ChartTableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
    switch (section) {
        case 0: return QStringLiteral("順位");
        case 1: return QStringLiteral("曲名");
        case 2: return QStringLiteral("アーティスト名");
        default: return {};
    }
}

void ChartTableModel::rowsChanged() {
    const ChartTable *t = table();
    const int rows = t ? static_cast<int>(t->size()) : 0;
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (rows > 0) {
        emit dataChanged(index(0, 0), index(rows - 1, 2));
    }
}

void ChartRowDelegate::paint(QPainter *p, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const bool selected = option.state & QStyle::State_Selected;
    const bool associated = index.data(ChartTableModel::AssociatedRole).toBool();
    p->save();
    p->fillRect(option.rect, option.palette.base());
    if (selected) p->fillRect(option.rect, option.palette.brush(QPalette::Active, QPalette::Highlight));
    QFont font = option.font;
    QColor colour = option.palette.color(QPalette::Active, QPalette::Text);
    if (associated) {
        colour = Qt::red;
        font.setBold(true);
    } else if (selected) {
        colour = option.palette.color(QPalette::Active, QPalette::HighlightedText);
    }
    p->setFont(font);
    p->setPen(colour);
    p->drawText(option.rect.adjusted(2, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                index.data(Qt::DisplayRole).toString());
    p->restore();
}

TTabSheet::TTabSheet(int tag, const QString &caption, QWidget *parent)
    : QWidget(parent), m_tag(tag), m_caption(caption) {}

void TTabSheet::setListView(QTableView *view) {
    m_view = view;
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view);
}

// ---- main window ----------------------------------------------------------------

TForm1::TForm1(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VORQ data viewer"));
    setFont(mainFont());
    setAcceptDrops(true);
    buildLayout();
    // The size the window returns to when it is no longer maximised.
    resize(1024, 700);
}

TForm1::~TForm1() = default;

void TForm1::setOptions(TForm2 *options) {
    m_options = options;
    if (m_options) m_options->setHost(this);
}

void TForm1::buildLayout() {
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto *top = new QHBoxLayout;
    top->setSpacing(0);

    ListBox1 = new TDateList(central);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setFixedWidth(153);
    ListBox1->setFrameShape(QFrame::NoFrame);
    ListBox1->setUniformItemSizes(true);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    ListBox1->setItemDelegate(new DateEntryDelegate(this));
    ListBox1->setAutoFillBackground(true);
    QPalette lp = ListBox1->palette();
    lp.setColor(QPalette::Base, kBtnFace);
    ListBox1->setPalette(lp);
    connect(ListBox1, &TDateList::userClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &TDateList::rightPressed, this, [this](const QPoint &pos) { ListBox1MouseDown(pos); });
    top->addWidget(ListBox1);

    PageControl1 = new QStackedWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    connect(PageControl1, &QStackedWidget::currentChanged, this, [this] { activeTabChanged(); });
    top->addWidget(PageControl1, 1);
    outer->addLayout(top, 1);

    // Bottom panel: the command buttons in groups, as the user reads them.
    Panel1 = new QWidget(central);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(84);
    auto button = [this](QPushButton *&b, const char *name, const QString &caption, const QString &hint) {
        b = new QPushButton(caption, Panel1);
        b->setObjectName(QString::fromLatin1(name));
        if (!hint.isEmpty()) b->setToolTip(hint);
        b->setMinimumWidth(72);
    };
    auto image = [this](QLabel *&l, const char *name, const QColor &c) {
        l = new QLabel(Panel1);
        l->setObjectName(QString::fromLatin1(name));
        l->setFixedSize(16, 10);
        l->setPixmap(smallMark(c));
    };
    button(BitBtn6, "BitBtn6", QStringLiteral("リスト作成"), QStringLiteral("プレイリストを作成します"));
    button(Button6, "Button6", QStringLiteral("印刷"), {});
    button(Button7, "Button7", QStringLiteral("保存"), {});
    button(BitBtn5, "BitBtn5", QStringLiteral("検索"), {});
    button(BitBtn1, "BitBtn1", QStringLiteral("開く"), QStringLiteral("関連付けられたファイルを起動します"));
    button(BitBtn4, "BitBtn4", QStringLiteral("消去"),
           QStringLiteral("ファイルの関連付けの設定を消去します"));
    button(Button1, "Button1", QStringLiteral("自動更新"), QStringLiteral("関連付けを自動更新します"));
    button(BitBtn2, "BitBtn2", QStringLiteral("Option"), QStringLiteral("諸設定"));
    button(BitBtn3, "BitBtn3", QStringLiteral("終了"), QStringLiteral("終了します"));
    BitBtn1->setDefault(true);
    BitBtn1->setEnabled(false);
    BitBtn4->setEnabled(false);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    BitBtn2->setIcon(style()->standardIcon(QStyle::SP_FileDialogDetailedView));
    BitBtn3->setIcon(style()->standardIcon(QStyle::SP_DialogCloseButton));
    BitBtn4->setIcon(style()->standardIcon(QStyle::SP_DialogDiscardButton));
    BitBtn5->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    BitBtn6->setIcon(style()->standardIcon(QStyle::SP_FileDialogListView));
    SpeedButton1 = new QToolButton(Panel1);
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton1->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setAccessibleName(QStringLiteral("バージョン情報"));
    Label1 = new QLabel(QStringLiteral("曲目リスト"), Panel1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("関連付けファイル"), Panel1);
    Label2->setObjectName(QStringLiteral("Label2"));
    image(Image1, "Image1", QColor(0, 96, 192));
    image(Image2, "Image2", QColor(0, 96, 192));
    image(Image3, "Image3", QColor(192, 64, 0));
    image(Image4, "Image4", QColor(192, 64, 0));

    auto group = [this](QLabel *imgL, QLabel *label, QLabel *imgR, std::initializer_list<QWidget *> ws) {
        auto *box = new QVBoxLayout;
        box->addStretch();
        auto *head = new QHBoxLayout;
        head->addWidget(imgL);
        head->addWidget(label);
        head->addWidget(imgR);
        head->addStretch();
        box->addLayout(head);
        auto *row = new QHBoxLayout;
        for (QWidget *w : ws) row->addWidget(w);
        box->addLayout(row);
        return box;
    };
    auto *bottom = new QHBoxLayout(Panel1);
    bottom->setContentsMargins(8, 6, 8, 6);
    bottom->setSpacing(16);
    auto *listMaker = new QVBoxLayout;
    listMaker->addStretch();
    listMaker->addWidget(BitBtn6);
    BitBtn6->setMinimumWidth(96);
    bottom->addLayout(listMaker);
    bottom->addLayout(group(Image1, Label1, Image2, {Button6, Button7, BitBtn5}));
    bottom->addLayout(group(Image3, Label2, Image4, {BitBtn1, BitBtn4, Button1}));
    bottom->addStretch(1);
    auto *right = new QVBoxLayout;
    right->addStretch();
    auto *rightRow = new QHBoxLayout;
    rightRow->addWidget(BitBtn2);
    rightRow->addWidget(BitBtn3);
    rightRow->addWidget(SpeedButton1);
    right->addLayout(rightRow);
    bottom->addLayout(right);
    outer->addWidget(Panel1);
    setCentralWidget(central);

    StatusBar1 = new TStatusBar(this);
    setStatusBar(StatusBar1);
    connect(StatusBar1, &TStatusBar::doubleClicked, this, [this] { Panel3DblClick(); });

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    N1 = PopupMenu1->addAction(QStringLiteral("オンラインで開く"));
    N1->setObjectName(QStringLiteral("N1"));
    Save1 = PopupMenu1->addAction(QStringLiteral("取り込み"));
    Save1->setObjectName(QStringLiteral("Save1"));
    connect(N1, &QAction::triggered, this, [this] { N1Click(); });
    connect(Save1, &QAction::triggered, this, [this] { Save1Click(); });

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    connect(BitBtn4, &QPushButton::clicked, this, [this] { BitBtn4Click(); });
    connect(BitBtn5, &QPushButton::clicked, this, [this] { BitBtn5Click(); });
    connect(BitBtn6, &QPushButton::clicked, this, [this] { BitBtn6Click(); });
    connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
    connect(Button6, &QPushButton::clicked, this, [this] { Button6Click(); });
    connect(Button7, &QPushButton::clicked, this, [this] { Button7Click(); });
    connect(SpeedButton1, &QToolButton::clicked, this, [this] { SpeedButton1Click(); });
}

// ---- start and end ------------------------------------------------------------------

void TForm1::showEvent(QShowEvent *e) {
    QMainWindow::showEvent(e);
    if (m_startupGuard == 0 && !m_shown) FormShow();
}

bool TForm1::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate) FormActivate();
    return QMainWindow::event(e);
}

void TForm1::changeEvent(QEvent *e) { QMainWindow::changeEvent(e); }

void TForm1::FormShow() {
    m_shown = true;
    // Each step is its own command: a chart file with a bad line ends the
    // load with the error shown, and the date list is still built so the
    // tabs that did load can be reached.
    runGuarded(this, [this] {
        if (m_options) m_options->LoadSettings(QCoreApplication::arguments().mid(1));
    });
    runGuarded(this, [this] { fullLoad(); });
    runGuarded(this, [this] { buildDateList(); });
    m_loaded = true;
    if (m_activationDue || isActiveWindow()) {
        m_activationDue = false;
        // After the show has finished, as an activation would arrive.
        QMetaObject::invokeMethod(
            this, [this] { FormActivate(); }, Qt::QueuedConnection);
    }
}

void TForm1::FormActivate() {
    if (m_startupGuard != 0) return;
    if (!m_loaded) {
        m_activationDue = true;
        return;
    }
    // The guard is raised first: the automation lets events run, and a
    // second activation meanwhile must not start it again.
    m_startupGuard = 1;
    if (m_options) {
        if (m_options->CheckBox17->isChecked()) runGuarded(this, [this] { importMissingDates(); });
        if (m_options->CheckBox9->isChecked()) runGuarded(this, [this] { autoUpdateAssociations(); });
        if (m_options->CheckBox19->isChecked())
            QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
    }
    emit startupFinished();
}

void TForm1::closeEvent(QCloseEvent *e) {
    if (m_closing) return e->accept();
    if (!FormCloseQuery()) return e->ignore();
    m_closing = true;
    FormClose();
    e->accept();
}

bool TForm1::FormCloseQuery() {
    if (!associationsDirty()) return true;
    const auto answer =
        prompter().message(this, QMessageBox::Question, QStringLiteral("保存の確認"),
                           QStringLiteral("関連付けが更新されていますが、保存しますか?"),
                           QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, QMessageBox::Yes);
    if (answer == QMessageBox::Yes) return runGuarded(this, [this] { saveAssociationIndex(); });
    return answer == QMessageBox::No;
}

void TForm1::FormClose() {
    runGuarded(this, [this] {
        if (m_options) m_options->SaveSettings();
    });
    runGuarded(this, [this] { disposeAllTabs(); });
}

// ---- chart store on the window -----------------------------------------------------

void TForm1::fullLoad() {
    QString folder = m_options ? m_options->Edit4->text() : QString();
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    m_store.dataFolder = sjis::fromUnicode(folder);
    m_store.programFolder = env::programFolder();
    const QByteArray start =
        m_options ? sjis::fromUnicode(m_options->ComboBox1->currentText()) : QByteArray();
    const QByteArray end = m_options ? sjis::fromUnicode(m_options->ComboBox2->currentText()) : QByteArray();

    CursorGuard cursor;
    repaint();
    FreezeGuard freeze(this);
    m_loading = true;
    const int before = tabCount();
    ScopeExit done([this, before] {
        m_loading = false;
        syncPages();
        if (tabCount() > before) {
            setActiveTab(tabCount() - 1);
            syncDateListSelection();
        }
        ensureCurrentView();
        selectionFeedback();
    });
    WaitGuard wait(this);
    LoadWatcher watcher(wait.get(), [this] { syncPages(); });
    m_store.fullLoad(start, end, &watcher);
}

// Brings the pages in line with the store's tables: a page per table, the
// last one added active.
void TForm1::syncPages() {
    const int tables = static_cast<int>(m_store.tabs.size());
    int count = PageControl1->count();
    if (count == tables) return;
    while (count > tables) {
        QWidget *w = PageControl1->widget(--count);
        if (auto *sheet = qobject_cast<TTabSheet *>(w)) noteCaption(sjis::fromUnicode(sheet->caption()), -1);
        PageControl1->removeWidget(w);
        delete w;
    }
    while (m_models.size() > count) m_models.removeLast();
    for (int k = count; k < tables; ++k) {
        const ChartTab &t = m_store.tabs.at(k);
        auto *sheet = new TTabSheet(t.tag, sjis::toUnicode(t.caption), PageControl1);
        sheet->setObjectName(QStringLiteral("TabSheet%1").arg(k + 1));
        PageControl1->addWidget(sheet);
        m_models.append(nullptr);
        noteCaption(t.caption, +1);
    }
    // Each new page becomes the active one; a full load passes through
    // them all, so only the last is shown when it ends.
    if (count < tables && !m_loading) {
        setActiveTab(tables - 1);
        syncDateListSelection();
    }
}

int TForm1::addChartTable(const QString &fileName, int index, const QList<QByteArray> &lines) {
    ScopeExit pages([this] { syncPages(); });
    return m_store.addChartTable(fileName, index, lines);
}

int TForm1::loadChartFile(int index, const QString &path) {
    ScopeExit pages([this] { syncPages(); });
    return m_store.loadChartFile(index, path);
}

void TForm1::disposeAllTabs() {
    CursorGuard cursor;
    repaint();
    WaitGuard wait(this, QStringLiteral("終了処理中です..."), false);
    FreezeGuard freeze(this);
    m_loading = true;
    ScopeExit done([this] {
        m_loading = false;
        selectionFeedback();
        ListBox1->viewport()->update();
    });
    const int count = PageControl1->count();
    QList<QWidget *> pages;
    for (int i = 0; i < count; ++i) pages << PageControl1->widget(i);
    int shown = 0;
    for (int i = 0; i < count; ++i) {
        auto *sheet = qobject_cast<TTabSheet *>(pages.at(i));
        if (sheet) {
            noteCaption(sjis::fromUnicode(sheet->caption()), -1);
            delete sheet->listView();
        }
        PageControl1->removeWidget(pages.at(i));
        delete pages.at(i);
        const int percent = static_cast<int>(static_cast<qint64>(i) * 100 / count);
        if (percent != shown) {
            shown = percent;
            wait->setProgress(percent);
            wait->repaint();
        }
    }
    m_models.clear();
    m_captions.clear();
    m_store.clear();
}

void TForm1::buildDateList() {
    QByteArray folder = m_store.dataFolder;
    if (folder.isEmpty() && m_options) {
        QString f = m_options->Edit4->text();
        if (!f.isEmpty() && !f.endsWith(QLatin1Char('/'))) f += QLatin1Char('/');
        folder = sjis::fromUnicode(f);
    }
    const QList<QByteArray> notFound = readNotFoundList(folder, env::programFolder());
    const QSet<QByteArray> nf(notFound.begin(), notFound.end());
    QList<QByteArray> labels;
    if (m_options) {
        const auto start = dateFromLabel(sjis::fromUnicode(m_options->ComboBox1->currentText()));
        const auto end = dateFromLabel(sjis::fromUnicode(m_options->ComboBox2->currentText()));
        if (start && end) {
            QSet<QByteArray> captions;
            for (auto it = m_captions.cbegin(); it != m_captions.cend(); ++it) captions.insert(it.key());
            labels = vorq::buildDateList(*start, *end, nf, m_options->CheckBox15->isChecked(), captions);
        }
    }
    m_syncing = true;
    ScopeExit syncing([this] { m_syncing = false; });
    ListBox1->clear();
    m_dateLabels = labels;
    m_dateIndex.clear();
    QStringList texts;
    texts.reserve(labels.size());
    for (int i = 0; i < labels.size(); ++i) {
        m_dateIndex.insert(labels.at(i), i);
        texts << sjis::toUnicode(labels.at(i));
    }
    ListBox1->addItems(texts);
    syncDateListSelection();
}

void TForm1::syncDateListSelection() {
    if (PageControl1->count() == 0) return;
    const TTabSheet *sheet = tabSheet(activeTab());
    if (!sheet) return;
    const int row = m_dateIndex.value(dateLabelFromTag(sheet->tag()), -1);
    const bool was = m_syncing;
    m_syncing = true;
    if (row >= 0) {
        ListBox1->setCurrentRow(row);
    } else {
        ListBox1->setCurrentRow(-1);
        ListBox1->clearSelection();
    }
    m_syncing = was;
    ListBox1->viewport()->update();
}

void TForm1::noteCaption(const QByteArray &caption, int delta) {
    const int n = m_captions.value(caption) + delta;
    if (n > 0)
        m_captions.insert(caption, n);
    else
        m_captions.remove(caption);
}

// ---- pages --------------------------------------------------------------------------

int TForm1::tabCount() const { return PageControl1->count(); }
int TForm1::activeTab() const { return PageControl1->currentIndex(); }

void TForm1::setActiveTab(int index) { PageControl1->setCurrentIndex(index); }

TTabSheet *TForm1::tabSheet(int index) const {
    return qobject_cast<TTabSheet *>(PageControl1->widget(index));
}

QTableView *TForm1::listView(int index) {
    TTabSheet *sheet = tabSheet(index);
    if (!sheet) return nullptr;
    if (sheet->listView()) return sheet->listView();

    auto *view = new QTableView(sheet);
    view->setObjectName(QStringLiteral("ListView%1").arg(index + 1));
    view->setProperty("tag", index + 1);
    auto *model = new ChartTableModel(&m_store, index, view);
    m_models[index] = model;
    view->setModel(model);
    view->setItemDelegate(new ChartRowDelegate(view));
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setShowGrid(false);
    view->setWordWrap(false);
    view->setTabKeyNavigation(false);
    view->verticalHeader()->hide();
    view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 4);
    QHeaderView *header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->resizeSection(0, 50);
    header->resizeSection(1, 400);
    header->resizeSection(2, 250);
    // The selection stays visible without focus.
    QPalette pal = view->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    view->setPalette(pal);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this, view] {
        if (tabSheet(activeTab()) && tabSheet(activeTab())->listView() == view) selectionFeedback();
    });
    connect(view, &QAbstractItemView::doubleClicked, this, [this] { BitBtn1Click(); });
    sheet->setListView(view);
    return view;
}

void TForm1::refreshTable(int index) {
    if (index >= 0 && index < m_models.size() && m_models.at(index)) m_models.at(index)->rowsChanged();
}

void TForm1::activeTabChanged() {
    if (m_loading || m_viewPending) return;
    // Views are made for the page that stays on view, not for every page
    // a load passes through.
    m_viewPending = true;
    QMetaObject::invokeMethod(
        this, [this] { ensureCurrentView(); }, Qt::QueuedConnection);
}

void TForm1::ensureCurrentView() {
    m_viewPending = false;
    if (activeTab() >= 0) listView(activeTab());
    // The buttons and status bar follow the page on view.
    selectionFeedback();
}

// ---- date list ------------------------------------------------------------------------

QByteArray TForm1::dateLabelAt(int row) const {
    return row >= 0 && row < m_dateLabels.size() ? m_dateLabels.at(row) : QByteArray();
}

bool TForm1::dateHasData(int row) const { return m_captions.contains(dateLabelAt(row)); }

void TForm1::ListBox1Click() {
    if (m_syncing) return;
    const int row = ListBox1->currentRow();
    if (row < 0 || !ListBox1->item(row)->isSelected()) return;
    importDateList({QString::number(row)});
}

void TForm1::importDateList(const QStringList &indices) { vorq::importDateList(this, indices); }

void TForm1::importMissingDates() { vorq::importMissingDates(this); }

void TForm1::autoUpdateAssociations() {}

void TForm1::ListBox1MouseDown(const QPoint &pos) {
    QListWidgetItem *item = ListBox1->itemAt(pos);
    if (!item) return;
    const int row = ListBox1->row(item);
    bool found = false;
    if (const auto date = dateFromLabel(dateLabelAt(row))) {
        const int tag = dateTag(*date);
        for (int i = 0; i < tabCount(); ++i) {
            if (tabSheet(i)->tag() != tag) continue;
            setActiveTab(i);
            syncDateListSelection();
            found = true;
        }
    }
    if (m_options && !m_options->RadioButton1->isChecked()) found = true;
    Save1->setVisible(!found);
    m_rightClicked = row;
    PopupMenu1->popup(ListBox1->viewport()->mapToGlobal(pos));
}

QString TForm1::dateUrl(const QDate &date) const {
    // The import driver forms its addresses with the same rule, so the page
    // opened here is the page an import of the date fetches.
    QByteArray pattern;
    if (!m_options || !sjis::tryFromUnicode(m_options->Edit5->text(), &pattern)) return {};
    return sjis::toUnicode(formatDatePattern(pattern, date));
}

void TForm1::N1Click() {
    const auto date = dateFromLabel(dateLabelAt(m_rightClicked));
    if (!date) return;
    runGuarded(this, [&] {
        const QString url = dateUrl(*date);
        QString error;
        if (!shell().execute(this, QStringLiteral("open"), url, &error)) prompter().error(this, error);
    });
}

void TForm1::Save1Click() {
    if (m_rightClicked < 0 || m_rightClicked >= ListBox1->count()) return;
    {
        const bool was = m_syncing;
        m_syncing = true;
        ListBox1->setCurrentRow(m_rightClicked);
        m_syncing = was;
    }
    ListBox1Click();
}

// ---- selection and associations --------------------------------------------------

const ChartEntry *TForm1::selectedEntry() const {
    const int tab = activeTab();
    const TTabSheet *sheet = tabSheet(tab);
    if (!sheet || !sheet->listView() || tab >= m_store.tabs.size()) return nullptr;
    const QModelIndexList rows = sheet->listView()->selectionModel()->selectedRows();
    const ChartTable &table = m_store.tabs.at(tab).rows;
    if (rows.isEmpty() || rows.first().row() >= table.size()) return nullptr;
    return &table.at(rows.first().row());
}

QString TForm1::currentFile() const {
    const ChartEntry *e = selectedEntry();
    if (!e || e->file.isEmpty()) return {};
    const QString file = sjis::toUnicode(e->file);
    return isWebTarget(e->file) ? file : QDir::cleanPath(QDir::current().absoluteFilePath(file));
}

QString TForm1::currentMethod() const {
    const ChartEntry *e = selectedEntry();
    if (!e) return {};
    return e->method.isEmpty() ? QStringLiteral("open") : sjis::toUnicode(e->method);
}

void TForm1::selectionFeedback() {
    const QString file = currentFile();
    const QString method = currentMethod();
    BitBtn1->setEnabled(!file.isEmpty());
    if (!m_options || !m_options->CheckBox1->isChecked()) BitBtn4->setEnabled(!file.isEmpty());
    StatusBar1->setPanelText(2, file);
    StatusBar1->setPanelText(1, file.isEmpty() ? QString() : method);
    StatusBar1->setPanelText(3, QString());
}

void TForm1::markChanged() { StatusBar1->setPanelText(0, dirtyText()); }

bool TForm1::associationsDirty() const { return StatusBar1->panelText(0) == dirtyText(); }

void TForm1::saveAssociationIndex() {
    if (!associationsDirty()) return;
    saveIndex(m_store);  // throws with the marker still set
    StatusBar1->setPanelText(0, QString());
}

void TForm1::Panel3DblClick() {
    runGuarded(this, [this] { saveAssociationIndex(); });
}

void TForm1::BitBtn1Click() {
    const QString file = currentFile();
    if (file.isEmpty()) return;
    runGuarded(this, [&] {
        QString error;
        if (!shell().execute(this, currentMethod(), file, &error)) prompter().error(this, error);
    });
}

void TForm1::BitBtn2Click() {
    if (m_options) m_options->ShowOptions();
}

void TForm1::BitBtn3Click() { close(); }

void TForm1::SpeedButton1Click() {
    TForm7 about(this);
    if (m_options) about.Label3->setText(m_options->Edit3->text());
    about.exec();
}

// Commands of features still to come: list output, search, playlists,
// clearing and updating associations, the import timer, dropped files.
void TForm1::BitBtn4Click() {}
void TForm1::BitBtn5Click() {}
void TForm1::BitBtn6Click() {}
void TForm1::Button1Click() {}
void TForm1::Button6Click() {}
void TForm1::Button7Click() {}
void TForm1::Timer1Timer() { vorq::importTimerTick(this); }
void TForm1::FormDropFiles(const QStringList &files, const QPoint &globalPos) {
    Q_UNUSED(files);
    Q_UNUSED(globalPos);
}
void TForm1::startCdrWizard() {}
void TForm1::restoreFromCdr() {}

void TForm1::setAssociationEditingVisible(bool visible) {
    BitBtn4->setVisible(visible);
    Button1->setVisible(visible);
}

void TForm1::dragEnterEvent(QDragEnterEvent *e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void TForm1::dropEvent(QDropEvent *e) {
    QStringList files;
    for (const QUrl &url : e->mimeData()->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    if (files.isEmpty()) return;
    e->acceptProposedAction();
    FormDropFiles(files, mapToGlobal(e->position().toPoint()));
}
