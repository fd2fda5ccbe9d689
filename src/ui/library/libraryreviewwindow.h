#pragma once
// "ライブラリと照合": scans a music folder and lists each song's proposed
// file beside its tags, best first. Nothing is associated until the user
// ticks rows and applies them; sure matches come ticked.
#include <QDialog>

#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTableWidget;

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

    QLineEdit *folderEdit = nullptr;
    QPushButton *browseButton = nullptr;
    QPushButton *scanButton = nullptr;
    QTableWidget *proposalTable = nullptr;
    QPushButton *selectAllButton = nullptr;
    QSlider *thresholdSlider = nullptr;
    QLabel *thresholdLabel = nullptr;
    QLabel *summaryLabel = nullptr;
    QPushButton *applyButton = nullptr;
    QPushButton *closeButton = nullptr;

private:
    void match();  // proposals for the songs still without a file
    void fill();
    void updateVisibleRows();
    MainWindow *m_main;
    ScanResult m_scan;
    QList<MatchProposal> m_proposals;
};

}  // namespace vorq
