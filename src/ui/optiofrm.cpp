#include "optiofrm.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "appenv.h"
#include "chartstore.h"
#include "doubleini.h"
#include "optionkeys.h"
#include "plistfrm.h"
#include "shellparts.h"
#include "sjistext.h"

using namespace vorq;

namespace {

// Page positions.
enum Page { kImportPage = 0, kDisplayPage, kAssociationPage, kListPage, kStartupPage, kWebPage, kOtherPage };

QString text(const QByteArray &sjisText) { return sjis::toUnicode(sjisText); }

// Whether the control itself is enabled (the dialog may be disabled while
// it works, which must not change what the controls say).
bool enabledSelf(const QWidget *w) { return !w->testAttribute(Qt::WA_ForceDisabled); }

QLabel *wrapLabel(QLabel *label) {
    label->setWordWrap(true);
    return label;
}

}  // namespace

TForm2::TForm2(QWidget *parent, TForm4 *playlistForm) : QDialog(parent), m_playlist(playlistForm) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Option"));
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("IPAPゴシック"), QStringLiteral("Noto Sans CJK JP")});
    f.setPixelSize(12);
    setFont(f);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    auto make = [this](auto *&w, const char *name) {
        w = new std::remove_reference_t<decltype(*w)>(this);
        w->setObjectName(QString::fromLatin1(name));
    };
    make(RadioButton1, "RadioButton1");
    make(RadioButton2, "RadioButton2");
    make(RadioButton3, "RadioButton3");
    make(RadioButton4, "RadioButton4");
    QCheckBox **boxes[] = {&CheckBox1,  &CheckBox2,  &CheckBox3,  &CheckBox4,  &CheckBox5,  &CheckBox6,
                           &CheckBox7,  &CheckBox8,  &CheckBox9,  &CheckBox10, &CheckBox11, &CheckBox12,
                           &CheckBox13, &CheckBox14, &CheckBox15, &CheckBox16, &CheckBox17, &CheckBox18,
                           &CheckBox19, &CheckBox20, &CheckBox21, &CheckBox22, &CheckBox23};
    for (int i = 0; i < 23; ++i) {
        *boxes[i] = new QCheckBox(this);
        (*boxes[i])->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    }
    QLineEdit **edits[] = {&Edit1, &Edit2, &Edit3, &Edit4, &Edit5, &Edit6, &Edit7, &Edit8};
    for (int i = 0; i < 8; ++i) {
        *edits[i] = new QLineEdit(this);
        (*edits[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    }
    QPushButton **buttons[] = {&Button1, &Button2, &Button3, &Button4,
                               &Button5, &Button6, &Button7, &Button8};
    for (int i = 0; i < 8; ++i) {
        *buttons[i] = new QPushButton(this);
        (*buttons[i])->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        (*buttons[i])->setAutoDefault(false);
    }
    QLabel **labels[] = {&Label1,  &Label2,  &Label3,  &Label4,  &Label5,  &Label6,  &Label7,
                         &Label8,  &Label9,  &Label10, &Label11, &Label12, &Label13, &Label14,
                         &Label15, &Label16, &Label17, &Label18, &Label19};
    for (int i = 0; i < 19; ++i) {
        *labels[i] = new QLabel(this);
        (*labels[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    make(ComboBox1, "ComboBox1");
    make(ComboBox2, "ComboBox2");
    ComboBox1->setEditable(false);
    ComboBox2->setEditable(false);

    buildPages();

    // Designed state.
    RadioButton1->setChecked(true);
    for (QCheckBox *b : {CheckBox2, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox11})
        b->setChecked(true);
    for (QWidget *w : std::initializer_list<QWidget *>{CheckBox14, CheckBox15, Label3, Edit7, Edit8, Button5})
        w->setEnabled(false);
    Edit4->setText(text(options::homeFolder()));
    Edit2->setText(text(options::musicFolder()));
    Edit1->setText(text(options::defaultFileNamePattern()));
    Edit6->setText(text(options::defaultSkipString()));
    Edit3->setText(text(options::defaultUrlHome()));
    Edit5->setText(text(options::defaultUrlData()));

    connectRules();
}

TForm2::~TForm2() = default;

void TForm2::buildPages() {
    auto page = [this](const QString &title) {
        auto *w = new QWidget;
        w->setObjectName(QStringLiteral("TabSheet%1").arg(PageControl1->count() + 1));
        PageControl1->addTab(w, title);
        auto *l = new QVBoxLayout(w);
        // Tight enough that the fullest page fits the designed dialog size.
        l->setContentsMargins(8, 6, 8, 6);
        l->setSpacing(3);
        return l;
    };
    auto row = [](std::initializer_list<QWidget *> ws, bool stretch = true) {
        auto *h = new QHBoxLayout;
        for (QWidget *w : ws) h->addWidget(w);
        if (stretch) h->addStretch();
        return h;
    };

    // 0 import
    {
        QVBoxLayout *l = page(QStringLiteral("データ取り込み"));
        Label6->setText(QStringLiteral("手元に取得していないデータを指定したときの動作を設定します。"));
        l->addWidget(wrapLabel(Label6));
        RadioButton1->setText(QStringLiteral("Webより取得"));
        RadioButton1->setToolTip(QStringLiteral("VORQのWebサイトよりデータをダウンロードします"));
        RadioButton2->setText(QStringLiteral("HTML文書を変換"));
        RadioButton2->setToolTip(QStringLiteral("あらかじめダウンロードしておいたHTMLファイルを変換します"));
        RadioButton3->setText(QStringLiteral("テキストファイルを参照"));
        RadioButton3->setToolTip(QStringLiteral("変換したテキストファイルを読み込みます"));
        RadioButton4->setText(QStringLiteral("取り込みを行わない"));
        RadioButton4->setToolTip(QStringLiteral("何もしません"));
        // Two by two: the four captions do not fit in one row of the page.
        auto *radios = new QGridLayout;
        radios->addWidget(RadioButton1, 0, 0);
        radios->addWidget(RadioButton2, 0, 1);
        radios->addWidget(RadioButton3, 1, 0);
        radios->addWidget(RadioButton4, 1, 1);
        radios->setColumnStretch(2, 1);
        l->addLayout(radios);
        CheckBox12->setText(QStringLiteral("取り込んだデータを自動保存する"));
        CheckBox12->setToolTip(QStringLiteral("取り込まれたデータをテキストファイルとして保存します"));
        CheckBox13->setText(QStringLiteral("取り込み時にデータを確認する"));
        CheckBox13->setToolTip(QStringLiteral("正しくデータが取り込まれているか確認します"));
        CheckBox14->setText(QStringLiteral("データを加工したものを保存する"));
        CheckBox14->setToolTip(QStringLiteral("文字種を変換して保存します"));
        Label3->setText(QStringLiteral("(全角英数字→半角、姓名間のスペースを除去)"));
        CheckBox15->setText(QStringLiteral("未取得の日付を隠す"));
        CheckBox15->setToolTip(QStringLiteral("取り込まれている日付のみ表示します"));
        CheckBox16->setText(QStringLiteral("取り込み後関連づけも更新する"));
        CheckBox16->setToolTip(QStringLiteral("関連づけデータも更新します。"));
        l->addLayout(row({CheckBox12, CheckBox13}));
        l->addLayout(row({CheckBox14, Label3}));
        l->addLayout(row({CheckBox15, CheckBox16}));
        Label11->setText(QStringLiteral("データファイルの保存先"));
        Edit4->setToolTip(QStringLiteral("取得したデータファイル等の保存先を指定します。"));
        Button2->setText(QStringLiteral("参照..."));
        CheckBox20->setText(QStringLiteral("アプリケーションと同じフォルダ"));
        CheckBox20->setToolTip(
            QStringLiteral("アプリケーションと同じフォルダにデータファイルを書き込みます。"));
        auto *folder = new QHBoxLayout;
        folder->addWidget(Label11);
        folder->addWidget(Edit4, 1);
        folder->addWidget(Button2);
        l->addLayout(folder);
        l->addLayout(row({CheckBox20}));
        Label15->setText(QStringLiteral("パス位置"));
        Edit6->setToolTip(
            QStringLiteral("誤動作防止用に、どの位置までを変換対象にしないのかを明示します。ソースの始めから"
                           "ここで指定した文字が現れるまでは解析をおこないません。"));
        auto *skip = new QHBoxLayout;
        skip->addWidget(Label15);
        skip->addWidget(Edit6, 1);
        l->addLayout(skip);
        l->addStretch();
    }
    // 1 display
    {
        QVBoxLayout *l = page(QStringLiteral("表示"));
        Label7->setText(QStringLiteral("表示する日付を限定します。"));
        l->addWidget(wrapLabel(Label7));
        Label8->setText(QStringLiteral("～"));
        l->addLayout(row({ComboBox1, Label8, ComboBox2}));
        CheckBox18->setText(QStringLiteral("最新日時まで"));
        CheckBox18->setToolTip(QStringLiteral("常に最終日時までを表示します。"));
        l->addLayout(row({CheckBox18}));
        l->addStretch();
    }
    // 2 association
    {
        QVBoxLayout *l = page(QStringLiteral("関連付け"));
        Label5->setText(QStringLiteral(
            "その曲に関連づけられたデータファイル(音楽,画像,歌詞,ホームページなど)を設定できます。"));
        l->addWidget(wrapLabel(Label5));
        CheckBox1->setText(QStringLiteral("関連づけの変更を禁止する。"));
        CheckBox1->setToolTip(QStringLiteral(
            "リストの上にファイルをドラッグしたとき、関連付けるファイルを変更するかどうか設定します。"));
        CheckBox3->setText(QStringLiteral("ファイルが存在しない時はメッセージを表示する。"));
        CheckBox3->setToolTip(
            QStringLiteral("ドラッグを開始した時、関連付けたファイルがなければ警告を表示するか設定します。"));
        l->addWidget(CheckBox1);
        l->addWidget(CheckBox3);
        auto *group = new QGroupBox(QStringLiteral("一括で変更..."));
        auto *g = new QGridLayout(group);
        CheckBox10->setText(QStringLiteral("次の設定のファイルを関連付けファイルとみなす"));
        Label1->setText(QStringLiteral("ファイル名:"));
        Label2->setText(QStringLiteral("フォルダ:"));
        Edit1->setToolTip(QStringLiteral("%aと書くとアーティスト名に、%tと書くと曲名に置換されます"));
        Button3->setText(QStringLiteral("参照..."));
        g->addWidget(CheckBox10, 0, 0, 1, 3);
        g->addWidget(Label1, 1, 0);
        g->addWidget(Edit1, 1, 1, 1, 2);
        g->addWidget(Label2, 2, 0);
        g->addWidget(Edit2, 2, 1);
        g->addWidget(Button3, 2, 2);
        l->addWidget(group);
        l->addStretch();
    }
    // 3 list output
    {
        QVBoxLayout *l = page(QStringLiteral("リスト出力"));
        Label4->setText(QStringLiteral(
            "メイン画面/検索/リスト出力画面でリストを出力する場合の、出力する項目を指定します。"));
        l->addWidget(wrapLabel(Label4));
        CheckBox11->setText(QStringLiteral("日付(検索/リスト出力画面のみ有効)"));
        CheckBox4->setText(QStringLiteral("順位"));
        CheckBox5->setText(QStringLiteral("曲名"));
        CheckBox6->setText(QStringLiteral("アーティスト"));
        CheckBox7->setText(QStringLiteral("関連付けファイル名"));
        CheckBox7->setToolTip(QStringLiteral("データに対応するファイル"));
        CheckBox8->setText(QStringLiteral("開く方法"));
        CheckBox8->setToolTip(QStringLiteral("エクスプローラで開く時のコマンドです(通常は\"open\")"));
        for (QCheckBox *b : {CheckBox11, CheckBox4, CheckBox5, CheckBox6, CheckBox7, CheckBox8})
            l->addWidget(b);
        l->addStretch();
    }
    // 4 start-up
    {
        QVBoxLayout *l = page(QStringLiteral("起動時動作"));
        Label9->setText(QStringLiteral(
            "起動時に自動的に以下の動作を行います。タイマーソフト等を組み合わせて自動運転できます。"));
        l->addWidget(wrapLabel(Label9));
        CheckBox17->setText(QStringLiteral("最終日付までの取り込みを行う(Webにアクセス)"));
        CheckBox17->setToolTip(QStringLiteral("前回取り込み時より更新されたファイルを取得し、終了します。"));
        CheckBox9->setText(QStringLiteral("関連付けを自動更新する"));
        CheckBox9->setToolTip(QStringLiteral("起動時に関連付けの自動更新を行います。"));
        CheckBox19->setText(QStringLiteral("作業が終われば、アプリケーションも終了する"));
        CheckBox19->setToolTip(QStringLiteral("上の作業を実行後、このソフトを終了します。"));
        for (QCheckBox *b : {CheckBox17, CheckBox9, CheckBox19}) l->addWidget(b);
        l->addStretch();
    }
    // 5 Web
    {
        QVBoxLayout *l = page(QStringLiteral("Web"));
        Label16->setText(QStringLiteral("データをインターネット経由で取り込む際の設定を行います。"));
        l->addWidget(wrapLabel(Label16));
        Label12->setText(QStringLiteral("VORQのホームページのアドレス(トップページ)"));
        Label13->setText(QStringLiteral("データのホームページのアドレス"));
        Edit3->setToolTip(QStringLiteral("必要がない限りこのままで使ってください"));
        Edit5->setToolTip(QStringLiteral("必要がない限りこのままで使ってください"));
        l->addWidget(Label12);
        l->addWidget(Edit3);
        l->addWidget(Label13);
        l->addWidget(Edit5);
        CheckBox21->setText(QStringLiteral("エラーを無視する"));
        CheckBox21->setToolTip(QStringLiteral("取り込みエラーが起きてもメッセージを表示しません。"));
        CheckBox22->setText(QStringLiteral("Not foundを自動的に追加する"));
        CheckBox22->setToolTip(
            QStringLiteral("もしデータがなかったら、自動的に「放送のなかった日」として記録します。"));
        Button1->setText(QStringLiteral("一括で取得..."));
        Button1->setToolTip(QStringLiteral("取得していない日のデータを全部ダウンロードします。"));
        l->addLayout(row({CheckBox21, CheckBox22, Button1}));
        CheckBox23->setText(QStringLiteral("プロキシ サーバーを使用する"));
        Label18->setText(QStringLiteral("アドレス:"));
        Label19->setText(QStringLiteral("ポート"));
        auto *proxy = new QHBoxLayout;
        proxy->addWidget(CheckBox23);
        proxy->addWidget(Label18);
        proxy->addWidget(Edit7, 3);
        proxy->addWidget(Label19);
        proxy->addWidget(Edit8, 1);
        l->addLayout(proxy);
        l->addStretch();
    }
    // 6 other
    {
        QVBoxLayout *l = page(QStringLiteral("その他"));
        Label10->setText(QStringLiteral(
            "このページは、Readme.txtやWebでの解説をお読みになって、内容を十分理解してからお使いください。"));
        l->addWidget(wrapLabel(Label10));
        Label17->setText(QStringLiteral(
            "▼ "
            "CD-"
            "Rの自動再生プログラムとして利用するために、関連づけファイルや設定を別フォルダにコピーします。"));
        l->addWidget(wrapLabel(Label17));
        Button6->setText(QStringLiteral("CD-R作成ウィザード開始"));
        Button6->setToolTip(QStringLiteral("CD-R作成ウィザードを起動します"));
        l->addLayout(row({Button6}));
        Label14->setText(QStringLiteral("▼ CD-R上で利用中のプログラムやデータをHDDに移します。"));
        l->addWidget(wrapLabel(Label14));
        Button8->setText(QStringLiteral("CD-Rより復元"));
        l->addLayout(row({Button8}));
        l->addStretch();
    }

    CheckBox2->setText(QStringLiteral("設定を保存する"));
    CheckBox2->setToolTip(QStringLiteral("CD-ROMから起動する場合は無効です"));
    Button4->setText(QStringLiteral("OK"));
    Button4->setDefault(true);
    Button7->setText(QStringLiteral("キャンセル"));
    Button5->setText(QStringLiteral("適用(&A)"));

    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    PageControl1->setMinimumSize(497, 249);
    top->addWidget(PageControl1, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(CheckBox2);
    bottom->addStretch();
    bottom->addWidget(Button4);
    bottom->addWidget(Button7);
    bottom->addWidget(Button5);
    top->addLayout(bottom);
    resize(512, 290);
}

void TForm2::connectRules() {
    for (QRadioButton *r : {RadioButton1, RadioButton2, RadioButton3, RadioButton4})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) radioRule();
        });
    connect(CheckBox1, &QCheckBox::toggled, this, &TForm2::checkBox1Rule);
    connect(CheckBox10, &QCheckBox::toggled, this, &TForm2::checkBox10Rule);
    connect(CheckBox12, &QCheckBox::toggled, this, &TForm2::checkBox12Rule);
    connect(CheckBox17, &QCheckBox::toggled, this, &TForm2::autoRunRule);
    connect(CheckBox9, &QCheckBox::toggled, this, &TForm2::autoRunRule);
    connect(CheckBox18, &QCheckBox::toggled, this, &TForm2::checkBox18Rule);
    connect(CheckBox20, &QCheckBox::toggled, this, &TForm2::checkBox20Rule);
    connect(CheckBox23, &QCheckBox::toggled, this, &TForm2::checkBox23Rule);
    connect(Edit4, &QLineEdit::textChanged, this, &TForm2::contentChanged);
    connect(ComboBox1, &QComboBox::currentIndexChanged, this, &TForm2::contentChanged);
    connect(ComboBox2, &QComboBox::currentIndexChanged, this, &TForm2::contentChanged);

    connect(Button2, &QPushButton::clicked, this,
            [this] { browse(Edit4, QStringLiteral("データファイルの保存先")); });
    connect(Button3, &QPushButton::clicked, this,
            [this] { browse(Edit2, QStringLiteral("関連付けファイルのフォルダ")); });
    connect(Button1, &QPushButton::clicked, this, &TForm2::runImportAll);
    connect(Button6, &QPushButton::clicked, this, [this] {
        if (m_host) runGuarded(this, [this] { m_host->startCdrWizard(); });
    });
    connect(Button8, &QPushButton::clicked, this, [this] {
        if (m_host) runGuarded(this, [this] { m_host->restoreFromCdr(); });
    });
    connect(Button4, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button7, &QPushButton::clicked, this, &QDialog::reject);
    connect(Button5, &QPushButton::clicked, this, &TForm2::apply);
}

// ---- enabling rules ------------------------------------------------------------

void TForm2::radioRule() {
    if (m_rulesBlocked) return;
    const bool r1 = RadioButton1->isChecked();
    const bool r4 = RadioButton4->isChecked();
    CheckBox15->setEnabled(r4);
    CheckBox15->setChecked(r4);
    CheckBox13->setEnabled(r1 || RadioButton2->isChecked());
    if (!enabledSelf(CheckBox13)) CheckBox13->setChecked(false);
    CheckBox12->setEnabled(!r4);
    CheckBox12->setChecked(!r4);
    CheckBox14->setEnabled(!r4);
    CheckBox14->setChecked(!r4);
    CheckBox16->setEnabled(!r4 && !CheckBox1->isChecked());
    if (!enabledSelf(CheckBox16)) CheckBox16->setChecked(false);
    PageControl1->setTabVisible(kWebPage, r1);
    CheckBox17->setEnabled(r1);
    Button1->setEnabled(r1);
    if (!r1) CheckBox17->setChecked(false);
    CheckBox19->setEnabled(enabledSelf(CheckBox17) || enabledSelf(CheckBox9));
}

void TForm2::checkBox12Rule() {
    if (m_rulesBlocked) return;
    const bool on = CheckBox12->isChecked();
    CheckBox14->setEnabled(on);
    Label3->setEnabled(on);
    if (!on) CheckBox14->setChecked(false);
}

void TForm2::checkBox1Rule() {
    if (m_rulesBlocked) return;
    const bool locked = CheckBox1->isChecked();
    if (m_host) m_host->setAssociationEditingVisible(!locked);
    CheckBox3->setEnabled(!locked);
    CheckBox10->setEnabled(!locked);
    const bool pattern = !locked && CheckBox10->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{Label1, Label2, Edit1, Edit2, Button3})
        w->setEnabled(pattern);
    CheckBox9->setEnabled(enabledSelf(CheckBox10) && CheckBox10->isChecked());
    CheckBox19->setEnabled(enabledSelf(CheckBox17) || enabledSelf(CheckBox9));
    CheckBox16->setEnabled(!RadioButton4->isChecked() && !locked);
}

void TForm2::checkBox10Rule() {
    if (m_rulesBlocked) return;
    const bool on = CheckBox10->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{Edit1, Edit2, Label1, Label2, Button3})
        w->setEnabled(on);
}

