#pragma once
// The wanted list (charted songs without a file that exists) with its
// filters, and the per-year completeness drawn as bars.
#include <QDialog>
#include <QWidget>

#include "core/library/wanted.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

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

class WantedWindow : public QDialog {
    Q_OBJECT
public:
    explicit WantedWindow(MainWindow *main);
    // Reads the loaded charts again (associations may have changed).
    void refresh();
    void saveList();
    const QList<WantedSong> &shown() const { return m_shown; }

    QComboBox *yearBox = nullptr;
    QCheckBox *top10Box = nullptr;
    QTableWidget *wantedTable = nullptr;
    CompletenessChart *chart = nullptr;
    QLabel *summaryLabel = nullptr;
    QPushButton *saveButton = nullptr;
    QPushButton *closeButton = nullptr;

private:
    void fill();
    MainWindow *m_main;
    QHash<SongKey, bool> m_owned;
    QList<YearCompleteness> m_years;
    QList<WantedSong> m_shown;
};

}  // namespace vorq
