#include "ui/options/optionsdialog.h"
#include "ui/options/optionsdialog_p.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/settings/doubleini.h"
#include "core/settings/optionkeys.h"
#include "core/text/sjistext.h"
#include "ui/common/accessiblenames.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/options/weeklyimportcontrol.h"
#include "ui/playlist/playlistmakerdialog.h"

namespace vorq {

using namespace vorq::optionsdialog;

namespace {

QLabel *wrapLabel(QLabel *label) {
    label->setWordWrap(true);
    return label;
}

}  // namespace

OptionsDialog::OptionsDialog(QWidget *parent, PlaylistMakerDialog *playlistForm)
    : QDialog(parent), m_playlist(playlistForm) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("Option"));
    QFont f;
    f.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                   QStringLiteral("IPAPゴシック"), QStringLiteral("Noto Sans CJK JP")});
    f.setPixelSize(12);
    setFont(f);

    pageTabs = new QTabWidget(this);
    pageTabs->setObjectName(QStringLiteral("PageControl1"));
    pageTabs->setAccessibleName(QStringLiteral("設定のページ"));
    auto make = [this](auto *&w, const char *name) {
        w = new std::remove_reference_t<decltype(*w)>(this);
        w->setObjectName(QString::fromLatin1(name));
    };
    make(importFromWebRadio, "RadioButton1");
    make(importFromHtmlRadio, "RadioButton2");
    make(importFromTextRadio, "RadioButton3");
    make(noImportRadio, "RadioButton4");
    QCheckBox **boxes[] = {
        &lockAssociationsBox, &saveSettingsBox,    &missingFileAlertBox, &listRankBox,
        &listTitleBox,        &listArtistBox,      &listFileBox,         &listMethodBox,
        &autoRunAssociateBox, &fileNamePatternBox, &listDateBox,         &autoSaveBox,
        &confirmDataBox,      &editDataBox,        &hideNoDataBox,       &alsoAssociateBox,
        &autoRunImportBox,    &dateEndIsRecentBox, &autoQuitBox,         &dataFolderIsAppPathBox,
        &ignoreErrorBox,      &autoAddNotFoundBox, &useProxyBox};
    for (int i = 0; i < 23; ++i) {
        *boxes[i] = new QCheckBox(this);
        (*boxes[i])->setObjectName(QStringLiteral("CheckBox%1").arg(i + 1));
    }
    QLineEdit **edits[] = {&fileNamePatternEdit, &musicFolderEdit, &homeUrlEdit,      &dataFolderEdit,
                           &dataUrlEdit,         &skipStringEdit,  &proxyAddressEdit, &proxyPortEdit};
    for (int i = 0; i < 8; ++i) {
        *edits[i] = new QLineEdit(this);
        (*edits[i])->setObjectName(QStringLiteral("Edit%1").arg(i + 1));
    }
    QPushButton **buttons[] = {&importAllButton,
                               &browseDataFolderButton,
                               &browseMusicFolderButton,
                               &okButton,
                               &applyButton,
                               &cdrWizardButton,
                               &cancelButton,
                               &restoreButton};
    for (int i = 0; i < 8; ++i) {
        *buttons[i] = new QPushButton(this);
        (*buttons[i])->setObjectName(QStringLiteral("Button%1").arg(i + 1));
        (*buttons[i])->setAutoDefault(false);
    }
    QLabel **labels[] = {&fileNameLabel,         &musicFolderLabel,  &editDataNoteLabel, &listIntroLabel,
                         &associationIntroLabel, &importIntroLabel,  &displayIntroLabel, &rangeDashLabel,
                         &startupIntroLabel,     &otherIntroLabel,   &dataFolderLabel,   &homeUrlLabel,
                         &dataUrlLabel,          &restoreNoteLabel,  &skipStringLabel,   &webIntroLabel,
                         &cdrNoteLabel,          &proxyAddressLabel, &proxyPortLabel};
    for (int i = 0; i < 19; ++i) {
        *labels[i] = new QLabel(this);
        (*labels[i])->setObjectName(QStringLiteral("Label%1").arg(i + 1));
    }
    make(dateStartBox, "ComboBox1");
    make(dateEndBox, "ComboBox2");
    dateStartBox->setEditable(false);
    dateEndBox->setEditable(false);

    buildPages();

    // Designed state.
    importFromWebRadio->setChecked(true);
    for (QCheckBox *b : {saveSettingsBox, listRankBox, listTitleBox, listArtistBox, listFileBox, listDateBox})
        b->setChecked(true);
    for (QWidget *w : std::initializer_list<QWidget *>{editDataBox, hideNoDataBox, editDataNoteLabel,
                                                       proxyAddressEdit, proxyPortEdit, applyButton})
        w->setEnabled(false);
    dataFolderEdit->setText(text(options::homeFolder()));
    musicFolderEdit->setText(text(options::musicFolder()));
    fileNamePatternEdit->setText(text(options::defaultFileNamePattern()));
    skipStringEdit->setText(text(options::defaultSkipString()));
    homeUrlEdit->setText(text(options::defaultUrlHome()));
    dataUrlEdit->setText(text(options::defaultUrlData()));

    // Each field is named by the label beside it (and reached by Alt with
    // its mnemonic, where it has one); the range lists have no label.
    const std::pair<QLabel *, QWidget *> labelled[] = {
        {dataFolderLabel, dataFolderEdit},     {skipStringLabel, skipStringEdit},
        {fileNameLabel, fileNamePatternEdit},  {musicFolderLabel, musicFolderEdit},
        {homeUrlLabel, homeUrlEdit},           {dataUrlLabel, dataUrlEdit},
        {proxyAddressLabel, proxyAddressEdit}, {proxyPortLabel, proxyPortEdit}};
    for (const auto &[label, field] : labelled) nameAfter(label, field);
    dateStartBox->setAccessibleName(QStringLiteral("表示する最初の日付"));
    dateEndBox->setAccessibleName(QStringLiteral("表示する最後の日付"));

    connectRules();
}