void TForm2::autoRunRule() {
    if (m_rulesBlocked) return;
    const bool on = CheckBox17->isChecked() || CheckBox9->isChecked();
    CheckBox19->setEnabled(on);
    if (!on) CheckBox19->setChecked(false);
}

void TForm2::checkBox18Rule() {
    if (m_rulesBlocked) return;
    ComboBox2->setEnabled(!CheckBox18->isChecked());
}

void TForm2::checkBox20Rule() {
    if (m_rulesBlocked) return;
    const bool on = CheckBox20->isChecked();
    if (on) Edit4->setText(programFolderText());
    Edit4->setEnabled(!on);
    Button2->setEnabled(!on);
}

void TForm2::checkBox23Rule() {
    if (m_rulesBlocked) return;
    Edit7->setEnabled(CheckBox23->isChecked());
    Edit8->setEnabled(CheckBox23->isChecked());
}

void TForm2::contentChanged() {
    if (m_rulesBlocked) return;
    Button5->setEnabled(true);
}

void TForm2::setRadio(QRadioButton *button, bool checked) {
    if (checked || !button->isChecked()) {
        button->setChecked(checked);
        return;
    }
    // Unchecking an exclusive radio button is refused; a stored "0" for the
    // checked one leaves the group without a choice.
    button->setAutoExclusive(false);
    button->setChecked(false);
    button->setAutoExclusive(true);
}

