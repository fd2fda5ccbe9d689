// The options dialog's load and save: every setting between its controls
// and the settings files.
#include "ui/options/optionsdialog.h"
#include "ui/options/optionsdialog_p.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/settings/doubleini.h"
#include "core/settings/optionkeys.h"
#include "core/text/sjistext.h"
#include "ui/common/shellparts.h"
#include "ui/playlist/playlistmakerdialog.h"

using namespace vorq;
using namespace vorq::optionsdialog;

// ---- load ---------------------------------------------------------------------------

void OptionsDialog::fillDateLists() {
    QByteArray dataFolder;
    if (!sjis::tryFromUnicode(dataFolderEdit->text(), &dataFolder)) dataFolder.clear();
    if (!dataFolder.isEmpty() && !dataFolder.endsWith('/')) dataFolder += '/';
    QList<QByteArray> notFound;
    try {
        notFound = readNotFoundList(dataFolder, env::programFolder());
    } catch (const Error &) {
        // An unreadable notfound.txt hides no dates.
    }
    const QSet<QByteArray> nf(notFound.begin(), notFound.end());
    const QSignalBlocker b1(dateStartBox), b2(dateEndBox);
    dateStartBox->clear();
    dateEndBox->clear();
    for (const QDate &d : broadcastCalendar(env::today(), nf)) {
        const QString label = text(dateLabel(d));
        dateStartBox->addItem(label);
        dateEndBox->addItem(label);
    }
}

void OptionsDialog::selectStoredDate(QComboBox *box, const QByteArray &stored, bool start) {
    QList<QByteArray> labels;
    for (int i = 0; i < box->count(); ++i) labels.append(sjis::fromUnicode(box->itemText(i)));
    box->setCurrentIndex(
        options::storedDateIndex(labels, stored, start ? options::DateRole::Start : options::DateRole::End));
}

