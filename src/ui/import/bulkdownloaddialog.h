#pragma once
// The bulk download dialog: where the current page comes from and goes, the
// figures of the current transfer and of the run, a progress bar, a small
// animation and a cancel button. Fed by the main window's connectionTimer.
#include <QDialog>

#include "core/import/bulkprogress.h"

class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace vorq {

class BulkDownloadDialog : public QDialog {
    Q_OBJECT
public:
    // owner: the main window, over which the dialog is centred. parent: the
    // window it belongs to, the owner unless a modal dialog (the options
    // dialog) runs the import: it must stay usable above that one.
    explicit BulkDownloadDialog(QWidget *owner, QWidget *parent = nullptr);
    ~BulkDownloadDialog() override;

    // The run's operations.
    void startDate(const QString &source, const QString &destination, qint64 expectedTotal);
    void reportTransfer(qint64 bytes, qint64 elapsedMs);
    void finishDate();
    bool cancelled() const { return m_cancel; }
    void clearCancel() { m_cancel = false; }
    void setProgress(int percent);
    // The status line under the figures: retries and their waits.
    void setStatusText(const QString &text);
    // A redirect was followed: the progress line names the final URL.
    void showRedirect(const QString &url);
    void setPlannedWaitMs(qint64 ms) { m_progress.setPlannedWaitMs(ms); }

    QWidget *animationArea = nullptr;
    QLabel *sourceImage = nullptr;
    QLabel *destinationImage = nullptr;
    QLabel *frames[16] = {};  // Image15..Image30
    QLabel *sourceLabel = nullptr;
    QLabel *destinationLabel = nullptr;
    QProgressBar *progressBar = nullptr;
    QGroupBox *currentGroup = nullptr;
    QGroupBox *allGroup = nullptr;
    QLabel *transferLabel = nullptr;
    QLabel *timeLabel = nullptr;
    QLabel *rateLabel = nullptr;
    QLabel *totalTransferLabel = nullptr;
    QLabel *totalTimeLabel = nullptr;
    QLabel *timeLeftLabel = nullptr;
    QPushButton *cancelButton = nullptr;
    QLabel *statusLabel = nullptr;  // not designed: retries and waits

    QLabel *frame(int n) const { return n >= 15 && n <= 30 ? frames[n - 15] : nullptr; }
    const vorq::BulkProgress &figures() const { return m_progress; }

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;  // Escape cancels the run instead of closing
    void closeEvent(QCloseEvent *event) override;

private:
    void onCancelClicked();
    void placeFigures(QGroupBox *group);

    QWidget *m_owner;
    vorq::BulkProgress m_progress;
    bool m_cancel = false;
    bool m_shownOnce = false;
};

}  // namespace vorq