QString TForm2::programFolderText() { return sjis::toUnicode(env::programFolder()); }

// ---- browse and commands -----------------------------------------------------

void TForm2::browse(QLineEdit *edit, const QString &caption) {
    runGuarded(this, [&] {
        QString chosen = prompter().folder(this, caption, edit->text());
        if (chosen.isEmpty()) return;
        if (!chosen.endsWith(QLatin1Char('/'))) chosen += QLatin1Char('/');
        edit->setText(chosen);
    });
}

void TForm2::runImportAll() {
    if (!m_host) return;
    setEnabled(false);
    ScopeExit enable([this] { setEnabled(true); });
    runGuarded(this, [this] {
        CursorGuard cursor;
        m_host->importMissingDates();
    });
}

// ---- load ---------------------------------------------------------------------------

void TForm2::fillDateLists() {
    QByteArray dataFolder;
    if (!sjis::tryFromUnicode(Edit4->text(), &dataFolder)) dataFolder.clear();
    if (!dataFolder.isEmpty() && !dataFolder.endsWith('/')) dataFolder += '/';
    QList<QByteArray> notFound;
    try {
        notFound = readNotFoundList(dataFolder, env::programFolder());
    } catch (const Error &) {
        // An unreadable notfound.txt hides no dates.
    }
    const QSet<QByteArray> nf(notFound.begin(), notFound.end());
    const QSignalBlocker b1(ComboBox1), b2(ComboBox2);
    ComboBox1->clear();
    ComboBox2->clear();
    for (const QDate &d : broadcastCalendar(env::today(), nf)) {
        const QString label = text(dateLabel(d));
        ComboBox1->addItem(label);
        ComboBox2->addItem(label);
    }
}