OptionsDialog::~OptionsDialog() = default;

void OptionsDialog::buildPages() {
    auto page = [this](const QString &title) {
        auto *w = new QWidget;
        w->setObjectName(QStringLiteral("TabSheet%1").arg(pageTabs->count() + 1));
        pageTabs->addTab(w, title);
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
        importIntroLabel->setText(
            QStringLiteral("手元に取得していないデータを指定したときの動作を設定します。"));
        l->addWidget(wrapLabel(importIntroLabel));
        importFromWebRadio->setText(QStringLiteral("Webより取得"));
        importFromWebRadio->setToolTip(QStringLiteral("VORQのWebサイトよりデータをダウンロードします"));
        importFromHtmlRadio->setText(QStringLiteral("HTML文書を変換"));
        importFromHtmlRadio->setToolTip(
            QStringLiteral("あらかじめダウンロードしておいたHTMLファイルを変換します"));
        importFromTextRadio->setText(QStringLiteral("テキストファイルを参照"));
        importFromTextRadio->setToolTip(QStringLiteral("変換したテキストファイルを読み込みます"));
        noImportRadio->setText(QStringLiteral("取り込みを行わない"));
        noImportRadio->setToolTip(QStringLiteral("何もしません"));
        // Two by two: the four captions do not fit in one row of the page.
        auto *radios = new QGridLayout;
        radios->addWidget(importFromWebRadio, 0, 0);
        radios->addWidget(importFromHtmlRadio, 0, 1);
        radios->addWidget(importFromTextRadio, 1, 0);
        radios->addWidget(noImportRadio, 1, 1);
        radios->setColumnStretch(2, 1);
        l->addLayout(radios);
        autoSaveBox->setText(QStringLiteral("取り込んだデータを自動保存する"));
        autoSaveBox->setToolTip(QStringLiteral("取り込まれたデータをテキストファイルとして保存します"));
        confirmDataBox->setText(QStringLiteral("取り込み時にデータを確認する"));
        confirmDataBox->setToolTip(QStringLiteral("正しくデータが取り込まれているか確認します"));
        editDataBox->setText(QStringLiteral("データを加工したものを保存する"));
        editDataBox->setToolTip(QStringLiteral("文字種を変換して保存します"));
        editDataNoteLabel->setText(QStringLiteral("(全角英数字→半角、姓名間のスペースを除去)"));
        hideNoDataBox->setText(QStringLiteral("未取得の日付を隠す"));
        hideNoDataBox->setToolTip(QStringLiteral("取り込まれている日付のみ表示します"));
        alsoAssociateBox->setText(QStringLiteral("取り込み後関連づけも更新する"));
        alsoAssociateBox->setToolTip(QStringLiteral("関連づけデータも更新します。"));
        l->addLayout(row({autoSaveBox, confirmDataBox}));
        l->addLayout(row({editDataBox, editDataNoteLabel}));
        l->addLayout(row({hideNoDataBox, alsoAssociateBox}));
        dataFolderLabel->setText(QStringLiteral("データファイルの保存先"));
        dataFolderEdit->setToolTip(QStringLiteral("取得したデータファイル等の保存先を指定します。"));
        browseDataFolderButton->setText(QStringLiteral("参照..."));
        dataFolderIsAppPathBox->setText(QStringLiteral("アプリケーションと同じフォルダ"));
        dataFolderIsAppPathBox->setToolTip(
            QStringLiteral("アプリケーションと同じフォルダにデータファイルを書き込みます。"));
        auto *folder = new QHBoxLayout;
        folder->addWidget(dataFolderLabel);
        folder->addWidget(dataFolderEdit, 1);
        folder->addWidget(browseDataFolderButton);
        l->addLayout(folder);
        l->addLayout(row({dataFolderIsAppPathBox}));
        skipStringLabel->setText(QStringLiteral("パス位置"));
        skipStringEdit->setToolTip(
            QStringLiteral("誤動作防止用に、どの位置までを変換対象にしないのかを明示します。ソースの始めから"
                           "ここで指定した文字が現れるまでは解析をおこないません。"));
        auto *skip = new QHBoxLayout;
        skip->addWidget(skipStringLabel);
        skip->addWidget(skipStringEdit, 1);
        l->addLayout(skip);
        l->addStretch();
    }
    // 1 display
    {
        QVBoxLayout *l = page(QStringLiteral("表示"));
        displayIntroLabel->setText(QStringLiteral("表示する日付を限定します。"));
        l->addWidget(wrapLabel(displayIntroLabel));
        rangeDashLabel->setText(QStringLiteral("～"));
        l->addLayout(row({dateStartBox, rangeDashLabel, dateEndBox}));
        dateEndIsRecentBox->setText(QStringLiteral("最新日時まで"));
        dateEndIsRecentBox->setToolTip(QStringLiteral("常に最終日時までを表示します。"));
        l->addLayout(row({dateEndIsRecentBox}));
        l->addStretch();
    }
    // 2 association
    {
        QVBoxLayout *l = page(QStringLiteral("関連付け"));
        associationIntroLabel->setText(QStringLiteral(
            "その曲に関連づけられたデータファイル(音楽,画像,歌詞,ホームページなど)を設定できます。"));
        l->addWidget(wrapLabel(associationIntroLabel));
        lockAssociationsBox->setText(QStringLiteral("関連づけの変更を禁止する。"));
        lockAssociationsBox->setToolTip(QStringLiteral(
            "リストの上にファイルをドラッグしたとき、関連付けるファイルを変更するかどうか設定します。"));
        missingFileAlertBox->setText(QStringLiteral("ファイルが存在しない時はメッセージを表示する。"));
        missingFileAlertBox->setToolTip(
            QStringLiteral("ドラッグを開始した時、関連付けたファイルがなければ警告を表示するか設定します。"));
        l->addWidget(lockAssociationsBox);
        l->addWidget(missingFileAlertBox);
        auto *group = new QGroupBox(QStringLiteral("一括で変更..."));
        auto *g = new QGridLayout(group);
        fileNamePatternBox->setText(QStringLiteral("次の設定のファイルを関連付けファイルとみなす"));
        fileNameLabel->setText(QStringLiteral("ファイル名:"));
        musicFolderLabel->setText(QStringLiteral("フォルダ:"));
        fileNamePatternEdit->setToolTip(
            QStringLiteral("%aと書くとアーティスト名に、%tと書くと曲名に置換されます"));
        browseMusicFolderButton->setText(QStringLiteral("参照..."));
        g->addWidget(fileNamePatternBox, 0, 0, 1, 3);
        g->addWidget(fileNameLabel, 1, 0);
        g->addWidget(fileNamePatternEdit, 1, 1, 1, 2);
        g->addWidget(musicFolderLabel, 2, 0);
        g->addWidget(musicFolderEdit, 2, 1);
        g->addWidget(browseMusicFolderButton, 2, 2);
        l->addWidget(group);
        l->addStretch();
    }
    // 3 list output
    {
        QVBoxLayout *l = page(QStringLiteral("リスト出力"));
        listIntroLabel->setText(QStringLiteral(
            "メイン画面/検索/リスト出力画面でリストを出力する場合の、出力する項目を指定します。"));
        l->addWidget(wrapLabel(listIntroLabel));
        listDateBox->setText(QStringLiteral("日付(検索/リスト出力画面のみ有効)"));
        listRankBox->setText(QStringLiteral("順位"));
        listTitleBox->setText(QStringLiteral("曲名"));
        listArtistBox->setText(QStringLiteral("アーティスト"));
        listFileBox->setText(QStringLiteral("関連付けファイル名"));
        listFileBox->setToolTip(QStringLiteral("データに対応するファイル"));
        listMethodBox->setText(QStringLiteral("開く方法"));
        listMethodBox->setToolTip(QStringLiteral("エクスプローラで開く時のコマンドです(通常は\"open\")"));
        for (QCheckBox *b :
             {listDateBox, listRankBox, listTitleBox, listArtistBox, listFileBox, listMethodBox})
            l->addWidget(b);
        l->addStretch();
    }
    // 4 start-up
    {
        QVBoxLayout *l = page(QStringLiteral("起動時動作"));
        startupIntroLabel->setText(QStringLiteral(
            "起動時に自動的に以下の動作を行います。タイマーソフト等を組み合わせて自動運転できます。"));
        l->addWidget(wrapLabel(startupIntroLabel));
        autoRunImportBox->setText(QStringLiteral("最終日付までの取り込みを行う(Webにアクセス)"));
        autoRunImportBox->setToolTip(
            QStringLiteral("前回取り込み時より更新されたファイルを取得し、終了します。"));
        autoRunAssociateBox->setText(QStringLiteral("関連付けを自動更新する"));
        autoRunAssociateBox->setToolTip(QStringLiteral("起動時に関連付けの自動更新を行います。"));
        autoQuitBox->setText(QStringLiteral("作業が終われば、アプリケーションも終了する"));
        autoQuitBox->setToolTip(QStringLiteral("上の作業を実行後、このソフトを終了します。"));
        for (QCheckBox *b : {autoRunImportBox, autoRunAssociateBox, autoQuitBox}) l->addWidget(b);
        l->addSpacing(8);
        weeklyImport = new WeeklyImportControl(this);
        l->addWidget(weeklyImport);
        l->addStretch();
    }
    // 5 Web
    {
        QVBoxLayout *l = page(QStringLiteral("Web"));
        webIntroLabel->setText(QStringLiteral("データをインターネット経由で取り込む際の設定を行います。"));
        l->addWidget(wrapLabel(webIntroLabel));
        homeUrlLabel->setText(QStringLiteral("VORQのホームページのアドレス(トップページ)"));
        dataUrlLabel->setText(QStringLiteral("データのホームページのアドレス"));
        homeUrlEdit->setToolTip(QStringLiteral("必要がない限りこのままで使ってください"));
        dataUrlEdit->setToolTip(QStringLiteral("必要がない限りこのままで使ってください"));
        l->addWidget(homeUrlLabel);
        l->addWidget(homeUrlEdit);
        l->addWidget(dataUrlLabel);
        l->addWidget(dataUrlEdit);
        ignoreErrorBox->setText(QStringLiteral("エラーを無視する"));
        ignoreErrorBox->setToolTip(QStringLiteral("取り込みエラーが起きてもメッセージを表示しません。"));
        autoAddNotFoundBox->setText(QStringLiteral("Not foundを自動的に追加する"));
        autoAddNotFoundBox->setToolTip(
            QStringLiteral("もしデータがなかったら、自動的に「放送のなかった日」として記録します。"));
        importAllButton->setText(QStringLiteral("一括で取得..."));
        importAllButton->setToolTip(QStringLiteral("取得していない日のデータを全部ダウンロードします。"));
        l->addLayout(row({ignoreErrorBox, autoAddNotFoundBox, importAllButton}));
        useProxyBox->setText(QStringLiteral("プロキシ サーバーを使用する"));
        proxyAddressLabel->setText(QStringLiteral("アドレス:"));
        proxyPortLabel->setText(QStringLiteral("ポート"));
        auto *proxy = new QHBoxLayout;
        proxy->addWidget(useProxyBox);
        proxy->addWidget(proxyAddressLabel);
        proxy->addWidget(proxyAddressEdit, 3);
        proxy->addWidget(proxyPortLabel);
        proxy->addWidget(proxyPortEdit, 1);
        // A port is digits only; a letter typed here would fail only at import.
        proxyPortEdit->setValidator(
            new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,5}")), proxyPortEdit));
        l->addLayout(proxy);
        buildWebExtras(l);
        l->addStretch();
    }
    // 6 other
    {
        QVBoxLayout *l = page(QStringLiteral("その他"));
        // The README's section on discs and sticks, and where the README is.
        const QString readme =
            env::findReadme(QCoreApplication::applicationDirPath(), QStringLiteral(VORQ_DOC_DIR));
        otherIntroLabel->setText(QStringLiteral("このページは、README の「A copy on a disc or stick」の節 "
                                                "(%1) やWebでの解説をお読みになって、"
                                                "内容を十分理解してからお使いください。")
                                     .arg(readme.isEmpty()
                                              ? QStringLiteral("インストール先の " VORQ_DOC_DIR "/README.md")
                                              : readme));
        otherIntroLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
        l->addWidget(wrapLabel(otherIntroLabel));
        cdrNoteLabel->setText(QStringLiteral(
            "▼ "
            "CD-"
            "Rの自動再生プログラムとして利用するために、関連づけファイルや設定を別フォルダにコピーします。"));
        l->addWidget(wrapLabel(cdrNoteLabel));
        cdrWizardButton->setText(QStringLiteral("CD-R作成ウィザード開始"));
        cdrWizardButton->setToolTip(QStringLiteral("CD-R作成ウィザードを起動します"));
        l->addLayout(row({cdrWizardButton}));
        restoreNoteLabel->setText(QStringLiteral("▼ CD-R上で利用中のプログラムやデータをHDDに移します。"));
        l->addWidget(wrapLabel(restoreNoteLabel));
        restoreButton->setText(QStringLiteral("CD-Rより復元"));
        l->addLayout(row({restoreButton}));
        l->addStretch();
    }

    saveSettingsBox->setText(QStringLiteral("設定を保存する"));
    saveSettingsBox->setToolTip(QStringLiteral("CD-ROMから起動する場合は無効です"));
    okButton->setText(QStringLiteral("OK"));
    okButton->setDefault(true);
    cancelButton->setText(QStringLiteral("キャンセル"));
    applyButton->setText(QStringLiteral("適用(&A)"));

    auto *top = new QVBoxLayout(this);
    top->setContentsMargins(6, 6, 6, 6);
    pageTabs->setMinimumSize(497, 249);
    top->addWidget(pageTabs, 1);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(saveSettingsBox);
    bottom->addStretch();
    bottom->addWidget(okButton);
    bottom->addWidget(cancelButton);
    bottom->addWidget(applyButton);
    top->addLayout(bottom);
    resize(512, 290);
}

