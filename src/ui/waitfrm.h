#pragma once
// The wait dialog: a label, a progress bar from 0 to 100 and a stop button
// that only raises a flag, which long loops poll between items.
#include <QDialog>
#include <memory>

class QLabel;
class QProgressBar;
class QPushButton;

class TWaitForm : public QDialog {
    Q_OBJECT
public:
    explicit TWaitForm(QWidget *parent = nullptr);
    ~TWaitForm() override;

    void setLabel(const QString &text);
    void setProgress(int percent);
    bool stopRequested() const { return m_stop; }
    void clearStop() { m_stop = false; }
    // Shows the dialog and paints it now: the loop that follows may not let
    // events run for a while.
    void showNow();

    QLabel *Label1 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QPushButton *Button1 = nullptr;  // "中止"

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
    TWaitForm *operator->() const { return m_form.get(); }
    TWaitForm *get() const { return m_form.get(); }

private:
    std::unique_ptr<TWaitForm> m_form;
};

}  // namespace vorq