void TForm2::selectStoredDate(QComboBox *box, const QByteArray &stored, bool start) {
    QList<QByteArray> labels;
    for (int i = 0; i < box->count(); ++i) labels.append(sjis::fromUnicode(box->itemText(i)));
    box->setCurrentIndex(
        options::storedDateIndex(labels, stored, start ? options::DateRole::Start : options::DateRole::End));
}

void TForm2::LoadSettings(const QStringList &arguments) {
    TDoubleIniFile ini;
    const int mode = ini.LoadWriteMode();
    auto readBool = [&ini](QCheckBox *box, const char *section, const char *key, bool def) {
        box->setChecked(ini.ReadBool(section, key, def));
    };
    auto readText = [&ini](QLineEdit *edit, const char *section, const char *key, const QByteArray &def) {
        edit->setText(text(ini.ReadString(section, key, def)));
    };

    if (mode == -1 || mode == 0) {
        CheckBox2->setChecked(true);
        CheckBox2->setEnabled(true);
        setRadio(RadioButton1, ini.ReadBool("ImportData", "Web", true));
        setRadio(RadioButton2, ini.ReadBool("ImportData", "HTML", false));
        setRadio(RadioButton3, ini.ReadBool("ImportData", "Text", false));
        setRadio(RadioButton4, ini.ReadBool("ImportData", "None", false));
        readBool(CheckBox12, "ImportData", "AutoSave", true);
        readBool(CheckBox13, "ImportData", "ConfirmData", false);
        readBool(CheckBox14, "ImportData", "EditData", true);
        readBool(CheckBox15, "ImportData", "HideNoData", false);
        readBool(CheckBox16, "ImportData", "AlsoAssociatedFile", false);
        readBool(CheckBox17, "AutoRun", "ImportData", false);
        readBool(CheckBox9, "AutoRun", "AssociateFile", false);
        readBool(CheckBox19, "AutoRun", "AutoQuit", false);
        readText(Edit4, "ImportData", "DataFolder", GetUserSettingsFolder());
        readBool(CheckBox18, "Display", "DateEndIsRecent", true);
        readText(Edit3, "Web", "URL_Home", options::defaultUrlHome());
        readText(Edit5, "Web", "URL_Data", options::defaultUrlData());
        readBool(CheckBox23, "Web", "UseProxy", false);
        readText(Edit7, "Web", "ProxyAddr", QByteArray());
        readText(Edit8, "Web", "ProxyPort", QByteArray());
        readBool(CheckBox21, "Web", "IgnoreError", true);
        readBool(CheckBox22, "Web", "AutoAddNotFound", true);
        Button8->setEnabled(false);
        Label14->setEnabled(false);
        PageControl1->setCurrentIndex(kImportPage);
    } else if (mode == 1 || mode == 2) {
        CheckBox2->setChecked(mode == 1);
        CheckBox2->setEnabled(mode != 1);
        RadioButton4->setChecked(true);
        CheckBox15->setChecked(true);
        for (int p : {kImportPage, kAssociationPage, kStartupPage, kWebPage})
            PageControl1->setTabVisible(p, false);
        Button6->setEnabled(false);
        Label17->setEnabled(false);
        PageControl1->setCurrentIndex(kDisplayPage);
        readBool(CheckBox18, "Display", "DateEndIsRecent", false);
        readText(Edit4, "ImportData", "DataFolder", env::programFolder());
    }

    readBool(CheckBox20, "ImportData", "DataFolderIsAppPath", false);
    if (CheckBox20->isChecked()) Edit4->setText(programFolderText());
    readBool(CheckBox1, "AssociateFile", "DragDisabled", true);
    readBool(CheckBox3, "AssociateFile", "DisplayAlerts", false);
    readBool(CheckBox10, "AssociateFile", "AutoAddFile", false);
    readText(Edit6, "AssociateFile", "skipstring", options::defaultSkipString());
    readText(Edit1, "AssociateFile", "FileName", options::defaultFileNamePattern());
    readText(Edit2, "AssociateFile", "Folder", options::musicFolder());
    readBool(CheckBox11, "OutputList", "Date", true);
    readBool(CheckBox4, "OutputList", "Number", true);
    readBool(CheckBox5, "OutputList", "Title", true);
    readBool(CheckBox6, "OutputList", "Artist", true);
    readBool(CheckBox7, "OutputList", "AssociateFile", true);
    readBool(CheckBox8, "OutputList", "OpenMethod", false);

    fillDateLists();
    selectStoredDate(ComboBox1, ini.ReadString("Display", "DateStart", QByteArray()), true);
    if (CheckBox18->isChecked()) {
        ComboBox2->setEnabled(false);
        ComboBox2->setCurrentIndex(ComboBox2->count() - 1);
    } else {
        selectStoredDate(ComboBox2, ini.ReadString("Display", "DateEnd", QByteArray()), false);
    }

    const QString first = arguments.isEmpty() ? QString() : arguments.first().toLower();
    if (first == QLatin1String("/autoupdate")) {
        CheckBox17->setChecked(true);
    } else if (first == QLatin1String("/clear")) {
        CheckBox17->setChecked(false);
        CheckBox9->setChecked(false);
        CheckBox19->setChecked(false);
    }

    if (m_playlist) {
        m_playlist->TrackBar1->setValue(ini.ReadInteger("Playlist", "Order", 1));
        m_playlist->RadioGroup2->setItemIndex(ini.ReadInteger("Playlist", "Sorted", 1));
        m_playlist->SpinEdit1->setValue(ini.ReadInteger("Playlist", "RandomizeRate", 100));
        m_playlist->CheckBox1->setChecked(ini.ReadBool("Playlist", "AssociateFile", true));
        m_playlist->CheckBox2->setChecked(ini.ReadBool("Playlist", "NotAssociateFile", false));
    }
    recordRange();
}

