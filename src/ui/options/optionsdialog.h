#pragma once
// The options dialog: the live configuration. Every setting is the state of
// one of its controls; the rest of the program reads the controls.
#include <QDialog>
#include <QList>
#include <QPointer>

#include "core/settings/settingstable.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QVBoxLayout;
class QTabWidget;

namespace vorq {

class PlaylistMakerDialog;
class WeeklyImportControl;
class TDoubleIniFile;
class TMemIniFile;

// What the dialog asks of the main window.
class OptionsHost {
public:
    virtual ~OptionsHost() = default;
    // Asked before every reload: false keeps the charts as they are.
    virtual bool settleAssociations() = 0;
    virtual void disposeAllTabs() = 0;
    virtual void fullLoad() = 0;
    virtual void buildDateList() = 0;
    virtual void importMissingDates() = 0;
    virtual void startCdrWizard() = 0;
    virtual void restoreFromCdr() = 0;
    // clearButton "消去" and importAllButton "自動更新" of the main window.
    virtual void setAssociationEditingVisible(bool visible) = 0;
};

class OptionsDialog : public QDialog {
    Q_OBJECT
public:
    explicit OptionsDialog(QWidget *parent = nullptr, PlaylistMakerDialog *playlistForm = nullptr);
    ~OptionsDialog() override;

    void setHost(vorq::OptionsHost *host) { m_host = host; }
    // The playlist maker whose controls hold the "Playlist" keys.
    void setPlaylistForm(PlaylistMakerDialog *form) { m_playlist = form; }
    PlaylistMakerDialog *playlistForm() const { return m_playlist; }

    // Loads every setting into the controls (first show of the main window),
    // fills both date lists from the broadcast calendar and applies the
    // command-line switches (arguments without the program name).
    void loadSettings(const QStringList &arguments);
    // Saves every setting (main window close). Errors end the saving
    // silently; files are never left half-written.
    void saveSettings();
    // The main window's "Option" button: shows the dialog modally; OK reloads
    // the charts when the range or the data folder changed, Cancel restores
    // every control.
    void showOptions();

    // The write mode the save control gives: 0 checked and enabled, 1
    // checked and disabled, 2 unchecked.
    int writeModeFromControls() const;
    // The program folder shown when the data folder is the program's.
    static QString programFolderText();

    // A setting's control: a check box or radio button (Bool), line edit
    // (Text), spin box, slider or radio group (Int), date list (DateLabel).
    struct Binding {
        vorq::settings::Key key;
        QWidget *control;
    };
    // Every setting's control (the playlist maker's too when it is set), in
    // the order they load.
    QList<Binding> bindings() const;

