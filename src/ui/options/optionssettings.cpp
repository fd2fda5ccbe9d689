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
#include "core/settings/settingstable.h"
#include "core/text/sjistext.h"
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

QList<OptionsDialog::Binding> OptionsDialog::bindings() const {
    using K = settings::Key;
    // In loading order: setting a control runs its enabling rules, which may
    // reset controls loaded after it (the import choice comes first).
    QList<Binding> out = {
        {K::ImportWeb, importFromWebRadio},
        {K::ImportHtml, importFromHtmlRadio},
        {K::ImportText, importFromTextRadio},
        {K::ImportNone, noImportRadio},
        {K::AutoSave, autoSaveBox},
        {K::ConfirmData, confirmDataBox},
        {K::EditData, editDataBox},
        {K::HideNoData, hideNoDataBox},
        {K::AlsoAssociatedFile, alsoAssociateBox},
        {K::AutoRunImport, autoRunImportBox},
        {K::AutoRunAssociate, autoRunAssociateBox},
        {K::AutoQuit, autoQuitBox},
        {K::DataFolder, dataFolderEdit},
        {K::DateEndIsRecent, dateEndIsRecentBox},
        {K::UrlHome, homeUrlEdit},
        {K::UrlData, dataUrlEdit},
        {K::UseProxy, useProxyBox},
        {K::ProxyAddr, proxyAddressEdit},
        {K::ProxyPort, proxyPortEdit},
        {K::IgnoreError, ignoreErrorBox},
        {K::AutoAddNotFound, autoAddNotFoundBox},
        {K::PageDelay, pageDelaySpin},
        {K::UseExtraCA, useExtraCaBox},
        {K::ExtraCAFile, extraCaFileEdit},
        // After the folder it overrides.
        {K::DataFolderIsAppPath, dataFolderIsAppPathBox},
        {K::DragDisabled, lockAssociationsBox},
        {K::DisplayAlerts, missingFileAlertBox},
        {K::AutoAddFile, fileNamePatternBox},
        {K::SkipString, skipStringEdit},
        {K::FileNamePattern, fileNamePatternEdit},
        {K::MusicFolder, musicFolderEdit},
        {K::ListDate, listDateBox},
        {K::ListNumber, listRankBox},
        {K::ListTitle, listTitleBox},
        {K::ListArtist, listArtistBox},
        {K::ListFile, listFileBox},
        {K::ListMethod, listMethodBox},
        // Loaded once the date lists are filled from the data folder.
        {K::DateStart, dateStartBox},
        {K::DateEnd, dateEndBox},
    };
    if (m_playlist) {
        out += {{K::PlaylistOrder, m_playlist->priorityBar},
                {K::PlaylistSorted, m_playlist->sortDirectionGroup},
                {K::PlaylistRate, m_playlist->sortRateSpin},
                {K::PlaylistAssociated, m_playlist->takeAssociatedBox},
                {K::PlaylistNotAssociated, m_playlist->takeUnassociatedBox}};
    }
    return out;
}

void OptionsDialog::loadControl(const Binding &b, const TMemIniFile &ini, int mode) {
    if (auto *r = qobject_cast<QRadioButton *>(b.control)) {
        setRadio(r, settings::readBool(ini, b.key, mode));
    } else if (auto *c = qobject_cast<QCheckBox *>(b.control)) {
        c->setChecked(settings::readBool(ini, b.key, mode));
    } else if (auto *e = qobject_cast<QLineEdit *>(b.control)) {
        e->setText(text(settings::readText(ini, b.key, mode)));
    } else if (auto *n = qobject_cast<QSpinBox *>(b.control)) {
        n->setValue(settings::readInt(ini, b.key, mode));  // clamped to the control's range
    } else if (auto *l = qobject_cast<QSlider *>(b.control)) {
        l->setValue(settings::readInt(ini, b.key, mode));
    } else if (auto *g = qobject_cast<IndexedRadioGroup *>(b.control)) {
        g->setItemIndex(settings::readInt(ini, b.key, mode));
    }
    // Date lists select their stored label once filled (loadSettings).
}

