#pragma once
// The wanted list (charted songs without a file that exists) with its
// filters, and the per-year completeness drawn as bars.
#include <QDialog>
#include <QWidget>
#include <functional>

#include "core/library/libraryscan.h"
#include "core/library/wanted.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;
class QTimer;

namespace vorq {

class MainWindow;

// Per year: the share of charted songs owned (dark) over the songs charted
// (light), the percentage above each bar.
class CompletenessChart : public QWidget {
    Q_OBJECT
public:
    explicit CompletenessChart(QWidget *parent = nullptr);
    void setYears(const QList<YearCompleteness> &years);
    QSize sizeHint() const override { return {800, 220}; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QList<YearCompleteness> m_years;
};

// Follows the main window while open: association changes, the live
// view's reloads and imports refresh it (once, after they have settled).
class WantedWindow : public QDialog {
    Q_OBJECT
public:
    explicit WantedWindow(MainWindow *main);
    // Reads the loaded charts again (associations may have changed).
    void refresh();
    void saveList();
    // Refreshes once events have settled, or when next shown.
    void scheduleRefresh();
    // The last library scan is another: its notes are worked out again.
    void scanChanged();
    const QList<WantedSong> &shown() const { return m_shown; }
    // Where the last library scan is (the review window's), for the notes
    // on songs whose only candidate file was left out.
    void setScanSource(std::function<const ScanResult *()> source) { m_scanSource = std::move(source); }

    QComboBox *yearBox = nullptr;
    QCheckBox *top10Box = nullptr;
    QTableWidget *wantedTable = nullptr;
    CompletenessChart *chart = nullptr;
    QLabel *summaryLabel = nullptr;
    QPushButton *saveButton = nullptr;
    QPushButton *closeButton = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    void fill();
    MainWindow *m_main;
    QTimer *m_refreshTimer = nullptr;
    bool m_stale = false;
    std::function<const ScanResult *()> m_scanSource;
    QHash<SongKey, QString> m_scanNotes;  // every song whose only candidate the scan left out: why
    bool m_scanNotesValid = false;
    QHash<SongKey, QString> m_notes;  // those of them the wanted list shows
    QHash<SongKey, bool> m_owned;
    QList<YearCompleteness> m_years;
    QList<WantedSong> m_shown;
};

}  // namespace vorq
