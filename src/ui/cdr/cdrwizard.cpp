#include "ui/cdr/cdrwizard.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QStorageInfo>
#include <QStyle>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/cdr/stagesafety.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "ui/cdr/cdrwizardparts.h"
#include "ui/common/accessiblenames.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/common/readablecolours.h"
#include "ui/common/shell.h"

namespace vorq {

namespace {

const QString kCaption = QStringLiteral("CD-R作成ウィザード");
constexpr int kPages = 8;

QLabel *wrapped(const QString &text, QWidget *parent) {
    auto *l = new QLabel(text, parent);
    l->setWordWrap(true);
    return l;
}

// Radio buttons of one group that may both be off again.
void clearRadios(std::initializer_list<QRadioButton *> radios) {
    for (QRadioButton *r : radios) {
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
}

// Copies of the finish go through the desktop's shell, owned by the window
// that started the wizard.
class ShellCopier : public cdr::StageCopier {
public:
    explicit ShellCopier(QWidget *owner) : m_owner(owner) {}
    // The finish has asked once before replacing anything.
    void copy(const QStringList &sources, const QString &targetFolder, const QStringList &names) override {
        shell().copyFiles(m_owner, sources, targetFolder, nullptr, Overwrite::Replace, names);
    }

private:
    QWidget *m_owner;
};

}  // namespace

CdrWizard::CdrWizard(QWidget *parent, vorq::cdr::PathResolver resolve)
    : QDialog(parent), m_session(std::move(resolve)), m_model(new AssocListModel(&m_session, this)) {
    setObjectName(QStringLiteral("CDRForm"));
    setWindowTitle(kCaption);
    setAcceptDrops(true);
    buildPages();
    setStagingRoot(QDir::homePath());
    onOptionChanged();
    resize(560, 460);
}

CdrWizard::~CdrWizard() = default;

QWidget *CdrWizard::makePage(int page, const QString &heading, const QStringList &texts) {
    auto *w = new QWidget(pages);
    w->setObjectName(QStringLiteral("TabSheet%1").arg(page));
    auto *l = new QVBoxLayout(w);
    auto *h = new QLabel(heading, w);
    QFont f = h->font();
    f.setBold(true);
    h->setFont(f);
    l->addWidget(h);
    for (const QString &t : texts) l->addWidget(wrapped(t, w));
    pages->addWidget(w);
    return w;
}

void CdrWizard::addNavigation(int page, QWidget *pageWidget, int back, int next) {
    auto *row = new QHBoxLayout;
    row->addStretch();
    QPushButton *b = nullptr, *n = nullptr;
    if (back > 0) {
        b = new QPushButton(QStringLiteral("< 戻る(&B)"), pageWidget);
        b->setObjectName(page == 6 ? QStringLiteral("PrevBtn2") : QStringLiteral("BackBtn%1").arg(page));
        b->setProperty("tag", back);
        connect(b, &QPushButton::clicked, this, &CdrWizard::onNavigate);
        row->addWidget(b);
    }
    if (next > 0) {
        n = new QPushButton(QStringLiteral("次へ(&N) >"), pageWidget);
        n->setObjectName(QStringLiteral("NextBtn%1").arg(page));
        n->setProperty("tag", next);
        connect(n, &QPushButton::clicked, this, &CdrWizard::onNavigate);
        row->addWidget(n);
    }
    if (page == kPages) {
        finishButton = new QPushButton(QStringLiteral("完了"), pageWidget);
        finishButton->setObjectName(QStringLiteral("Button20"));
        connect(finishButton, &QPushButton::clicked, this, &CdrWizard::onFinishClicked);
        row->addWidget(finishButton);
    }
    auto *c = new QPushButton(QStringLiteral("キャンセル"), pageWidget);
    c->setObjectName(QStringLiteral("CancelBtn%1").arg(page));
    connect(c, &QPushButton::clicked, this, &CdrWizard::onCancelClicked);
    row->addWidget(c);
    static_cast<QVBoxLayout *>(pageWidget->layout())->addStretch();
    static_cast<QVBoxLayout *>(pageWidget->layout())->addLayout(row);
    backButtons[page - 1] = b;
    nextButtons[page - 1] = n;
    cancelButtons[page - 1] = c;
}

QWidget *CdrWizard::makeSizeSummary(int digit) {
    auto *box = new QWidget;
    auto *g = new QGridLayout(box);
    g->addWidget(new QLabel(QStringLiteral("現時点でのファイルサイズ(kB):"), box), 0, 0, 1, 2);
    const QStringList captions{QStringLiteral("プログラム本体:"), QStringLiteral("データ:"),
                               QStringLiteral("関連づけファイル:"), QStringLiteral("合計:")};
    const QStringList ids{QStringLiteral("SizeApp"), QStringLiteral("SizeData"), QStringLiteral("SizeAsso"),
                          QStringLiteral("SizeAll")};
    QList<QLabel *> *lists[] = {&sizeProgram, &sizeData, &sizeAssoc, &sizeAll};
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (int i = 0; i < 4; ++i) {
        g->addWidget(new QLabel(captions[i], box), i + 1, 0);
        auto *v = new QLabel(box);
        v->setObjectName(ids[i] + QString::number(digit));
        v->setFont(mono);
        v->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        g->addWidget(v, i + 1, 1);
        lists[i]->append(v);
    }
    g->setColumnStretch(2, 1);
    return box;
}

void CdrWizard::buildPages() {
    auto *top = new QVBoxLayout(this);
    pages = new QStackedWidget(this);
    pages->setObjectName(QStringLiteral("PageControl1"));
    top->addWidget(pages);
    for (int i = 0; i < kPages; ++i) {
        backButtons.append(nullptr);
        nextButtons.append(nullptr);
        cancelButtons.append(nullptr);
    }

    QWidget *p1 =
        makePage(1, QStringLiteral("CD-R作成ウィザードの開始"),
                 {QStringLiteral("CD-R作成ウィザードは、採集したVORQデータ、関連付けデータをCD-Rに収録するお"
                                 "手伝いをします。このウィザードを使うと新規のフォルダにデータファイルのセッ"
                                 "トをコピーし、各種設定ができます。"),
                  QStringLiteral("CD-R作成ウィザードを中止するときは[キャンセル]をクリックしてください。")});
    addNavigation(1, p1, 0, 2);

    QWidget *p2 = makePage(
        2, QStringLiteral("「CD-Rの内容」フォルダの設定 :"),
        {QStringLiteral(
            "CD-Rに保存するデータファイルを、HDD上の一つのフォルダにまとめてコピーします。下のフォルダリスト"
            "からCD-Rのルートフォルダとして設定するフォルダを選択してください。必要があれば関連づけファイル"
            "を格納するフォルダ等も作成しておいてください。")});
    {
        auto *l = static_cast<QVBoxLayout *>(p2->layout());
        driveBox = new QComboBox(p2);
        driveBox->setObjectName(QStringLiteral("DriveComboBox1"));
        driveBox->setAccessibleName(QStringLiteral("ドライブ"));
        // Places and mounted volumes stand for the drive list.
        driveBox->addItem(QDir::homePath());
        for (const QStorageInfo &v : QStorageInfo::mountedVolumes())
            if (v.isValid() && v.isReady() && driveBox->findText(v.rootPath()) < 0)
                driveBox->addItem(v.rootPath());
        connect(driveBox, &QComboBox::activated, this,
                [this](int i) { setStagingRoot(driveBox->itemText(i)); });
        l->addWidget(driveBox);
        currentFolderLabel = new QLabel(p2);
        currentFolderLabel->setObjectName(QStringLiteral("DirLabel"));
        l->addWidget(currentFolderLabel);
        auto *lists = new QHBoxLayout;
        folderList = new QListWidget(p2);
        folderList->setObjectName(QStringLiteral("DirectoryListBox1"));
        connect(folderList, &QListWidget::itemActivated, this, [this](QListWidgetItem *item) {
            setStagingRoot(QDir(m_root).absoluteFilePath(item->text()));
        });
        fileList = new QListWidget(p2);
        fileList->setObjectName(QStringLiteral("FileListBox1"));
        folderList->setAccessibleName(QStringLiteral("フォルダ"));
        fileList->setAccessibleName(QStringLiteral("ファイル"));
        lists->addWidget(folderList);
        lists->addWidget(fileList);
        l->addLayout(lists);
        auto *create = new QHBoxLayout;
        auto *createLabel = new QLabel(QStringLiteral("フォルダの新規作成..."), p2);
        create->addWidget(createLabel);
        newFolderEdit = new QLineEdit(QStringLiteral("新しいフォルダ"), p2);
        nameAfter(createLabel, newFolderEdit);
        newFolderEdit->setObjectName(QStringLiteral("Edit1"));
        createFolderButton = new QPushButton(QStringLiteral("作成"), p2);
        createFolderButton->setObjectName(QStringLiteral("Button22"));
        connect(createFolderButton, &QPushButton::clicked, this, &CdrWizard::onCreateFolderClicked);
        create->addWidget(newFolderEdit);
        create->addWidget(createFolderButton);
        l->addLayout(create);
    }
    addNavigation(2, p2, 1, 3);

    QWidget *p3 = makePage(
        3, QStringLiteral("プログラム本体・データフォルダ・関連付けファイルの保存先の設定"),
        {QStringLiteral(
            "プログラム本体とデータフォルダ、および関連付けファイルの保存先を指定してください。なお、データフ"
            "ォルダをプログラム本体と別のフォルダに移動することはできません。また、このウィザードでは関連付"
            "けファイルを複数のフォルダにまたがって指定することはできません。")});
    {
        auto *l = static_cast<QVBoxLayout *>(p3->layout());
        auto *row = new QHBoxLayout;
        folderTree = new QTreeWidget(p3);
        folderTree->setObjectName(QStringLiteral("TreeView1"));
        folderTree->setHeaderHidden(true);
        folderTree->setAccessibleName(QStringLiteral("CD-Rのフォルダ"));
        row->addWidget(folderTree, 1);
        auto *g = new QGridLayout;
        programFolderBox = new QComboBox(p3);
        programFolderBox->setObjectName(QStringLiteral("ComboBox1"));
        assocFolderBox = new QComboBox(p3);
        assocFolderBox->setObjectName(QStringLiteral("ComboBox2"));
        for (QComboBox *box : {programFolderBox, assocFolderBox}) {
            box->setItemDelegate(new FolderItemDelegate(box));
            connect(box, &QComboBox::currentIndexChanged, this, [this](int i) {
                if (i >= 0 && i < m_treeItems.size()) folderTree->setCurrentItem(m_treeItems.at(i));
            });
        }
        auto *programLabel = new QLabel(QStringLiteral("プログラム本体:"), p3);
        auto *assocLabel = new QLabel(QStringLiteral("関連づけファイル:"), p3);
        nameAfter(programLabel, programFolderBox);
        nameAfter(assocLabel, assocFolderBox);
        g->addWidget(programLabel, 0, 0);
        g->addWidget(programFolderBox, 0, 1);
        g->addWidget(wrapped(QStringLiteral("実行ファイル、未放送日データ等(必須)"), p3), 1, 1);
        g->addWidget(new QLabel(QStringLiteral("データ:"), p3), 2, 0);
        g->addWidget(wrapped(QStringLiteral("Webサイトから採集したランキングデータです。"), p3), 2, 1);
        g->addWidget(assocLabel, 3, 0);
        g->addWidget(assocFolderBox, 3, 1);
        g->addWidget(wrapped(QStringLiteral("曲に関連づけたファイル(MP3,画像など)です。"), p3), 4, 1);
        row->addLayout(g, 1);
        l->addLayout(row);
    }
    addNavigation(3, p3, 2, 4);

    QWidget *p4 = makePage(
        4, QStringLiteral("コピーするファイルを設定します。"),
        {QStringLiteral("CD-ROMには収録できる容量に限度があるので、すべてのファイル、特に関連づけファイルがす"
                        "べてコピーできない可能性があります。ファイルをコピーする条件を設定してください。")});
    {
        auto *l = static_cast<QVBoxLayout *>(p4->layout());
        limitByDateBox =
            new QCheckBox(QStringLiteral("日付を制限して、関連づけファイルの量を制限する。"), p4);
        limitByDateBox->setObjectName(QStringLiteral("CheckBox1"));
        filterBox = new QCheckBox(p4);
        filterBox->setObjectName(QStringLiteral("CheckBox2"));
        // The long option text wraps in a label that toggles its box.
        auto *filterRow = new QHBoxLayout;
        auto *filterLabel =
            wrapped(QStringLiteral(
                        "関連づけファイルは別リスト、または別のフォルダに掲載されているものを利用し、リストや"
                        "別のフォルダに出ていないものは関連づけの設定を消去する。"),
                    p4);
        filterLabel->installEventFilter(this);
        filterLabel->setObjectName(QStringLiteral("CheckBox2Label"));
        filterBox->setAccessibleName(filterLabel->text());
        filterRow->addWidget(filterBox);
        filterRow->addWidget(filterLabel, 1);
        manualBox = new QCheckBox(QStringLiteral("手動で収録する関連づけファイルを選択する。"), p4);
        manualBox->setObjectName(QStringLiteral("CheckBox3"));
        l->addWidget(limitByDateBox);
        l->addLayout(filterRow);
        l->addWidget(manualBox);
        for (QCheckBox *b : {limitByDateBox, filterBox, manualBox})
            connect(b, &QCheckBox::toggled, this, &CdrWizard::onOptionChanged);
        l->addWidget(makeSizeSummary(0));
    }
    addNavigation(4, p4, 3, 8);

    QWidget *p5 = makePage(5, QStringLiteral("日付を制限して、関連づけファイルの量を制限します。"),
                           {QStringLiteral("収録するデータの日付を設定してください。")});
    {
        auto *l = static_cast<QVBoxLayout *>(p5->layout());
        auto *row = new QHBoxLayout;
        firstDateBox = new QComboBox(p5);
        firstDateBox->setObjectName(QStringLiteral("ComboBox4"));
        lastDateBox = new QComboBox(p5);
        lastDateBox->setObjectName(QStringLiteral("ComboBox5"));
        firstDateBox->setAccessibleName(QStringLiteral("最初の日付"));
        lastDateBox->setAccessibleName(QStringLiteral("最後の日付"));
        row->addWidget(firstDateBox);
        row->addWidget(new QLabel(QStringLiteral("～"), p5));
        row->addWidget(lastDateBox);
        row->addStretch();
        l->addLayout(row);
        for (QComboBox *b : {firstDateBox, lastDateBox})
            connect(b, &QComboBox::currentIndexChanged, this, &CdrWizard::onDateRangeChanged);
        l->addWidget(makeSizeSummary(1));
    }
    addNavigation(5, p5, 4, 8);

    QWidget *p6 =
        makePage(6, QStringLiteral("別リストや別のフォルダから関連づけファイルを参照します。"),
                 {QStringLiteral("リストがある場合は「リスト参照」ボタンを押してください。別フォルダのファイ"
                                 "ルを利用する場合は「フォルダ参照」ボタンを押してください。")});
    {
        auto *g = new QGridLayout;
        listRadio = new QRadioButton(QStringLiteral("ファイル名リストを利用"), p6);
        listRadio->setObjectName(QStringLiteral("RadioButton1"));
        listFileEdit = new QLineEdit(p6);
        listFileEdit->setObjectName(QStringLiteral("Edit5"));
        browseListButton = new QPushButton(QStringLiteral("リスト参照"), p6);
        browseListButton->setObjectName(QStringLiteral("Button28"));
        folderRadio = new QRadioButton(QStringLiteral("別フォルダを参照"), p6);
        folderRadio->setObjectName(QStringLiteral("RadioButton2"));
        filterFolderEdit = new QLineEdit(p6);
        filterFolderEdit->setObjectName(QStringLiteral("Edit4"));
        browseFolderButton = new QPushButton(QStringLiteral("フォルダ参照"), p6);
        browseFolderButton->setObjectName(QStringLiteral("Button29"));
        listFileEdit->setAccessibleName(QStringLiteral("ファイル名リスト"));
        filterFolderEdit->setAccessibleName(QStringLiteral("参照するフォルダ"));
        g->addWidget(listRadio, 0, 0);
        g->addWidget(listFileEdit, 1, 0);
        g->addWidget(browseListButton, 1, 1);
        g->addWidget(folderRadio, 2, 0);
        g->addWidget(filterFolderEdit, 3, 0);
        g->addWidget(browseFolderButton, 3, 1);
        static_cast<QVBoxLayout *>(p6->layout())->addLayout(g);
        static_cast<QVBoxLayout *>(p6->layout())->addWidget(makeSizeSummary(2));
        connect(listRadio, &QRadioButton::clicked, this, &CdrWizard::applyListFilter);
        connect(folderRadio, &QRadioButton::clicked, this, &CdrWizard::applyFolderFilter);
        connect(browseListButton, &QPushButton::clicked, this, &CdrWizard::onBrowseListClicked);
        connect(browseFolderButton, &QPushButton::clicked, this, &CdrWizard::onBrowseFolderClicked);
    }
    addNavigation(6, p6, 4, 8);
    nextButtons[5]->setEnabled(false);

    QWidget *p7 = makePage(
        7, QStringLiteral("手動で収録する関連づけファイルを選択します。"),
        {QStringLiteral(
            "下の関連づけファイルのリストを編集して、削除したいファイルがあれば、編集してください。またその"
            "他にコピーしたいファイルがあればエクスプローラ等からドラッグして追加してください(関連づけは追"
            "加されません)。")});
    {
        auto *row = new QHBoxLayout;
        assocListView = new QTreeView(p7);
        assocListView->setObjectName(QStringLiteral("ListView1"));
        assocListView->setAccessibleName(QStringLiteral("収録する関連づけファイル"));
        assocListView->setRootIsDecorated(false);
        assocListView->setUniformRowHeights(true);
        assocListView->setSelectionMode(QAbstractItemView::ExtendedSelection);
        assocListView->setModel(m_model);
        assocListView->setColumnWidth(0, 170);
        assocListView->setColumnWidth(1, 110);
        assocListView->setColumnWidth(2, 70);
        assocListView->header()->setSectionsClickable(true);
        connect(assocListView->header(), &QHeaderView::sectionClicked, this, [this](int column) {
            m_session.sortBy(column);
            m_model->reload();
        });
        row->addWidget(assocListView, 1);
        auto *buttons = new QVBoxLayout;
        addButton = new QPushButton(QStringLiteral("<= 追加"), p7);
        addButton->setObjectName(QStringLiteral("Button11"));
        removeButton = new QPushButton(QStringLiteral("削除 =>"), p7);
        removeButton->setObjectName(QStringLiteral("Button13"));
        connect(addButton, &QPushButton::clicked, this, &CdrWizard::onAddClicked);
        connect(removeButton, &QPushButton::clicked, this, &CdrWizard::onRemoveClicked);
        buttons->addWidget(addButton);
        buttons->addWidget(removeButton);
        buttons->addStretch();
        row->addLayout(buttons);
        static_cast<QVBoxLayout *>(p7->layout())->addLayout(row, 1);
        static_cast<QVBoxLayout *>(p7->layout())->addWidget(makeSizeSummary(3));
    }
    addNavigation(7, p7, 4, 8);

    QWidget *p8 = makePage(
        8, QStringLiteral("CD-R作成ウィザードを終了します"),
        {QStringLiteral(
             "CD-R作成ウィザードは正常に終了しました。以上の設定で、指定したフォルダにCD-Rを作成するための"
             "データファイルを準備します。"),
         QStringLiteral("ウィザードを閉じるには[完了]をクリックしてください。"),
         QStringLiteral(
             "ウィザードを終了したら、お使いのCD-R作成ソフトを起動して、ここで指定したフォルダをルートフォル"
             "ダとしたCD-Rを作成してください。CD-Rを挿入しただけでソフトを起動させることができます。")});
    // What the disc will not carry, so it is known before burning.
    leftOutLabel = wrapped(QString(), p8);
    leftOutLabel->setObjectName(QStringLiteral("LeftOutLabel"));
    leftOutLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    leftOutLabel->hide();
    static_cast<QVBoxLayout *>(p8->layout())->addWidget(leftOutLabel);
    addNavigation(8, p8, 4, 0);
}

// ---- start and pages ----------------------------------------------------------------

void CdrWizard::start(const cdr::StageSource &source) {
    CursorGuard cursor;
    m_session.start(source);
    QSignalBlocker b4(firstDateBox), b5(lastDateBox);
    firstDateBox->clear();
    lastDateBox->clear();
    for (const cdr::DataDate &d : m_session.dataDates()) {
        firstDateBox->addItem(sjis::toUnicode(d.label));
        lastDateBox->addItem(sjis::toUnicode(d.label));
    }
    firstDateBox->setCurrentIndex(firstDateBox->count() ? 0 : -1);
    lastDateBox->setCurrentIndex(lastDateBox->count() - 1);
    refreshList();
    showPage(1);
}

int CdrWizard::currentPage() const { return pages->currentIndex() + 1; }

void CdrWizard::showPage(int page) {
    if (page == kPages) refreshLeftOut();
    if (page >= 1 && page <= kPages) pages->setCurrentIndex(page - 1);
}

void CdrWizard::refreshLeftOut() {
    const QList<cdr::LeftOut> left = m_session.leftOut();
    constexpr int kShown = 12;
    QStringList lines;
    for (qsizetype i = 0; i < left.size() && i < kShown; ++i)
        lines.append(sjis::toUnicode(left.at(i).stored) + QStringLiteral("  (") +
                     cdr::leftOutText(left.at(i).reason) + QLatin1Char(')'));
    if (left.size() > kShown) lines.append(QStringLiteral("ほか %1 件").arg(left.size() - kShown));
    leftOutLabel->setText(
        QStringLiteral("次の %1 件の関連付けはファイルとしてディスクに入りません:\n").arg(left.size()) +
        lines.join(QLatin1Char('\n')));
    leftOutLabel->setVisible(!left.isEmpty());
}

void CdrWizard::onNavigate() {
    auto *button = qobject_cast<QPushButton *>(sender());
    if (!button) return;
    const int target = button->property("tag").toInt();
    runGuarded(this, [&] {
        if (currentPage() == 2 && target == 3) rebuildFolderTree();
        if (button == backButtons[5]) onLeaveFilterPage();
    });
    showPage(target);
}

void CdrWizard::onOptionChanged() {
    QList<int> chain{4};
    if (limitByDateBox->isChecked()) chain.append(5);
    if (filterBox->isChecked()) chain.append(6);
    if (manualBox->isChecked()) chain.append(7);
    chain.append(8);
    for (qsizetype i = 0; i + 1 < chain.size(); ++i) {
        nextButtons[chain[i] - 1]->setProperty("tag", chain[i + 1]);
        backButtons[chain[i + 1] - 1]->setProperty("tag", chain[i]);
    }
}

// ---- staging root (page 2) and folders (page 3) ---------------------------------------

void CdrWizard::setStagingRoot(const QString &folder) {
    const QDir dir(folder);
    if (!dir.exists()) return;
    m_root = dir.absolutePath();
    fillFolderList();
}

void CdrWizard::fillFolderList() {
    currentFolderLabel->setText(m_root);
    folderList->clear();
    fileList->clear();
    const QDir dir(m_root);
    if (!dir.isRoot()) folderList->addItem(QStringLiteral(".."));
    folderList->addItems(dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase));
    fileList->addItems(dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void CdrWizard::onCreateFolderClicked() {
    const QString name = newFolderEdit->text();
    if (name.isEmpty() || name.contains(QLatin1Char('/')) || name == QLatin1String("..") ||
        name == QLatin1String("."))
        return;
    QDir dir(m_root);
    if (dir.mkdir(name)) setStagingRoot(dir.filePath(name));
}

void CdrWizard::rebuildFolderTree() {
    CursorGuard cursor;
    setEnabled(false);
    ScopeExit enable([this] { setEnabled(true); });
    m_nodes = cdr::folderTree(m_root);
    folderTree->clear();
    m_treeItems.clear();
    QList<QTreeWidgetItem *> parents;  // by depth
    for (const cdr::FolderNode &node : std::as_const(m_nodes)) {
        QTreeWidgetItem *item = node.depth == 0
                                    ? new QTreeWidgetItem(folderTree, {QStringLiteral("[CD-ROM]")})
                                    : new QTreeWidgetItem(parents.at(node.depth - 1), {node.names.last()});
        parents.resize(node.depth);
        parents.append(item);
        m_treeItems.append(item);
    }
    for (QComboBox *box : {programFolderBox, assocFolderBox}) {
        QSignalBlocker block(box);
        box->clear();
        for (const cdr::FolderNode &node : std::as_const(m_nodes)) {
            box->addItem(
                style()->standardIcon(node.depth == 0 ? QStyle::SP_DriveCDIcon : QStyle::SP_DirClosedIcon),
                node.depth == 0 ? QStringLiteral("[CD-ROM]") : node.names.last());
            box->setItemData(box->count() - 1, node.depth, kFolderDepthRole);
        }
        box->setCurrentIndex(0);
    }
    if (!m_treeItems.isEmpty()) {
        folderTree->expandItem(m_treeItems.first());
        folderTree->setCurrentItem(m_treeItems.first());
    }
}

cdr::StageLayout CdrWizard::layout() const {
    const auto rel = [this](QComboBox *box) {
        const int i = box->currentIndex();
        return i >= 0 && i < m_nodes.size() ? m_nodes.at(i).names : QStringList();
    };
    return {m_root, rel(programFolderBox), rel(assocFolderBox)};
}

// ---- sizes and the list -----------------------------------------------------------------

void CdrWizard::refreshSizes() {
    const QString app = cdr::kibText(m_session.programSize()), data = cdr::kibText(m_session.dataSize()),
                  assoc = cdr::kibText(m_session.assocSize()), all = cdr::kibText(m_session.total());
    // The design's black, yellow and red, in the shades this palette reads.
    const QColor designed[] = {palette().color(QPalette::WindowText), QColor(0xC0, 0xA0, 0x00),
                               QColor(Qt::red)};
    const QColor colour = colours::readableOn(designed[int(cdr::summaryColour(m_session.total()))],
                                              palette().color(QPalette::Window));
    for (int d = 0; d < sizeAll.size(); ++d) {
        sizeProgram[d]->setText(app);
        sizeData[d]->setText(data);
        sizeAssoc[d]->setText(assoc);
        sizeAll[d]->setText(all);
        QPalette p = sizeAll[d]->palette();
        p.setColor(QPalette::WindowText, colour);
        sizeAll[d]->setPalette(p);
    }
}

void CdrWizard::refreshList() {
    m_model->reload();
    refreshSizes();
}

void CdrWizard::onDateRangeChanged() {
    m_session.setRange(firstDateBox->currentIndex(), lastDateBox->currentIndex());
    refreshList();
}

void CdrWizard::applyFilter(const QList<QByteArray> &names) {
    nextButtons[5]->setEnabled(true);
    m_session.rebuildAssociated();
    m_session.keepOnlyNames(names);
    refreshList();
}

void CdrWizard::applyListFilter() {
    runGuarded(this, [this] { applyFilter(cdr::namesFromListFile(listFileEdit->text())); });
}

void CdrWizard::applyFolderFilter() { applyFilter(cdr::namesInFolder(filterFolderEdit->text())); }

void CdrWizard::onBrowseListClicked() {
    const QString file = prompter().openFile(
        this, QString(), listFileEdit->text(),
        QStringLiteral("WinAmp Playlist(*.m3u) (*.m3u);;Text file(*.txt) (*.txt);;All files (*)"));
    if (file.isEmpty()) return;
    listFileEdit->setText(file);
    listRadio->setChecked(true);
    applyListFilter();
}

void CdrWizard::onBrowseFolderClicked() {
    QString folder = prompter().folder(this, QString(), filterFolderEdit->text());
    if (folder.isEmpty()) return;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    filterFolderEdit->setText(folder);
    folderRadio->setChecked(true);
    applyFolderFilter();
}

void CdrWizard::onLeaveFilterPage() {
    m_session.rebuildAssociated();
    nextButtons[5]->setEnabled(false);
    clearRadios({listRadio, folderRadio});
    refreshList();
}

void CdrWizard::addDroppedFiles(const QStringList &files) {
    for (const QString &f : files) {
        try {
            m_session.addLocalFile(f);
        } catch (const EncodingError &e) {
            // As a drop on the chart says it.
            prompter().message(this, QMessageBox::Warning, QStringLiteral("関連付けできません"),
                               f + QStringLiteral("\r\n") + e.message(), QMessageBox::Ok, QMessageBox::Ok);
        } catch (const Error &e) {
            prompter().message(this, QMessageBox::Warning, kCaption, e.message(), QMessageBox::Ok,
                               QMessageBox::Ok);
        }
    }
    refreshList();
}

void CdrWizard::onAddClicked() {
    const QStringList files = prompter().openFiles(
        this, QString(), QString(),
        QStringLiteral("音楽 (*.mp3 *.wav *.mid *.au *.wma);;画像 (*.jpg *.gif *.png *.bmp *.wmf);;"
                       "動画 (*.mov *.mpg *.mpe *.mpeg *.wmv);;すべての種類 (*)"));
    addDroppedFiles(files);
}

void CdrWizard::onRemoveClicked() {
    QList<int> rows;
    for (const QModelIndex &i : assocListView->selectionModel()->selectedRows()) rows.append(i.row());
    m_session.removeItems(rows);
    refreshList();
}

void CdrWizard::dragEnterEvent(QDragEnterEvent *e) {
    if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void CdrWizard::dropEvent(QDropEvent *e) {
    QStringList files;
    for (const QUrl &u : e->mimeData()->urls())
        if (u.isLocalFile()) files.append(u.toLocalFile());
    addDroppedFiles(files);
    e->acceptProposedAction();
}

// ---- cancel and finish -----------------------------------------------------------------

void CdrWizard::onCancelClicked() {
    const auto answer = prompter().message(
        this, QMessageBox::Question, kCaption,
        QStringLiteral("CD-R作成の設定はまだ完了していません。\n\nウィザードを閉じますか?"),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes) reject();
}

void CdrWizard::keyPressEvent(QKeyEvent *e) {
    // Esc is the cancel button (with its question); the close box is not.
    if (e->key() == Qt::Key_Escape) {
        onCancelClicked();
        return;
    }
    QDialog::keyPressEvent(e);
}

bool CdrWizard::eventFilter(QObject *watched, QEvent *e) {
    // The wrapped text of the second option toggles its box like a caption.
    if (e->type() == QEvent::MouseButtonRelease && watched->objectName() == QLatin1String("CheckBox2Label")) {
        filterBox->toggle();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void CdrWizard::onFinishClicked() {
    // Everything that could stop the finish is settled before its first
    // write; a refusal or a No leaves the wizard open on its choices.
    cdr::StagePlan plan;
    const bool planned = runGuarded(this, [&] {
        plan = cdr::planStage(m_session, layout());
        cdr::refuseUnsafeTargets(plan,
                                 cdr::liveFolders(m_session.source().dataFolder, env::programBaseName()));
    });
    if (!planned) return;
    if (const QStringList existing = cdr::existingTargets(plan); !existing.isEmpty()) {
        constexpr int kShown = 15;
        QStringList shown = existing.mid(0, kShown);
        if (existing.size() > kShown)
            shown.append(QStringLiteral("ほか %1 個のファイル").arg(existing.size() - kShown));
        const auto answer = prompter().message(
            this, QMessageBox::Question, kCaption,
            QStringLiteral("次のファイルは既にあります。置き換えますか?\n\n") + shown.join(QLatin1Char('\n')),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes) return;
    }
    hide();
    QWidget *owner = parentWidget();
    runGuarded(owner, [&plan, owner] {
        ShellCopier copier(owner);
        cdr::runStage(plan, copier);
    });
    accept();
}

// ---- restore ------------------------------------------------------------------------

void restoreFromCdr(QWidget *parent, const QString &programFile) {
    QString target = prompter().folder(parent, QStringLiteral("復元先のフォルダ"), QDir::homePath());
    if (target.isEmpty()) return;
    if (!target.endsWith(QLatin1Char('/'))) target += QLatin1Char('/');
    for (const QString &source : cdr::restoreSources(programFile))
        shell().copyFiles(parent, {source}, target);
}

}  // namespace vorq