    // Controls, named as the configuration keys refer to them.
    QTabWidget *pageTabs = nullptr;
    QRadioButton *importFromWebRadio = nullptr;
    QRadioButton *importFromHtmlRadio = nullptr;
    QRadioButton *importFromTextRadio = nullptr;
    QRadioButton *noImportRadio = nullptr;
    QCheckBox *lockAssociationsBox = nullptr;
    QCheckBox *saveSettingsBox = nullptr;
    QCheckBox *missingFileAlertBox = nullptr;
    QCheckBox *listRankBox = nullptr;
    QCheckBox *listTitleBox = nullptr;
    QCheckBox *listArtistBox = nullptr;
    QCheckBox *listFileBox = nullptr;
    QCheckBox *listMethodBox = nullptr;
    QCheckBox *autoRunAssociateBox = nullptr;
    QCheckBox *fileNamePatternBox = nullptr;
    QCheckBox *listDateBox = nullptr;
    QCheckBox *autoSaveBox = nullptr;
    QCheckBox *confirmDataBox = nullptr;
    QCheckBox *editDataBox = nullptr;
    QCheckBox *hideNoDataBox = nullptr;
    QCheckBox *alsoAssociateBox = nullptr;
    QCheckBox *autoRunImportBox = nullptr;
    QCheckBox *dateEndIsRecentBox = nullptr;
    QCheckBox *autoQuitBox = nullptr;
    QCheckBox *dataFolderIsAppPathBox = nullptr;
    QCheckBox *ignoreErrorBox = nullptr;
    QCheckBox *autoAddNotFoundBox = nullptr;
    QCheckBox *useProxyBox = nullptr;
    QLineEdit *fileNamePatternEdit = nullptr;
    QLineEdit *musicFolderEdit = nullptr;
    QLineEdit *homeUrlEdit = nullptr;
    QLineEdit *dataFolderEdit = nullptr;
    QLineEdit *dataUrlEdit = nullptr;
    QLineEdit *skipStringEdit = nullptr;
    QLineEdit *proxyAddressEdit = nullptr;
    QLineEdit *proxyPortEdit = nullptr;
    // The bulk download's manners and the private CA (optionsweb.cpp); no
    // designed ids, named after their keys.
    QSpinBox *pageDelaySpin = nullptr;
    QCheckBox *useExtraCaBox = nullptr;
    QLineEdit *extraCaFileEdit = nullptr;
    QPushButton *browseExtraCaButton = nullptr;
    // The start-up page's weekly import timer (acts at once, outside the
    // settings and Cancel).
    WeeklyImportControl *weeklyImport = nullptr;
    QComboBox *dateStartBox = nullptr;  // start date label
    QComboBox *dateEndBox = nullptr;    // end date label
    QPushButton *importAllButton = nullptr;
    QPushButton *browseDataFolderButton = nullptr;
    QPushButton *browseMusicFolderButton = nullptr;
    QPushButton *okButton = nullptr;
    QPushButton *applyButton = nullptr;
    QPushButton *cdrWizardButton = nullptr;
    QPushButton *cancelButton = nullptr;
    QPushButton *restoreButton = nullptr;
    QLabel *fileNameLabel = nullptr;
    QLabel *musicFolderLabel = nullptr;
    QLabel *editDataNoteLabel = nullptr;
    QLabel *listIntroLabel = nullptr;
    QLabel *associationIntroLabel = nullptr;
    QLabel *importIntroLabel = nullptr;
    QLabel *displayIntroLabel = nullptr;
    QLabel *rangeDashLabel = nullptr;
    QLabel *startupIntroLabel = nullptr;
    QLabel *otherIntroLabel = nullptr;
    QLabel *dataFolderLabel = nullptr;
    QLabel *homeUrlLabel = nullptr;
    QLabel *dataUrlLabel = nullptr;
    QLabel *restoreNoteLabel = nullptr;
    QLabel *skipStringLabel = nullptr;
    QLabel *webIntroLabel = nullptr;
    QLabel *cdrNoteLabel = nullptr;
    QLabel *proxyAddressLabel = nullptr;
    QLabel *proxyPortLabel = nullptr;

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

    void loadControl(const Binding &b, const vorq::TMemIniFile &ini, int writeMode);
    void saveControl(const Binding &b, vorq::TMemIniFile &ini) const;

    QList<QWidget *> controls() const;
    void buildPages();
    void buildWebExtras(QVBoxLayout *webPage);
    void connectRules();
    void updateImportModeControls();
    void updateAssociationLockControls();
    void updatePatternControls();
    void updateEditDataControls();
    void updateAutoQuitControl();
    void updateDateEndControl();
    void updateDataFolderControls();
    void updateProxyControls();
    void enableApply();
    void browse(QLineEdit *edit, const QString &caption);
    void runImportAll();
    void apply();
    // Whether OK now would load the charts again (range or folder changed).
    bool reloadDue() const;
    // False (after saying why) when the start date lies after the end date.
    bool rangeIsValid();
    void takeSnapshot();
    void restoreSnapshot();
    void setRadio(QRadioButton *button, bool checked);
    void fillDateLists();
    void selectStoredDate(QComboBox *box, const QByteArray &stored, bool start);
    void recordRange();

    vorq::OptionsHost *m_host = nullptr;
    PlaylistMakerDialog *m_playlist = nullptr;
    bool m_rulesBlocked = false;
    Snapshot m_snapshot;
    // Range and data folder when the dialog was opened or last applied.
    int m_startIndex = -1;
    int m_endIndex = -1;
    QString m_dataFolder;
};

}  // namespace vorq