void OptionsDialog::loadSettings(const QStringList &arguments) {
    TDoubleIniFile ini;
    const int mode = ini.LoadWriteMode();
    auto readBool = [&ini](QCheckBox *box, const char *section, const char *key, bool def) {
        box->setChecked(ini.ReadBool(section, key, def));
    };
    auto readText = [&ini](QLineEdit *edit, const char *section, const char *key, const QByteArray &def) {
        edit->setText(text(ini.ReadString(section, key, def)));
    };

    if (mode == -1 || mode == 0) {
        saveSettingsBox->setChecked(true);
        saveSettingsBox->setEnabled(true);
        setRadio(importFromWebRadio, ini.ReadBool("ImportData", "Web", true));
        setRadio(importFromHtmlRadio, ini.ReadBool("ImportData", "HTML", false));
        setRadio(importFromTextRadio, ini.ReadBool("ImportData", "Text", false));
        setRadio(noImportRadio, ini.ReadBool("ImportData", "None", false));
        readBool(autoSaveBox, "ImportData", "AutoSave", true);
        readBool(confirmDataBox, "ImportData", "ConfirmData", false);
        readBool(editDataBox, "ImportData", "EditData", true);
        readBool(hideNoDataBox, "ImportData", "HideNoData", false);
        readBool(alsoAssociateBox, "ImportData", "AlsoAssociatedFile", false);
        readBool(autoRunImportBox, "AutoRun", "ImportData", false);
        readBool(autoRunAssociateBox, "AutoRun", "AssociateFile", false);
        readBool(autoQuitBox, "AutoRun", "AutoQuit", false);
        readText(dataFolderEdit, "ImportData", "DataFolder", GetUserSettingsFolder());
        readBool(dateEndIsRecentBox, "Display", "DateEndIsRecent", true);
        readText(homeUrlEdit, "Web", "URL_Home", options::defaultUrlHome());
        readText(dataUrlEdit, "Web", "URL_Data", options::defaultUrlData());
        readBool(useProxyBox, "Web", "UseProxy", false);
        readText(proxyAddressEdit, "Web", "ProxyAddr", QByteArray());
        readText(proxyPortEdit, "Web", "ProxyPort", QByteArray());
        readBool(ignoreErrorBox, "Web", "IgnoreError", true);
        readBool(autoAddNotFoundBox, "Web", "AutoAddNotFound", true);
        loadWebExtras(ini);
        restoreButton->setEnabled(false);
        restoreNoteLabel->setEnabled(false);
        pageTabs->setCurrentIndex(kImportPage);
    } else if (mode == 1 || mode == 2) {
        saveSettingsBox->setChecked(mode == 1);
        saveSettingsBox->setEnabled(mode != 1);
        noImportRadio->setChecked(true);
        hideNoDataBox->setChecked(true);
        for (int p : {kImportPage, kAssociationPage, kStartupPage, kWebPage})
            pageTabs->setTabVisible(p, false);
        cdrWizardButton->setEnabled(false);
        cdrNoteLabel->setEnabled(false);
        pageTabs->setCurrentIndex(kDisplayPage);
        readBool(dateEndIsRecentBox, "Display", "DateEndIsRecent", false);
        readText(dataFolderEdit, "ImportData", "DataFolder", env::programFolder());
    }

    readBool(dataFolderIsAppPathBox, "ImportData", "DataFolderIsAppPath", false);
    if (dataFolderIsAppPathBox->isChecked()) dataFolderEdit->setText(programFolderText());
    readBool(lockAssociationsBox, "AssociateFile", "DragDisabled", true);
    readBool(missingFileAlertBox, "AssociateFile", "DisplayAlerts", false);
    readBool(fileNamePatternBox, "AssociateFile", "AutoAddFile", false);
    readText(skipStringEdit, "AssociateFile", "skipstring", options::defaultSkipString());
    readText(fileNamePatternEdit, "AssociateFile", "FileName", options::defaultFileNamePattern());
    readText(musicFolderEdit, "AssociateFile", "Folder", options::musicFolder());
    readBool(listDateBox, "OutputList", "Date", true);
    readBool(listRankBox, "OutputList", "Number", true);
    readBool(listTitleBox, "OutputList", "Title", true);
    readBool(listArtistBox, "OutputList", "Artist", true);
    readBool(listFileBox, "OutputList", "AssociateFile", true);
    readBool(listMethodBox, "OutputList", "OpenMethod", false);

    fillDateLists();
    selectStoredDate(dateStartBox, ini.ReadString("Display", "DateStart", QByteArray()), true);
    if (dateEndIsRecentBox->isChecked()) {
        dateEndBox->setEnabled(false);
        dateEndBox->setCurrentIndex(dateEndBox->count() - 1);
    } else {
        selectStoredDate(dateEndBox, ini.ReadString("Display", "DateEnd", QByteArray()), false);
    }

    const QString first = arguments.isEmpty() ? QString() : arguments.first().toLower();
    if (first == QLatin1String("/autoupdate")) {
        autoRunImportBox->setChecked(true);
    } else if (first == QLatin1String("/clear")) {
        autoRunImportBox->setChecked(false);
        autoRunAssociateBox->setChecked(false);
        autoQuitBox->setChecked(false);
    }

    if (m_playlist) {
        m_playlist->priorityBar->setValue(ini.ReadInteger("Playlist", "Order", 1));
        m_playlist->sortDirectionGroup->setItemIndex(ini.ReadInteger("Playlist", "Sorted", 1));
        m_playlist->sortRateSpin->setValue(ini.ReadInteger("Playlist", "RandomizeRate", 100));
        m_playlist->takeAssociatedBox->setChecked(ini.ReadBool("Playlist", "AssociateFile", true));
        m_playlist->takeUnassociatedBox->setChecked(ini.ReadBool("Playlist", "NotAssociateFile", false));
    }
    recordRange();
}

// ---- save ---------------------------------------------------------------------------

int OptionsDialog::writeModeFromControls() const {
    if (!saveSettingsBox->isChecked()) return 2;
    return enabledSelf(saveSettingsBox) ? 0 : 1;
}