void OptionsDialog::connectRules() {
    for (QRadioButton *r : {importFromWebRadio, importFromHtmlRadio, importFromTextRadio, noImportRadio})
        connect(r, &QRadioButton::toggled, this, [this](bool on) {
            if (on) updateImportModeControls();
        });
    connect(lockAssociationsBox, &QCheckBox::toggled, this, &OptionsDialog::updateAssociationLockControls);
    connect(fileNamePatternBox, &QCheckBox::toggled, this, &OptionsDialog::updatePatternControls);
    connect(autoSaveBox, &QCheckBox::toggled, this, &OptionsDialog::updateEditDataControls);
    connect(autoRunImportBox, &QCheckBox::toggled, this, &OptionsDialog::updateAutoQuitControl);
    connect(autoRunAssociateBox, &QCheckBox::toggled, this, &OptionsDialog::updateAutoQuitControl);
    connect(dateEndIsRecentBox, &QCheckBox::toggled, this, &OptionsDialog::updateDateEndControl);
    connect(dataFolderIsAppPathBox, &QCheckBox::toggled, this, &OptionsDialog::updateDataFolderControls);
    connect(useProxyBox, &QCheckBox::toggled, this, &OptionsDialog::updateProxyControls);
    connect(dataFolderEdit, &QLineEdit::textChanged, this, &OptionsDialog::enableApply);
    connect(dateStartBox, &QComboBox::currentIndexChanged, this, &OptionsDialog::enableApply);
    connect(dateEndBox, &QComboBox::currentIndexChanged, this, &OptionsDialog::enableApply);

    connect(browseDataFolderButton, &QPushButton::clicked, this,
            [this] { browse(dataFolderEdit, QStringLiteral("データファイルの保存先")); });
    connect(browseMusicFolderButton, &QPushButton::clicked, this,
            [this] { browse(musicFolderEdit, QStringLiteral("関連付けファイルのフォルダ")); });
    connect(importAllButton, &QPushButton::clicked, this, &OptionsDialog::runImportAll);
    connect(cdrWizardButton, &QPushButton::clicked, this, [this] {
        if (m_host) runGuarded(this, [this] { m_host->startCdrWizard(); });
        accept();  // the dialog closes with OK once the wizard has closed
    });
    connect(restoreButton, &QPushButton::clicked, this, [this] {
        if (m_host) runGuarded(this, [this] { m_host->restoreFromCdr(); });
        accept();
    });
    connect(okButton, &QPushButton::clicked, this, [this] {
        // A reload is coming: unsaved associations are settled first, and a
        // cancel keeps the dialog open.
        if (rangeIsValid() && (!reloadDue() || !m_host || m_host->settleAssociations())) accept();
    });
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &OptionsDialog::apply);
}

