#pragma once
// The wait dialog: a label, a progress bar from 0 to 100 and a stop button
// that only raises a flag, which long loops poll between items.
#include <QDialog>
#include <QElapsedTimer>
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

// What a long loop's observer does with the wait dialog: progress shown
// when the percentage changes, events let run at most every 30 ms (often
// enough for the stop button, rarely enough not to repaint per item), the
// stop flag polled.
class WaitFeedback {
public:
    explicit WaitFeedback(WaitDialog *wait);
    void progress(int percent);
    void yield();
    bool stopRequested() const;
    WaitDialog *dialog() const { return m_wait; }

private:
    WaitDialog *m_wait;
    QElapsedTimer m_clock;
    int m_percent = 0;
};

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
