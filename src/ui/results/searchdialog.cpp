#include "ui/results/searchdialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vorq {

SearchDialog::SearchDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form5"));
    setWindowTitle(QStringLiteral("検索"));
    const QString hint = QStringLiteral("指定しない場合は*を入力します");
    auto edit = [&](const char *name) {
        auto *e = new QLineEdit(QStringLiteral("*"), this);
        e->setObjectName(QString::fromLatin1(name));
        e->setToolTip(hint);
        e->setMinimumWidth(280);
        return e;
    };
    artistEdit = edit("Edit1");
    titleEdit = edit("Edit2");
    auto *artistLabel = new QLabel(QStringLiteral("検索するアーティスト名(&A):"), this);
    artistLabel->setBuddy(artistEdit);
    auto *titleLabel = new QLabel(QStringLiteral("検索する曲名(&T):"), this);
    titleLabel->setBuddy(titleEdit);
    exactBox = new QCheckBox(QStringLiteral("完全に一致するアーティスト名、曲名のみを検索"), this);
    exactBox->setObjectName(QStringLiteral("CheckBox1"));
    foldBox = new QCheckBox(QStringLiteral("全角/半角・大文字/小文字を区別しない"), this);
    foldBox->setObjectName(QStringLiteral("FoldCheckBox"));
    foldBox->setToolTip(QStringLiteral("「ＡＢＣ」で「abc」も、半角カナで全角カナも見つけます"));
    startButton = new QPushButton(QStringLiteral("検索開始"), this);
    startButton->setObjectName(QStringLiteral("Button1"));
    startButton->setDefault(true);
    cancelButton = new QPushButton(QStringLiteral("キャンセル"), this);
    cancelButton->setObjectName(QStringLiteral("Button2"));

    auto *top = new QVBoxLayout(this);
    auto *grid = new QGridLayout;
    grid->addWidget(artistLabel, 0, 0);
    grid->addWidget(artistEdit, 1, 0);
    grid->addWidget(titleLabel, 2, 0);
    grid->addWidget(titleEdit, 3, 0);
    top->addLayout(grid);
    top->addWidget(exactBox);
    top->addWidget(foldBox);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(startButton);
    buttons->addWidget(cancelButton);
    top->addLayout(buttons);
    connect(startButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

}  // namespace vorq
