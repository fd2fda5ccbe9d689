#pragma once
// The options dialog: the live configuration. Every setting is the state of
// one of its controls; the rest of the program reads the controls.
#include <QDialog>
#include <QList>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class TForm4;

namespace vorq {

// What the dialog asks of the main window.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    virtual void disposeAllTabs() = 0;
    virtual void fullLoad() = 0;
    virtual void buildDateList() = 0;
    virtual void importMissingDates() = 0;
    virtual void startCdrWizard() = 0;
    virtual void restoreFromCdr() = 0;
    // BitBtn4 "消去" and Button1 "自動更新" of the main window.
    virtual void setAssociationEditingVisible(bool visible) = 0;
};

}  // namespace vorq

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget *parent = nullptr, TForm4 *playlistForm = nullptr);
    ~TForm2() override;

    void setHost(vorq::OptionsHost *host) { m_host = host; }
    // The playlist maker whose controls hold the "Playlist" keys.
    void setPlaylistForm(TForm4 *form) { m_playlist = form; }

    // Loads every setting into the controls (first show of the main window),
    // fills both date lists from the broadcast calendar and applies the
    // command-line switches (arguments without the program name).
    void LoadSettings(const QStringList &arguments);
    // Saves every setting (main window close). Errors end the saving
    // silently; files are never left half-written.
    void SaveSettings();
    // The main window's "Option" button: shows the dialog modally; OK reloads
    // the charts when the range or the data folder changed, Cancel restores
    // every control.
    void ShowOptions();

    // The write mode the save control gives: 0 checked and enabled, 1
    // checked and disabled, 2 unchecked.
    int writeModeFromControls() const;
    // The program folder shown when "DataFolderIsAppPath" is set.
    static QString programFolderText();

    // Controls, named as the configuration keys refer to them.
    QTabWidget *PageControl1 = nullptr;
    QRadioButton *RadioButton1 = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QRadioButton *RadioButton3 = nullptr;
    QRadioButton *RadioButton4 = nullptr;
    QCheckBox *CheckBox1 = nullptr;
    QCheckBox *CheckBox2 = nullptr;
    QCheckBox *CheckBox3 = nullptr;
    QCheckBox *CheckBox4 = nullptr;
    QCheckBox *CheckBox5 = nullptr;
    QCheckBox *CheckBox6 = nullptr;
    QCheckBox *CheckBox7 = nullptr;
    QCheckBox *CheckBox8 = nullptr;
    QCheckBox *CheckBox9 = nullptr;
    QCheckBox *CheckBox10 = nullptr;
    QCheckBox *CheckBox11 = nullptr;
    QCheckBox *CheckBox12 = nullptr;
    QCheckBox *CheckBox13 = nullptr;
    QCheckBox *CheckBox14 = nullptr;
    QCheckBox *CheckBox15 = nullptr;
    QCheckBox *CheckBox16 = nullptr;
    QCheckBox *CheckBox17 = nullptr;
    QCheckBox *CheckBox18 = nullptr;
    QCheckBox *CheckBox19 = nullptr;
    QCheckBox *CheckBox20 = nullptr;
    QCheckBox *CheckBox21 = nullptr;
    QCheckBox *CheckBox22 = nullptr;
    QCheckBox *CheckBox23 = nullptr;
    QLineEdit *Edit1 = nullptr;
    QLineEdit *Edit2 = nullptr;
    QLineEdit *Edit3 = nullptr;
    QLineEdit *Edit4 = nullptr;
    QLineEdit *Edit5 = nullptr;
    QLineEdit *Edit6 = nullptr;
    QLineEdit *Edit7 = nullptr;
    QLineEdit *Edit8 = nullptr;
    QComboBox *ComboBox1 = nullptr;  // start date label
    QComboBox *ComboBox2 = nullptr;  // end date label
    QPushButton *Button1 = nullptr;
    QPushButton *Button2 = nullptr;
    QPushButton *Button3 = nullptr;
    QPushButton *Button4 = nullptr;
    QPushButton *Button5 = nullptr;
    QPushButton *Button6 = nullptr;
    QPushButton *Button7 = nullptr;
    QPushButton *Button8 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label4 = nullptr;
    QLabel *Label5 = nullptr;
    QLabel *Label6 = nullptr;
    QLabel *Label7 = nullptr;
    QLabel *Label8 = nullptr;
    QLabel *Label9 = nullptr;
    QLabel *Label10 = nullptr;
    QLabel *Label11 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label13 = nullptr;
    QLabel *Label14 = nullptr;
    QLabel *Label15 = nullptr;
    QLabel *Label16 = nullptr;
    QLabel *Label17 = nullptr;
    QLabel *Label18 = nullptr;
    QLabel *Label19 = nullptr;

private:
    struct ControlState {
        QPointer<QWidget> widget;
        bool enabled = true;
        bool hidden = false;
        bool checked = false;
        QString text;
        int index = -1;
    };
    struct Snapshot {
        QList<ControlState> controls;
        QList<bool> pageVisible;
        int currentPage = 0;
    };

    QList<QWidget *> controls() const;
    void buildPages();
    void connectRules();
    void radioRule();
    void checkBox1Rule();
    void checkBox10Rule();
    void checkBox12Rule();
    void autoRunRule();
    void checkBox18Rule();
    void checkBox20Rule();
    void checkBox23Rule();
    void contentChanged();
    void browse(QLineEdit *edit, const QString &caption);
    void runImportAll();
    void apply();
    void takeSnapshot();
    void restoreSnapshot();
    void setRadio(QRadioButton *button, bool checked);
    void fillDateLists();
    void selectStoredDate(QComboBox *box, const QByteArray &stored, bool start);
    void recordRange();

    vorq::OptionsHost *m_host = nullptr;
    TForm4 *m_playlist = nullptr;
    bool m_rulesBlocked = false;
    Snapshot m_snapshot;
    // Range and data folder when the dialog was opened or last applied.
    int m_startIndex = -1;
    int m_endIndex = -1;
    QString m_dataFolder;
};
