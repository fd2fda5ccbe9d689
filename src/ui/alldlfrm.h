#pragma once
// The bulk download dialog: where the current page comes from and goes, the
// figures of the current transfer and of the run, a progress bar, a small
// animation and a cancel button. Fed by the main window's Timer1.
#include <QDialog>

#include "bulkprogress.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

class TfrmAllDownload : public QDialog {
    Q_OBJECT
public:
    // owner: the main window, over which the dialog is centred. parent: the
    // window it belongs to, the owner unless a modal dialog (the options
    // dialog) runs the import: it must stay usable above that one.
    explicit TfrmAllDownload(QWidget *owner, QWidget *parent = nullptr);
    ~TfrmAllDownload() override;

    // The run's operations.
    void StartDate(const QString &source, const QString &destination, qint64 expectedTotal);
    void Update(qint64 bytes, qint64 elapsedMs);
    void FinishDate();
    bool cancelled() const { return m_cancel; }
    void clearCancel() { m_cancel = false; }
    void setProgress(int percent);

    QWidget *PaintBox1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *frames[16] = {};  // Image15..Image30
    QLabel *filenamelabel = nullptr;
    QLabel *dirlabel = nullptr;
    QProgressBar *ProgressBar = nullptr;
    QGroupBox *currentGroup = nullptr;
    QGroupBox *allGroup = nullptr;
    QLabel *TransferLbl = nullptr;
    QLabel *TimeLbl = nullptr;
    QLabel *TransferRateLbl = nullptr;
    QLabel *TotTransferLbl = nullptr;
    QLabel *TotTimeLbl = nullptr;
    QLabel *TimeLeftLbl = nullptr;
    QPushButton *CancelBtn = nullptr;

    QLabel *frame(int n) const { return n >= 15 && n <= 30 ? frames[n - 15] : nullptr; }
    const vorq::BulkProgress &figures() const { return m_progress; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;  // Escape cancels the run instead of closing
    void closeEvent(QCloseEvent *event) override;

private:
    void CancelBtnClick();

    QWidget *m_owner;
    vorq::BulkProgress m_progress;
    bool m_cancel = false;
    bool m_shownOnce = false;
};