// ---- save ---------------------------------------------------------------------------

int TForm2::writeModeFromControls() const {
    if (!CheckBox2->isChecked()) return 2;
    return enabledSelf(CheckBox2) ? 0 : 1;
}

void TForm2::SaveSettings() {
    try {
        TDoubleIniFile ini;
        const int mode = writeModeFromControls();
        ini.SetWriteMode(mode);
        auto wb = [&ini](const char *section, const char *key, bool v) { ini.WriteBool(section, key, v); };
        auto wt = [&ini](const char *section, const char *key, const QString &v) {
            QByteArray bytes;
            // A text Shift-JIS cannot hold keeps its stored value rather than
            // ending the save or being stored damaged.
            if (sjis::tryFromUnicode(v, &bytes)) ini.WriteString(section, key, bytes);
        };
        if (mode == 0 || mode == 1) {
            wb("OutputList", "Date", CheckBox11->isChecked());
            wb("OutputList", "Number", CheckBox4->isChecked());
            wb("OutputList", "Title", CheckBox5->isChecked());
            wb("OutputList", "Artist", CheckBox6->isChecked());
            wb("OutputList", "AssociateFile", CheckBox7->isChecked());
            wb("OutputList", "OpenMethod", CheckBox8->isChecked());
            if (m_playlist) {
                ini.WriteInteger("Playlist", "Order", m_playlist->TrackBar1->value());
                ini.WriteInteger("Playlist", "Sorted", m_playlist->RadioGroup2->itemIndex());
                ini.WriteInteger("Playlist", "RandomizeRate", m_playlist->SpinEdit1->value());
                wb("Playlist", "AssociateFile", m_playlist->CheckBox1->isChecked());
                wb("Playlist", "NotAssociateFile", m_playlist->CheckBox2->isChecked());
            }
            wt("Display", "DateStart", ComboBox1->currentText());
            wb("Display", "DateEndIsRecent", CheckBox18->isChecked());
            wt("Display", "DateEnd", ComboBox2->currentText());
        }
        if (mode == 0) {
            wt("AssociateFile", "FileName", Edit1->text());
            wt("AssociateFile", "Folder", Edit2->text());
            wb("AssociateFile", "DragDisabled", CheckBox1->isChecked());
            wb("AssociateFile", "DisplayAlerts", CheckBox3->isChecked());
            wb("AssociateFile", "AutoAddFile", CheckBox10->isChecked());
            wt("AssociateFile", "skipstring", Edit6->text());
            wb("ImportData", "Web", RadioButton1->isChecked());
            wb("ImportData", "HTML", RadioButton2->isChecked());
            wb("ImportData", "Text", RadioButton3->isChecked());
            wb("ImportData", "None", RadioButton4->isChecked());
            wb("ImportData", "AutoSave", CheckBox12->isChecked());
            wb("ImportData", "ConfirmData", CheckBox13->isChecked());
            wb("ImportData", "EditData", CheckBox14->isChecked());
            wb("ImportData", "HideNoData", CheckBox15->isChecked());
            wb("ImportData", "AlsoAssociatedFile", CheckBox16->isChecked());
            wt("ImportData", "DataFolder", Edit4->text());
            wb("ImportData", "DataFolderIsAppPath", CheckBox20->isChecked());
            wb("AutoRun", "ImportData", CheckBox17->isChecked());
            wb("AutoRun", "AssociateFile", CheckBox9->isChecked());
            wb("AutoRun", "AutoQuit", CheckBox19->isChecked());
            wt("Web", "URL_Home", Edit3->text());
            wt("Web", "URL_Data", Edit5->text());
            wb("Web", "IgnoreError", CheckBox21->isChecked());
            wb("Web", "AutoAddNotFound", CheckBox22->isChecked());
            wb("Web", "UseProxy", CheckBox23->isChecked());
            wt("Web", "ProxyAddr", Edit7->text());
            wt("Web", "ProxyPort", Edit8->text());
        }
    } catch (const std::exception &) {
        // Saving is best effort at exit; keys written so far stay written and
        // no file is left half-written.
    }
}

