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
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString &caption, QWidget *parent = nullptr);
    void addItem(const QString &text);
    int count() const { return int(m_buttons.size()); }
    int itemIndex() const;
    // Out-of-range values are clamped to -1 .. count - 1.
    void setItemIndex(int index);
    QRadioButton *button(int i) const { return m_buttons.at(i); }

private:
    QList<QRadioButton *> m_buttons;
};

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget *parent = nullptr);

    QSlider *TrackBar1 = nullptr;        // priority setting 0..5
    TRadioGroup *RadioGroup2 = nullptr;  // sort direction
    QSpinBox *SpinEdit1 = nullptr;       // sort rate 0..100 %
    QCheckBox *CheckBox1 = nullptr;      // take associated songs
    QCheckBox *CheckBox2 = nullptr;      // take songs without association
};
