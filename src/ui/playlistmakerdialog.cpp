#include "playlistmakerdialog.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

IndexedRadioGroup::IndexedRadioGroup(const QString &caption, QWidget *parent) : QGroupBox(caption, parent) {
    new QVBoxLayout(this);
}

void IndexedRadioGroup::addItem(const QString &text) {
    auto *b = new QRadioButton(text, this);
    m_buttons.append(b);
    layout()->addWidget(b);
}

int IndexedRadioGroup::itemIndex() const {
    for (int i = 0; i < m_buttons.size(); ++i)
        if (m_buttons[i]->isChecked()) return i;
    return -1;
}

void IndexedRadioGroup::setItemIndex(int index) {
    index = std::clamp(index, -1, count() - 1);
    for (int i = 0; i < m_buttons.size(); ++i) {
        // Auto-exclusive buttons refuse to be unchecked directly.
        m_buttons[i]->setAutoExclusive(false);
        m_buttons[i]->setChecked(i == index);
        m_buttons[i]->setAutoExclusive(true);
    }
}

PlaylistMakerDialog::PlaylistMakerDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Playlist Maker"));
    auto *top = new QVBoxLayout(this);
    top->addWidget(
        new QLabel(QStringLiteral("VORQのデータから条件を満たすプレイリストを生成します。"), this));

    auto *priority = new QGroupBox(QStringLiteral("優先順位"), this);
    auto *pl = new QVBoxLayout(priority);
    priorityBar = new QSlider(Qt::Horizontal, priority);
    priorityBar->setObjectName(QStringLiteral("TrackBar1"));
    priorityBar->setRange(0, 5);
    priorityBar->setPageStep(1);
    priorityBar->setTickPosition(QSlider::TicksBelow);
    priorityBar->setValue(1);
    pl->addWidget(priorityBar);
    top->addWidget(priority);

    sortDirectionGroup = new IndexedRadioGroup(QStringLiteral("ランキングによる並べ替え"), this);
    sortDirectionGroup->setObjectName(QStringLiteral("RadioGroup2"));
    sortDirectionGroup->addItem(QStringLiteral("ランキング下位→上位"));
    sortDirectionGroup->addItem(QStringLiteral("ランキング上位→下位"));
    sortDirectionGroup->setItemIndex(1);
    top->addWidget(sortDirectionGroup);

    auto *rate = new QGroupBox(QStringLiteral("並べ替え率(正しく整列させる曲の割合)"), this);
    auto *rl = new QHBoxLayout(rate);
    sortRateSpin = new QSpinBox(rate);
    sortRateSpin->setObjectName(QStringLiteral("SpinEdit1"));
    sortRateSpin->setRange(0, 100);
    sortRateSpin->setValue(100);
    rl->addWidget(sortRateSpin);
    rl->addWidget(new QLabel(QStringLiteral("%"), rate));
    rl->addStretch();
    top->addWidget(rate);

    takeAssociatedBox = new QCheckBox(QStringLiteral("関連付けされた曲(プレイリストを作成)"), this);
    takeAssociatedBox->setObjectName(QStringLiteral("CheckBox1"));
    takeAssociatedBox->setToolTip(QStringLiteral("曲数が足らない場合は無視されます"));
    takeAssociatedBox->setChecked(true);
    top->addWidget(takeAssociatedBox);
    takeUnassociatedBox =
        new QCheckBox(QStringLiteral("関連付けされていない曲(プレイリストを作る場合はクリアします)"), this);
    takeUnassociatedBox->setObjectName(QStringLiteral("CheckBox2"));
    top->addWidget(takeUnassociatedBox);
}