// ---- show, OK, Cancel, Apply ------------------------------------------------------

void TForm2::recordRange() {
    m_startIndex = ComboBox1->currentIndex();
    m_endIndex = ComboBox2->currentIndex();
    m_dataFolder = Edit4->text();
}

QList<QWidget *> TForm2::controls() const {
    QList<QWidget *> out = {RadioButton1, RadioButton2, RadioButton3, RadioButton4, ComboBox1, ComboBox2};
    for (QWidget *w :
         {CheckBox1,  CheckBox2,  CheckBox3,  CheckBox4,  CheckBox5,  CheckBox6,  CheckBox7,  CheckBox8,
          CheckBox9,  CheckBox10, CheckBox11, CheckBox12, CheckBox13, CheckBox14, CheckBox15, CheckBox16,
          CheckBox17, CheckBox18, CheckBox19, CheckBox20, CheckBox21, CheckBox22, CheckBox23})
        out.append(w);
    for (QWidget *w : {Edit1, Edit2, Edit3, Edit4, Edit5, Edit6, Edit7, Edit8}) out.append(w);
    for (QWidget *w : {Button1, Button2, Button3, Button4, Button5, Button6, Button7, Button8}) out.append(w);
    for (QWidget *w : {Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9, Label10,
                       Label11, Label12, Label13, Label14, Label15, Label16, Label17, Label18, Label19})
        out.append(w);
    return out;
}

