// The Web page's controls for downloading many weeks politely and for sites
// with a private CA: the pause between pages and one extra trusted CA
// certificate (off by default; there is deliberately no switch that turns
// certificate checks off).
#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "core/settings/optionkeys.h"
#include "ui/common/guards.h"
#include "ui/common/prompter.h"
#include "ui/options/optionsdialog.h"
#include "ui/options/optionsdialog_p.h"

using namespace vorq;

void OptionsDialog::buildWebExtras(QVBoxLayout *webPage) {
    pageDelaySpin = new QSpinBox(this);
    pageDelaySpin->setObjectName(QStringLiteral("PageDelaySpin"));
    pageDelaySpin->setRange(0, options::kMaxPageDelaySeconds);
    pageDelaySpin->setValue(options::kDefaultPageDelaySeconds);
    pageDelaySpin->setSuffix(QStringLiteral(" 秒"));
    pageDelaySpin->setToolTip(
        QStringLiteral("一括で取得するとき、サイトに負担をかけないようにページごとに待つ時間です。"));
    auto *delayLabel = new QLabel(QStringLiteral("一括で取得するときのページ間の待ち時間:"), this);
    delayLabel->setObjectName(QStringLiteral("PageDelayLabel"));
    delayLabel->setBuddy(pageDelaySpin);
    auto *delayRow = new QHBoxLayout;
    delayRow->addWidget(delayLabel);
    delayRow->addWidget(pageDelaySpin);
    delayRow->addStretch();
    webPage->addLayout(delayRow);

    useExtraCaBox = new QCheckBox(QStringLiteral("次の CA 証明書も信頼する (https):"), this);
    useExtraCaBox->setObjectName(QStringLiteral("UseExtraCaBox"));
    useExtraCaBox->setToolTip(QStringLiteral(
        "独自の認証局 (CA) を使うサイトのために、その CA 証明書ファイル (PEM または DER) を指定します。"));
    extraCaFileEdit = new QLineEdit(this);
    extraCaFileEdit->setObjectName(QStringLiteral("ExtraCaFileEdit"));
    extraCaFileEdit->setAccessibleName(QStringLiteral("CA 証明書ファイル"));
    browseExtraCaButton = new QPushButton(QStringLiteral("参照..."), this);
    browseExtraCaButton->setObjectName(QStringLiteral("BrowseExtraCaButton"));
    browseExtraCaButton->setAutoDefault(false);
    auto *caRow = new QHBoxLayout;
    caRow->addWidget(useExtraCaBox);
    caRow->addWidget(extraCaFileEdit, 1);
    caRow->addWidget(browseExtraCaButton);
    webPage->addLayout(caRow);

    const auto follow = [this] {
        extraCaFileEdit->setEnabled(useExtraCaBox->isChecked());
        browseExtraCaButton->setEnabled(useExtraCaBox->isChecked());
    };
    follow();
    connect(useExtraCaBox, &QCheckBox::toggled, this, follow);
    connect(browseExtraCaButton, &QPushButton::clicked, this, [this] {
        runGuarded(this, [&] {
            const QString chosen =
                prompter().openFile(this, QStringLiteral("信頼する CA 証明書"), extraCaFileEdit->text(),
                                    QStringLiteral("CA 証明書 (*.pem *.crt *.cer *.der)"));
            if (!chosen.isEmpty()) extraCaFileEdit->setText(chosen);
        });
    });
}
