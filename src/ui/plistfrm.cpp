#include "plistfrm.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {
    new QVBoxLayout(this);
}

void TRadioGroup::addItem(const QString &text) {
    auto *b = new QRadioButton(text, this);
    m_buttons.append(b);
    layout()->addWidget(b);
}

int TRadioGroup::itemIndex() const {
    for (int i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i]->isChecked()) return i;
    return -1;
}

void TRadioGroup::setItemIndex(int index) {
    index = std::clamp(index, -1, count() - 1);
    for (int i = 0; i < m_buttons.size(); ++i) {
        // Auto-exclusive buttons refuse to be unchecked directly.
        m_buttons[i]->setAutoExclusive(false);
        m_buttons[i]->setChecked(i == index);
        m_buttons[i]->setAutoExclusive(true);
    }
}

TForm4::TForm4(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Playlist Maker"));
    auto *top = new QVBoxLayout(this);
    top->addWidget(
        new QLabel(QStringLiteral("VORQのデータから条件を満たすプレイリストを生成します。"), this));

    auto *priority = new QGroupBox(QStringLiteral("優先順位"), this);
    auto *pl = new QVBoxLayout(priority);
    TrackBar1 = new QSlider(Qt::Horizontal, priority);
    TrackBar1->setObjectName(QStringLiteral("TrackBar1"));
    TrackBar1->setRange(0, 5);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    TrackBar1->setValue(1);
    pl->addWidget(TrackBar1);
    top->addWidget(priority);

    RadioGroup2 = new TRadioGroup(QStringLiteral("ランキングによる並べ替え"), this);
    RadioGroup2->setObjectName(QStringLiteral("RadioGroup2"));
    RadioGroup2->addItem(QStringLiteral("ランキング下位→上位"));
    RadioGroup2->addItem(QStringLiteral("ランキング上位→下位"));
    RadioGroup2->setItemIndex(1);
    top->addWidget(RadioGroup2);

    auto *rate = new QGroupBox(QStringLiteral("並べ替え率(正しく整列させる曲の割合)"), this);
    auto *rl = new QHBoxLayout(rate);
    SpinEdit1 = new QSpinBox(rate);
    SpinEdit1->setObjectName(QStringLiteral("SpinEdit1"));
    SpinEdit1->setRange(0, 100);
    SpinEdit1->setValue(100);
    rl->addWidget(SpinEdit1);
    rl->addWidget(new QLabel(QStringLiteral("%"), rate));
    rl->addStretch();
    top->addWidget(rate);

    CheckBox1 = new QCheckBox(QStringLiteral("関連付けされた曲(プレイリストを作成)"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox1->setToolTip(QStringLiteral("曲数が足らない場合は無視されます"));
    CheckBox1->setChecked(true);
    top->addWidget(CheckBox1);
    CheckBox2 =
        new QCheckBox(QStringLiteral("関連付けされていない曲(プレイリストを作る場合はクリアします)"), this);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    top->addWidget(CheckBox2);
}