void TForm2::takeSnapshot() {
    m_snapshot = Snapshot();
    for (QWidget *w : controls()) {
        ControlState s;
        s.widget = w;
        s.enabled = enabledSelf(w);
        s.hidden = w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden);
        if (auto *b = qobject_cast<QAbstractButton *>(w)) s.checked = b->isChecked();
        if (auto *e = qobject_cast<QLineEdit *>(w)) s.text = e->text();
        if (auto *c = qobject_cast<QComboBox *>(w)) s.index = c->currentIndex();
        m_snapshot.controls.append(s);
    }
    for (int i = 0; i < PageControl1->count(); ++i)
        m_snapshot.pageVisible.append(PageControl1->isTabVisible(i));
    m_snapshot.currentPage = PageControl1->currentIndex();
}

void TForm2::restoreSnapshot() {
    m_rulesBlocked = true;
    ScopeExit unblock([this] { m_rulesBlocked = false; });
    const QList<QRadioButton *> radios = {RadioButton1, RadioButton2, RadioButton3, RadioButton4};
    for (QRadioButton *r : radios) r->setAutoExclusive(false);
    for (const ControlState &s : std::as_const(m_snapshot.controls)) {
        QWidget *w = s.widget;
        if (!w) continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->isCheckable()) b->setChecked(s.checked);
        if (auto *e = qobject_cast<QLineEdit *>(w)) e->setText(s.text);
        if (auto *c = qobject_cast<QComboBox *>(w)) c->setCurrentIndex(s.index);
    }
    for (QRadioButton *r : radios) r->setAutoExclusive(true);
    for (const ControlState &s : std::as_const(m_snapshot.controls)) {
        QWidget *w = s.widget;
        if (!w) continue;
        w->setEnabled(s.enabled);
        const bool hiddenNow =
            w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden);
        if (hiddenNow != s.hidden) w->setHidden(s.hidden);
    }
    for (int i = 0; i < m_snapshot.pageVisible.size() && i < PageControl1->count(); ++i)
        PageControl1->setTabVisible(i, m_snapshot.pageVisible[i]);
    PageControl1->setCurrentIndex(m_snapshot.currentPage);
    // The main window's association buttons follow the restored CheckBox1.
    if (m_host) m_host->setAssociationEditingVisible(!CheckBox1->isChecked());
}

