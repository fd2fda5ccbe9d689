#pragma once
// "ライブラリと照合": scans a music folder and lists each song's proposed
// file beside its tags, best first, and the music files it left out with
// their reasons. Nothing is associated until the user applies the ticked
// rows; the rows at or above the default threshold come ticked, the same
// that `vorq scan --apply` stores. With "関連づけの変更を禁止する。" on, the
// window shows but does not apply.
#include <QDialog>

#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class QTableWidget;
class QTimer;

namespace vorq {

class MainWindow;

class LibraryReviewWindow : public QDialog {
    Q_OBJECT
public:
    explicit LibraryReviewWindow(MainWindow *main);
    void setFolder(const QString &folder);
    void scan();
    void apply();
    // Rows shown: the proposals at or above the slider's score.
    int visibleRows() const;
    // The last scan, for the wanted list's notes; null before the first.
    const ScanResult *lastScan() const { return m_scanned ? &m_scan : nullptr; }
    // Whether the options forbid changing associations.
    bool associationsLocked() const;

    QLineEdit *folderEdit = nullptr;
    QPushButton *browseButton = nullptr;
    QPushButton *scanButton = nullptr;
    QTabWidget *tabs = nullptr;
    QTableWidget *proposalTable = nullptr;
    QTableWidget *leftOutTable = nullptr;
    QPushButton *selectAllButton = nullptr;
    QSlider *thresholdSlider = nullptr;
    QLabel *thresholdLabel = nullptr;
    QLabel *summaryLabel = nullptr;
    QLabel *lockLabel = nullptr;  // why 適用 is off
    QPushButton *applyButton = nullptr;
    QPushButton *closeButton = nullptr;

signals:
    void scanned();

protected:
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void match();  // proposals for the songs still without a file
    void fill();
    void fillLeftOut();
    void updateVisibleRows();
    void updateApplyState();
    MainWindow *m_main;
    QTimer *m_fitColumns = nullptr;
    ScanResult m_scan;
    bool m_scanned = false;
    QList<MatchProposal> m_proposals;
};

}  // namespace vorq