// ---- enabling rules ------------------------------------------------------------

void OptionsDialog::updateImportModeControls() {
    if (m_rulesBlocked) return;
    const bool r1 = importFromWebRadio->isChecked();
    const bool r4 = noImportRadio->isChecked();
    hideNoDataBox->setEnabled(r4);
    hideNoDataBox->setChecked(r4);
    confirmDataBox->setEnabled(r1 || importFromHtmlRadio->isChecked());
    if (!enabledSelf(confirmDataBox)) confirmDataBox->setChecked(false);
    autoSaveBox->setEnabled(!r4);
    autoSaveBox->setChecked(!r4);
    editDataBox->setEnabled(!r4);
    editDataBox->setChecked(!r4);
    alsoAssociateBox->setEnabled(!r4 && !lockAssociationsBox->isChecked());
    if (!enabledSelf(alsoAssociateBox)) alsoAssociateBox->setChecked(false);
    pageTabs->setTabVisible(kWebPage, r1);
    autoRunImportBox->setEnabled(r1);
    importAllButton->setEnabled(r1);
    if (!r1) autoRunImportBox->setChecked(false);
    autoQuitBox->setEnabled(enabledSelf(autoRunImportBox) || enabledSelf(autoRunAssociateBox));
}

void OptionsDialog::updateEditDataControls() {
    if (m_rulesBlocked) return;
    const bool on = autoSaveBox->isChecked();
    editDataBox->setEnabled(on);
    editDataNoteLabel->setEnabled(on);
    if (!on) editDataBox->setChecked(false);
}