void OptionsDialog::saveControl(const Binding &b, TMemIniFile &ini) const {
    auto writeText = [&](const QString &v) {
        QByteArray bytes;
        // A text Shift-JIS cannot hold keeps its stored value rather than
        // ending the save or being stored damaged.
        if (sjis::tryFromUnicode(v, &bytes)) settings::writeText(ini, b.key, bytes);
    };
    if (auto *a = qobject_cast<QAbstractButton *>(b.control)) {
        settings::writeBool(ini, b.key, a->isChecked());
    } else if (auto *e = qobject_cast<QLineEdit *>(b.control)) {
        writeText(e->text());
    } else if (auto *c = qobject_cast<QComboBox *>(b.control)) {
        writeText(c->currentText());
    } else if (auto *n = qobject_cast<QSpinBox *>(b.control)) {
        settings::writeInt(ini, b.key, n->value());
    } else if (auto *l = qobject_cast<QSlider *>(b.control)) {
        settings::writeInt(ini, b.key, l->value());
    } else if (auto *g = qobject_cast<IndexedRadioGroup *>(b.control)) {
        settings::writeInt(ini, b.key, g->itemIndex());
    }
}

void OptionsDialog::loadSettings(const QStringList &arguments) {
    TDoubleIniFile ini;
    const int mode = ini.LoadWriteMode();
    const QList<Binding> all = bindings();

    if (mode == -1 || mode == 0) {
        saveSettingsBox->setChecked(true);
        saveSettingsBox->setEnabled(true);
        restoreButton->setEnabled(false);
        restoreNoteLabel->setEnabled(false);
        pageTabs->setCurrentIndex(kImportPage);
    } else if (mode == 1 || mode == 2) {
        saveSettingsBox->setChecked(mode == 1);
        saveSettingsBox->setEnabled(mode != 1);
        // Keys these modes do not read show their restricted values: no
        // import, and what the import rules then clear.
        for (const Binding &b : all)
            if (!settings::isRead(settings::setting(b.key), mode)) loadControl(b, ini, mode);
        for (int p : {kImportPage, kAssociationPage, kStartupPage, kWebPage})
            pageTabs->setTabVisible(p, false);
        cdrWizardButton->setEnabled(false);
        cdrNoteLabel->setEnabled(false);
        pageTabs->setCurrentIndex(kDisplayPage);
    }

    for (const Binding &b : all)
        if (settings::isRead(settings::setting(b.key), mode)) loadControl(b, ini, mode);
    if (dataFolderIsAppPathBox->isChecked()) dataFolderEdit->setText(programFolderText());

    fillDateLists();
    selectStoredDate(dateStartBox, settings::readText(ini, settings::Key::DateStart, mode), true);
    if (dateEndIsRecentBox->isChecked()) {
        dateEndBox->setEnabled(false);
        dateEndBox->setCurrentIndex(dateEndBox->count() - 1);
    } else {
        selectStoredDate(dateEndBox, settings::readText(ini, settings::Key::DateEnd, mode), false);
    }

    const QString first = arguments.isEmpty() ? QString() : arguments.first().toLower();
    if (first == QLatin1String("/autoupdate")) {
        autoRunImportBox->setChecked(true);
    } else if (first == QLatin1String("/clear")) {
        autoRunImportBox->setChecked(false);
        autoRunAssociateBox->setChecked(false);
        autoQuitBox->setChecked(false);
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
        const QList<Binding> all = bindings();
        // In the table's order, which is the file's.
        for (const settings::Setting &s : settings::table()) {
            if (!settings::isWritten(s, mode)) continue;
            const auto b =
                std::find_if(all.begin(), all.end(), [&](const Binding &x) { return x.key == s.id; });
            if (b != all.end()) saveControl(*b, ini);
        }
    } catch (const std::exception &) {
        // Saving is best effort at exit; keys written so far stay written and
        // no file is left half-written.
    }
}
