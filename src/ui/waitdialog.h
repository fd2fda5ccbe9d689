#pragma once
// The wait dialog: a label, a progress bar from 0 to 100 and a stop button
// that only raises a flag, which long loops poll between items.
#include <QDialog>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

class WaitDialog : public QDialog {
    Q_OBJECT
public:
    explicit WaitDialog(QWidget *parent = nullptr);
    ~WaitDialog() override;

    void setLabel(const QString &text);
    void setProgress(int percent);
    bool stopRequested() const { return m_stop; }
    void clearStop() { m_stop = false; }
    // Shows the dialog and paints it now: the loop that follows may not let
    // events run for a while.
    void showNow();

    QLabel *messageLabel = nullptr;
    QProgressBar *progressBar = nullptr;
    QPushButton *stopButton = nullptr;  // "中止"

protected:
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    bool m_stop = false;
};

namespace vorq {

// A wait dialog for the guard's lifetime, shown at once and released at
// scope exit on every path.
class WaitGuard {
public:
    explicit WaitGuard(QWidget *owner, const QString &label = {}, bool stoppable = true);
    ~WaitGuard();
    WaitGuard(const WaitGuard &) = delete;
    WaitGuard &operator=(const WaitGuard &) = delete;
    WaitDialog *operator->() const { return m_dialog.get(); }
    WaitDialog *get() const { return m_dialog.get(); }

private:
    std::unique_ptr<WaitDialog> m_dialog;
};

}  // namespace vorq