void OptionsDialog::updateAssociationLockControls() {
    if (m_rulesBlocked) return;
    const bool locked = lockAssociationsBox->isChecked();
    if (m_host) m_host->setAssociationEditingVisible(!locked);
    missingFileAlertBox->setEnabled(!locked);
    fileNamePatternBox->setEnabled(!locked);
    const bool pattern = !locked && fileNamePatternBox->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{fileNameLabel, musicFolderLabel, fileNamePatternEdit,
                                                       musicFolderEdit, browseMusicFolderButton})
        w->setEnabled(pattern);
    autoRunAssociateBox->setEnabled(enabledSelf(fileNamePatternBox) && fileNamePatternBox->isChecked());
    autoQuitBox->setEnabled(enabledSelf(autoRunImportBox) || enabledSelf(autoRunAssociateBox));
    alsoAssociateBox->setEnabled(!noImportRadio->isChecked() && !locked);
}

void OptionsDialog::updatePatternControls() {
    if (m_rulesBlocked) return;
    const bool on = fileNamePatternBox->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{fileNamePatternEdit, musicFolderEdit, fileNameLabel,
                                                       musicFolderLabel, browseMusicFolderButton})
        w->setEnabled(on);
}

void OptionsDialog::updateAutoQuitControl() {
    if (m_rulesBlocked) return;
    const bool on = autoRunImportBox->isChecked() || autoRunAssociateBox->isChecked();
    autoQuitBox->setEnabled(on);
    if (!on) autoQuitBox->setChecked(false);
}

