#include "ui/common/waitdialog.h"

#include <QCoreApplication>

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

WaitDialog::WaitDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("WaitForm"));
    // No title-bar buttons: the stop button is the only control.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("しばらくお待ちください..."));
    messageLabel = new QLabel(QStringLiteral("しばらくお待ちください..."), this);
    messageLabel->setObjectName(QStringLiteral("Label1"));
    messageLabel->setTextFormat(Qt::PlainText);
    progressBar = new QProgressBar(this);
    progressBar->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar->setRange(0, 100);
    progressBar->setValue(0);
    stopButton = new QPushButton(QStringLiteral("中止"), this);
    stopButton->setObjectName(QStringLiteral("Button1"));
    connect(stopButton, &QPushButton::clicked, this, [this] { m_stop = true; });

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(messageLabel);
    layout->addWidget(progressBar);
    auto *row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(stopButton);
    row->addStretch();
    layout->addLayout(row);
    setFixedSize(320, 110);
}

WaitDialog::~WaitDialog() = default;

void WaitDialog::setLabel(const QString &text) { messageLabel->setText(text); }

void WaitDialog::setProgress(int percent) { progressBar->setValue(qBound(0, percent, 100)); }

void WaitDialog::showNow() {
    if (parentWidget()) {
        const QRect r = parentWidget()->window()->geometry();
        move(r.center() - rect().center());
    }
    show();
    repaint();
}

// Closing the window or pressing Escape must not hide the dialog while its
// loop runs: only the stop button acts.
void WaitDialog::closeEvent(QCloseEvent *e) { e->ignore(); }
void WaitDialog::keyPressEvent(QKeyEvent *e) {
    if (e->key() == Qt::Key_Escape) return;
    QDialog::keyPressEvent(e);
}

namespace vorq {

WaitFeedback::WaitFeedback(WaitDialog *wait) : m_wait(wait) { m_clock.start(); }

void WaitFeedback::progress(int percent) {
    if (percent == m_percent) return;
    m_percent = percent;
    m_wait->setProgress(percent);
}

void WaitFeedback::yield() {
    if (m_clock.elapsed() < 30) return;
    m_clock.restart();
    QCoreApplication::processEvents();
}

bool WaitFeedback::stopRequested() const { return m_wait->stopRequested(); }

namespace {

// The window the dialog belongs to: a modal dialog that runs the loop (the
// options dialog's Apply) blocks every window but its own children, so the
// stop button must be one of them.
QWidget *waitParent(QWidget *owner) {
    QWidget *modal = QApplication::activeModalWidget();
    return modal && (!owner || modal != owner->window()) ? modal : owner;
}

}  // namespace

WaitGuard::WaitGuard(QWidget *owner, const QString &label, bool stoppable)
    : m_dialog(std::make_unique<WaitDialog>(waitParent(owner))) {
    // The loop lets events run: clicks on the windows below (a date of the
    // main window) would change the store under it. Only the dialog takes
    // input, even when its parent is disabled for the run.
    m_dialog->setWindowModality(Qt::ApplicationModal);
    m_dialog->setEnabled(true);
    if (!label.isEmpty()) m_dialog->setLabel(label);
    m_dialog->stopButton->setVisible(stoppable);
    m_dialog->showNow();
}

WaitGuard::~WaitGuard() { m_dialog->hide(); }

}  // namespace vorq