void TForm2::ShowOptions() {
    recordRange();
    Button5->setEnabled(false);
    takeSnapshot();
    const int result = exec();
    if (result == QDialog::Accepted) {
        if (!m_host) return;
        const bool same = ComboBox1->currentIndex() == m_startIndex &&
                          ComboBox2->currentIndex() == m_endIndex && Edit4->text() == m_dataFolder;
        runGuarded(parentWidget(), [&] {
            if (!same) {
                m_host->disposeAllTabs();
                m_host->fullLoad();
            }
            m_host->buildDateList();
        });
        return;
    }
    restoreSnapshot();
    {
        m_rulesBlocked = true;
        ScopeExit unblock([this] { m_rulesBlocked = false; });
        ComboBox1->setCurrentIndex(m_startIndex);
        ComboBox2->setCurrentIndex(m_endIndex);
    }
    setEnabled(true);
    hide();
    m_snapshot = Snapshot();
}

void TForm2::apply() {
    setEnabled(false);
    ScopeExit enable([this] { setEnabled(true); });
    runGuarded(this, [this] {
        if (m_host) {
            m_host->disposeAllTabs();
            m_host->fullLoad();
            m_host->buildDateList();
        }
        recordRange();
        Button5->setEnabled(false);
        takeSnapshot();
    });
}