void OptionsDialog::updateDateEndControl() {
    if (m_rulesBlocked) return;
    const bool recent = dateEndIsRecentBox->isChecked();
    dateEndBox->setEnabled(!recent);
    // The box means "up to the newest date": a disabled list still holding
    // an old end would keep the range the user just asked to leave.
    if (recent) dateEndBox->setCurrentIndex(dateEndBox->count() - 1);
}

void OptionsDialog::updateDataFolderControls() {
    if (m_rulesBlocked) return;
    const bool on = dataFolderIsAppPathBox->isChecked();
    if (on) dataFolderEdit->setText(programFolderText());
    dataFolderEdit->setEnabled(!on);
    browseDataFolderButton->setEnabled(!on);
}

void OptionsDialog::updateProxyControls() {
    if (m_rulesBlocked) return;
    proxyAddressEdit->setEnabled(useProxyBox->isChecked());
    proxyPortEdit->setEnabled(useProxyBox->isChecked());
}

void OptionsDialog::enableApply() {
    if (m_rulesBlocked) return;
    applyButton->setEnabled(true);
}

void OptionsDialog::setRadio(QRadioButton *button, bool checked) {
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

QString OptionsDialog::programFolderText() { return sjis::toUnicode(env::programFolder()); }

// ---- browse and commands -----------------------------------------------------

void OptionsDialog::browse(QLineEdit *edit, const QString &caption) {
    runGuarded(this, [&] {
        QString chosen = prompter().folder(this, caption, edit->text());
        if (chosen.isEmpty()) return;
        if (!chosen.endsWith(QLatin1Char('/'))) chosen += QLatin1Char('/');
        edit->setText(chosen);
    });
}

void OptionsDialog::runImportAll() {
    if (!m_host) return;
    setEnabled(false);
    ScopeExit enable([this] { setEnabled(true); });
    runGuarded(this, [this] {
        CursorGuard cursor;
        m_host->importMissingDates();
    });
}

// ---- show, OK, Cancel, Apply ------------------------------------------------------

void OptionsDialog::recordRange() {
    m_startIndex = dateStartBox->currentIndex();
    m_endIndex = dateEndBox->currentIndex();
    m_dataFolder = dataFolderEdit->text();
}

QList<QWidget *> OptionsDialog::controls() const {
    QList<QWidget *> out;
    // Every setting's control of this dialog (the playlist maker keeps its
    // own), then the rest of its controls.
    for (const Binding &b : bindings())
        if (isAncestorOf(b.control)) out.append(b.control);
    for (QWidget *w : std::initializer_list<QWidget *>{saveSettingsBox, browseExtraCaButton}) out.append(w);
    for (QWidget *w : {importAllButton, browseDataFolderButton, browseMusicFolderButton, okButton,
                       applyButton, cdrWizardButton, cancelButton, restoreButton})
        out.append(w);
    for (QWidget *w :
         {fileNameLabel, musicFolderLabel, editDataNoteLabel, listIntroLabel, associationIntroLabel,
          importIntroLabel, displayIntroLabel, rangeDashLabel, startupIntroLabel, otherIntroLabel,
          dataFolderLabel, homeUrlLabel, dataUrlLabel, restoreNoteLabel, skipStringLabel, webIntroLabel,
          cdrNoteLabel, proxyAddressLabel, proxyPortLabel})
        out.append(w);
    return out;
}

void OptionsDialog::takeSnapshot() {
    m_snapshot = Snapshot();
    for (QWidget *w : controls()) {
        ControlState s;
        s.widget = w;
        s.enabled = enabledSelf(w);
        s.hidden = w->testAttribute(Qt::WA_WState_ExplicitShowHide) && w->testAttribute(Qt::WA_WState_Hidden);
        if (auto *b = qobject_cast<QAbstractButton *>(w)) s.checked = b->isChecked();
        if (auto *e = qobject_cast<QLineEdit *>(w)) s.text = e->text();
        if (auto *c = qobject_cast<QComboBox *>(w)) s.index = c->currentIndex();
        if (auto *n = qobject_cast<QSpinBox *>(w)) s.index = n->value();
        m_snapshot.controls.append(s);
    }
    for (int i = 0; i < pageTabs->count(); ++i) m_snapshot.pageVisible.append(pageTabs->isTabVisible(i));
    m_snapshot.currentPage = pageTabs->currentIndex();
}

void OptionsDialog::restoreSnapshot() {
    m_rulesBlocked = true;
    ScopeExit unblock([this] { m_rulesBlocked = false; });
    const QList<QRadioButton *> radios = {importFromWebRadio, importFromHtmlRadio, importFromTextRadio,
                                          noImportRadio};
    for (QRadioButton *r : radios) r->setAutoExclusive(false);
    for (const ControlState &s : std::as_const(m_snapshot.controls)) {
        QWidget *w = s.widget;
        if (!w) continue;
        if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->isCheckable()) b->setChecked(s.checked);
        if (auto *e = qobject_cast<QLineEdit *>(w)) e->setText(s.text);
        if (auto *c = qobject_cast<QComboBox *>(w)) c->setCurrentIndex(s.index);
        if (auto *n = qobject_cast<QSpinBox *>(w)) n->setValue(s.index);
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
    for (int i = 0; i < m_snapshot.pageVisible.size() && i < pageTabs->count(); ++i)
        pageTabs->setTabVisible(i, m_snapshot.pageVisible[i]);
    pageTabs->setCurrentIndex(m_snapshot.currentPage);
    // The main window's association buttons follow the restored lockAssociationsBox.
    if (m_host) m_host->setAssociationEditingVisible(!lockAssociationsBox->isChecked());
}

void OptionsDialog::showOptions() {
    recordRange();
    applyButton->setEnabled(false);
    takeSnapshot();
    const int result = exec();
    if (result == QDialog::Accepted) {
        if (!m_host) return;
        const bool reload = reloadDue();
        runGuarded(parentWidget(), [&] {
            if (reload) {
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
        dateStartBox->setCurrentIndex(m_startIndex);
        dateEndBox->setCurrentIndex(m_endIndex);
    }
    setEnabled(true);
    hide();
    m_snapshot = Snapshot();
}

bool OptionsDialog::rangeIsValid() {
    if (dateStartBox->currentIndex() <= dateEndBox->currentIndex()) return true;
    // A start after the end loads no week at all: say so instead of showing
    // an empty window.
    pageTabs->setCurrentIndex(kDisplayPage);
    prompter().message(this, QMessageBox::Warning, windowTitle(),
                       QStringLiteral("表示する期間の開始日が終了日より後になっています。\n"
                                      "開始日を終了日以前にしてください。"),
                       QMessageBox::Ok, QMessageBox::Ok);
    dateStartBox->setFocus();
    return false;
}

bool OptionsDialog::reloadDue() const {
    return dateStartBox->currentIndex() != m_startIndex || dateEndBox->currentIndex() != m_endIndex ||
           dataFolderEdit->text() != m_dataFolder;
}

void OptionsDialog::apply() {
    if (!rangeIsValid()) return;
    if (m_host && !m_host->settleAssociations()) return;
    setEnabled(false);
    ScopeExit enable([this] { setEnabled(true); });
    runGuarded(this, [this] {
        if (m_host) {
            m_host->disposeAllTabs();
            m_host->fullLoad();
            m_host->buildDateList();
        }
        recordRange();
        applyButton->setEnabled(false);
        takeSnapshot();
    });
}

}  // namespace vorq
