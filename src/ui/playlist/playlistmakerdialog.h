#pragma once
// The playlist maker ("Form4"): ranks the songs of the loaded charts by one
// of six priority settings and shows the list in the result window's
// playlist layout. Its controls hold the "Playlist" settings (loaded and
// saved by the options dialog) and keep them between openings.
#include <QDialog>
#include <QGroupBox>
#include <QList>

#include "core/lists/resultlist.h"
#include "core/playlist/playlistmaker.h"

class QCheckBox;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace vorq {

class ResultListWindow;

// A group of exclusive radio buttons addressed by item index (-1: none).
class IndexedRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit IndexedRadioGroup(const QString &caption, QWidget *parent = nullptr);
    void addItem(const QString &text);
    int count() const { return int(m_buttons.size()); }
    int itemIndex() const;
    // Out-of-range values are clamped to -1 .. count - 1.
    void setItemIndex(int index);
    QRadioButton *button(int i) const { return m_buttons.at(i); }

private:
    QList<QRadioButton *> m_buttons;
};

class PlaylistMakerDialog : public QDialog {
    Q_OBJECT
public:
    explicit PlaylistMakerDialog(QWidget *parent = nullptr);

    // What a generation reads and where it shows the list (not owned; the
    // main window sets them before it opens the dialog).
    void setChartStore(const vorq::ChartStore *store) { m_store = store; }
    void setResultWindow(ResultListWindow *window) { m_resultWindow = window; }

    // The settings as the controls hold them.
    vorq::PlaylistSettings settings() const;
    // Scores, disturbs and sorts into the result window's rows (playlist
    // layout, song count = number of rows) without showing it.
    void generate();
    // "生成": generate, show the result window, then clear it and return it
    // to its same-song layout.
    void onGenerateClicked();
    // "再生": generate, then hand the list to the player instead of showing it.
    void onPlayClicked();
    void onCloseClicked() { reject(); }

    QSlider *priorityBar = nullptr;                   // TrackBar1: priority setting 0..5
    IndexedRadioGroup *sortDirectionGroup = nullptr;  // RadioGroup2: sort direction
    QSpinBox *sortRateSpin = nullptr;                 // SpinEdit1: sort rate 0..100 %
    QCheckBox *takeAssociatedBox = nullptr;           // CheckBox1: take associated songs
    QCheckBox *takeUnassociatedBox = nullptr;         // CheckBox2: take songs without association
    QPushButton *generateButton = nullptr;            // Button1 "生成"
    QPushButton *closeButton = nullptr;               // Button2 "閉じる"
    QPushButton *playButton = nullptr;                // PlayButton "再生"

signals:
    // The generated list, in its order, with its song count, is to play.
    void playRequested(const vorq::ResultList &rows, qint64 count);

private:
    const vorq::ChartStore *m_store = nullptr;
    ResultListWindow *m_resultWindow = nullptr;
    // One sequence for the program run: it starts at 0 with the dialog,
    // which lives as long as the program, and continues across generations.
    vorq::PlaylistRandom m_random;
};

}  // namespace vorq
