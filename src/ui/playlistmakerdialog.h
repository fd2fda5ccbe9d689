#pragma once
// The playlist maker. For now only the controls that hold its stored
// settings ("Playlist" keys, loaded and saved by the options dialog).
#include <QDialog>
#include <QGroupBox>
#include <QList>

class QCheckBox;
class QRadioButton;
class QSlider;
class QSpinBox;

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

    QSlider *priorityBar = nullptr;                   // priority setting 0..5
    IndexedRadioGroup *sortDirectionGroup = nullptr;  // sort direction
    QSpinBox *sortRateSpin = nullptr;                 // sort rate 0..100 %
    QCheckBox *takeAssociatedBox = nullptr;           // take associated songs
    QCheckBox *takeUnassociatedBox = nullptr;         // take songs without association
};
