#include "waitfrm.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TWaitForm::TWaitForm(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WaitForm"));
    // No title-bar buttons: the stop button is the only control.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("しばらくお待ちください..."));
    Label1 = new QLabel(QStringLiteral("しばらくお待ちください..."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->setValue(0);
    Button1 = new QPushButton(QStringLiteral("中止"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    connect(Button1, &QPushButton::clicked, this, [this] { m_stop = true; });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(ProgressBar1);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(Button1);
    row->addStretch();
    layout->addLayout(row);
    setFixedSize(320, 110);
}

TWaitForm::~TWaitForm() = default;

void TWaitForm::setLabel(const QString &text) { Label1->setText(text); }

void TWaitForm::setProgress(int percent) { ProgressBar1->setValue(qBound(0, percent, 100)); }

void TWaitForm::showNow() {
    if (parentWidget()) {
        const QRect r = parentWidget()->window()->geometry();
        move(r.center() - rect().center());
    }
    show();
    repaint();
}

// Closing the window or pressing Escape must not hide the dialog while its
// loop runs: only the stop button acts.
void TWaitForm::closeEvent(QCloseEvent *e) { e->ignore(); }
void TWaitForm::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

namespace vorq {

WaitGuard::WaitGuard(QWidget *owner, const QString &label, bool stoppable)
    : m_form(std::make_unique<TWaitForm>(owner)) {
    if (!label.isEmpty()) m_form->setLabel(label);
    m_form->Button1->setVisible(stoppable);
    m_form->showNow();
}

WaitGuard::~WaitGuard() { m_form->hide(); }

}  // namespace vorq