void OptionsDialog::saveSettings() {
    try {
        TDoubleIniFile ini;
        const int mode = writeModeFromControls();
        ini.SetWriteMode(mode);
        auto wb = [&ini](const char *section, const char *key, bool v) { ini.WriteBool(section, key, v); };
        auto wt = [&ini](const char *section, const char *key, const QString &v) {
            QByteArray bytes;
            // A text Shift-JIS cannot hold keeps its stored value rather than
            // ending the save or being stored damaged.
            if (sjis::tryFromUnicode(v, &bytes)) ini.WriteString(section, key, bytes);
        };
        if (mode == 0 || mode == 1) {
            wb("OutputList", "Date", listDateBox->isChecked());
            wb("OutputList", "Number", listRankBox->isChecked());
            wb("OutputList", "Title", listTitleBox->isChecked());
            wb("OutputList", "Artist", listArtistBox->isChecked());
            wb("OutputList", "AssociateFile", listFileBox->isChecked());
            wb("OutputList", "OpenMethod", listMethodBox->isChecked());
            if (m_playlist) {
                ini.WriteInteger("Playlist", "Order", m_playlist->priorityBar->value());
                ini.WriteInteger("Playlist", "Sorted", m_playlist->sortDirectionGroup->itemIndex());
                ini.WriteInteger("Playlist", "RandomizeRate", m_playlist->sortRateSpin->value());
                wb("Playlist", "AssociateFile", m_playlist->takeAssociatedBox->isChecked());
                wb("Playlist", "NotAssociateFile", m_playlist->takeUnassociatedBox->isChecked());
            }
            wt("Display", "DateStart", dateStartBox->currentText());
            wb("Display", "DateEndIsRecent", dateEndIsRecentBox->isChecked());
            wt("Display", "DateEnd", dateEndBox->currentText());
        }
        if (mode == 0) {
            wt("AssociateFile", "FileName", fileNamePatternEdit->text());
            wt("AssociateFile", "Folder", musicFolderEdit->text());
            wb("AssociateFile", "DragDisabled", lockAssociationsBox->isChecked());
            wb("AssociateFile", "DisplayAlerts", missingFileAlertBox->isChecked());
            wb("AssociateFile", "AutoAddFile", fileNamePatternBox->isChecked());
            wt("AssociateFile", "skipstring", skipStringEdit->text());
            wb("ImportData", "Web", importFromWebRadio->isChecked());
            wb("ImportData", "HTML", importFromHtmlRadio->isChecked());
            wb("ImportData", "Text", importFromTextRadio->isChecked());
            wb("ImportData", "None", noImportRadio->isChecked());
            wb("ImportData", "AutoSave", autoSaveBox->isChecked());
            wb("ImportData", "ConfirmData", confirmDataBox->isChecked());
            wb("ImportData", "EditData", editDataBox->isChecked());
            wb("ImportData", "HideNoData", hideNoDataBox->isChecked());
            wb("ImportData", "AlsoAssociatedFile", alsoAssociateBox->isChecked());
            wt("ImportData", "DataFolder", dataFolderEdit->text());
            wb("ImportData", "DataFolderIsAppPath", dataFolderIsAppPathBox->isChecked());
            wb("AutoRun", "ImportData", autoRunImportBox->isChecked());
            wb("AutoRun", "AssociateFile", autoRunAssociateBox->isChecked());
            wb("AutoRun", "AutoQuit", autoQuitBox->isChecked());
            wt("Web", "URL_Home", homeUrlEdit->text());
            wt("Web", "URL_Data", dataUrlEdit->text());
            wb("Web", "IgnoreError", ignoreErrorBox->isChecked());
            wb("Web", "AutoAddNotFound", autoAddNotFoundBox->isChecked());
            wb("Web", "UseProxy", useProxyBox->isChecked());
            wt("Web", "ProxyAddr", proxyAddressEdit->text());
            wt("Web", "ProxyPort", proxyPortEdit->text());
            saveWebExtras(ini);
        }
    } catch (const std::exception &) {
        // Saving is best effort at exit; keys written so far stay written and
        // no file is left half-written.
    }
}
