#include "ui/options/weeklyimportcontrol.h"

#include <QCheckBox>
#include <QLabel>
#include <QVBoxLayout>

#include "ui/common/guards.h"

namespace vorq {

WeeklyImportControl::WeeklyImportControl(QWidget *parent)
    : QWidget(parent), m_runner(&schedule::processRunner()) {
    setObjectName(QStringLiteral("WeeklyImport"));
    enableBox = new QCheckBox(QStringLiteral("毎週自動で取り込む"), this);
    enableBox->setObjectName(QStringLiteral("WeeklyImportBox"));
    enableBox->setToolTip(QStringLiteral(
        "vorqview を起動していなくても、毎週日曜の朝に新しい週を取り込み、デスクトップに通知します。"));
    statusLabel = new QLabel(this);
    statusLabel->setObjectName(QStringLiteral("WeeklyImportStatus"));
    statusLabel->setWordWrap(true);
    statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    layout->addWidget(enableBox);
    auto *indented = new QHBoxLayout;
    indented->addSpacing(20);
    indented->addWidget(statusLabel, 1);
    layout->addLayout(indented);
    // clicked, not toggled: showing the state must never switch it.
    connect(enableBox, &QCheckBox::clicked, this, &WeeklyImportControl::onClicked);
}

void WeeklyImportControl::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    refresh();
}

void WeeklyImportControl::refresh() {
    const schedule::TimerStatus s = schedule::ImportTimer(*m_runner).status();
    const QSignalBlocker quiet(enableBox);
    enableBox->setChecked(s.usable() && s.enabled);
    enableBox->setEnabled(s.usable());
    statusLabel->setText(schedule::timerStatusText(s));
    statusLabel->setEnabled(true);
    enableBox->setAccessibleDescription(statusLabel->text());
}

void WeeklyImportControl::onClicked(bool on) {
    {
        CursorGuard cursor;
        runGuarded(this, [&] { schedule::ImportTimer(*m_runner).setEnabled(on); });
    }
    // What systemd holds now, whether the switch worked or not.
    refresh();
}

}  // namespace vorq
