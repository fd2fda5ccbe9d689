// The options dialog: loading and saving in every write mode, the enabling
// rules, the command-line switches, Show options with OK, Cancel and Apply.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSlider>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include "cli/viewersettings.h"
#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/settings/doubleini.h"
#include "core/settings/settingstable.h"
#include "core/text/sjistext.h"
#include "fakeshell.h"
#include "settingsenv.h"
#include "sjtest.h"
#include "ui/options/optionsdialog.h"
#include "ui/playlist/playlistmakerdialog.h"

using namespace vorq;
using vorq::test::writeBytes;

namespace {

class FakeHost : public OptionsHost {
public:
    QStringList calls;
    bool associationEditingVisible = true;  // the main window's designed state
    QWidget *dialog = nullptr;
    bool dialogEnabledDuringImport = true;
    bool settleAnswer = true;
    bool settleAssociations() override {
        calls << QStringLiteral("settle");
        return settleAnswer;
    }
    void disposeAllTabs() override { calls << QStringLiteral("dispose"); }
    void fullLoad() override { calls << QStringLiteral("load"); }
    void buildDateList() override { calls << QStringLiteral("dates"); }
    void importMissingDates() override {
        calls << QStringLiteral("import");
        dialogEnabledDuringImport = dialog && dialog->isEnabled();
    }
    void startCdrWizard() override { calls << QStringLiteral("cdr"); }
    void restoreFromCdr() override { calls << QStringLiteral("restore"); }
    void setAssociationEditingVisible(bool visible) override { associationEditingVisible = visible; }
};

// Every control's value, enabled and explicit hidden state, and the pages.
QMap<QString, QString> stateOf(OptionsDialog &f) {
    QMap<QString, QString> out;
    for (QWidget *w : f.findChildren<QWidget *>()) {
        static const QRegularExpression control(
            QStringLiteral("^(CheckBox|RadioButton|Edit|ComboBox|Button|Label)\\d+$"));
        if (!control.match(w->objectName()).hasMatch()) continue;
        QString s =
            QStringLiteral("en=%1 hid=%2").arg(!w->testAttribute(Qt::WA_ForceDisabled)).arg(w->isHidden());
        if (auto *b = qobject_cast<QAbstractButton *>(w)) s += QStringLiteral(" chk=%1").arg(b->isChecked());
        if (auto *e = qobject_cast<QLineEdit *>(w)) s += QStringLiteral(" text=") + e->text();
        if (auto *c = qobject_cast<QComboBox *>(w)) s += QStringLiteral(" idx=%1").arg(c->currentIndex());
        out.insert(w->objectName(), s);
    }
    for (int i = 0; i < f.pageTabs->count(); ++i)
        out.insert(QStringLiteral("page%1").arg(i), QString::number(f.pageTabs->isTabVisible(i)));
    return out;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray root;
    test::ScopedFakes fakes;
    FakeHost host;
    std::unique_ptr<PlaylistMakerDialog> playlist;
    std::unique_ptr<OptionsDialog> form;

    void SetUp() override {
        root = sjis::fromUnicode(dir.path()) + '/';
        settingsEnv = std::make_unique<test::ScopedSettingsEnv>(root, "vorqview");
        env::setToday(QDate(2001, 5, 1));  // last broadcast date 2001-04-28
        recreate();
    }
    void TearDown() override {
        form.reset();
        playlist.reset();
        settingsEnv.reset();
        env::setToday(QDate());
    }
    std::unique_ptr<test::ScopedSettingsEnv> settingsEnv;
    // A fresh program start.
    void recreate() {
        form.reset();
        playlist = std::make_unique<PlaylistMakerDialog>();
        form = std::make_unique<OptionsDialog>(nullptr, playlist.get());
        form->setHost(&host);
        host.dialog = form.get();
    }
    QByteArray userFolder() const { return root + "local/Brelon/vorqview/"; }
    QByteArray beside() const { return root + "prog/vorqview.ini"; }
    QByteArray locator() const { return userFolder() + "vorqview.ini"; }
    static bool enabled(QWidget *w) { return !w->testAttribute(Qt::WA_ForceDisabled); }
    QString label(int y, int m, int d) const { return sjis::toUnicode(dateLabel(QDate(y, m, d))); }
    // Runs the options dialog, doing what the user does inside it.
    void showOptions(const std::function<void()> &inside) {
        QTimer::singleShot(0, form.get(), inside);
        form->showOptions();
    }
};

}  // namespace

TEST_F(OptionsDialogTest, FirstStartThenExitWritesTheLocatorAndEveryKey) {
    form->loadSettings({});
    EXPECT_TRUE(form->importFromWebRadio->isChecked());
    EXPECT_TRUE(form->saveSettingsBox->isChecked() && enabled(form->saveSettingsBox));
    EXPECT_EQ(form->dataFolderEdit->text(), sjis::toUnicode(userFolder()));
    EXPECT_EQ(form->dateStartBox->currentText(), u8("1995年04月08日"));
    EXPECT_EQ(form->dateEndBox->currentText(), u8("2001年04月28日"));
    EXPECT_FALSE(enabled(form->dateEndBox));  // DateEndIsRecent defaults on
    EXPECT_FALSE(enabled(form->restoreButton));
    EXPECT_EQ(form->pageTabs->currentIndex(), 0);

    form->saveSettings();
    TMemIniFile locatorFile(locator());
    EXPECT_EQ(locatorFile.ReadString(root + "prog/", "WriteMode", ""), "0");
    EXPECT_EQ(locatorFile.ReadString(root + "prog/", "IniPathWriteable", ""), beside());
    TMemIniFile settings(beside());
    const QList<QPair<QByteArray, int>> expected = {{"OutputList", 6},    {"Playlist", 5},    {"Display", 3},
                                                    {"AssociateFile", 6}, {"ImportData", 11}, {"AutoRun", 3},
                                                    {"Web", 10}};
    QList<QByteArray> sections;
    settings.ReadSections(sections);
    ASSERT_EQ(sections.size(), expected.size());
    for (int i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(sections[i], expected[i].first);
        QList<QByteArray> keys;
        settings.ReadSection(expected[i].first, keys);
        EXPECT_EQ(keys.size(), expected[i].second) << expected[i].first.constData();
    }
    EXPECT_EQ(settings.ReadString("ImportData", "DataFolder", ""), userFolder());
    EXPECT_EQ(settings.ReadString("Display", "DateStart", ""), sj("1995年04月08日"));
    EXPECT_EQ(settings.ReadString("Playlist", "RandomizeRate", ""), "100");
    EXPECT_EQ(settings.ReadString("Web", "PageDelay", ""), "1");
    EXPECT_EQ(settings.ReadString("Web", "UseExtraCA", ""), "0");
    EXPECT_EQ(settings.ReadString("Web", "URL_Data", ""),
              "\"http://www.vorq.example/vorq/cddb/countdown\"yyyymmdd\"-j.html\"");
    EXPECT_EQ(settings.ReadString("AssociateFile", "skipstring", ""), "<!-- / NO1 -->");
}

TEST_F(OptionsDialogTest, LoadsAPreparedFileInNormalMode) {
    writeBytes(beside(),
               "[ImportData]\r\nWeb=0\r\nHTML=1\r\nText=1\r\nNone=0\r\nAutoSave=0\r\nEditData=1\r\n"
               "DataFolder=/data/\r\n[AssociateFile]\r\nDragDisabled=0\r\nAutoAddFile=1\r\nFolder=/m/\r\n"
               "[Display]\r\nDateEndIsRecent=0\r\nDateStart=" +
                   sj("2000年01月01日") + "\r\nDateEnd=" + sj("2000年12月30日") +
                   "\r\n[Web]\r\nUseProxy=1\r\nProxyAddr=proxy\r\nProxyPort=8080\r\nIgnoreError=0\r\n"
                   "[Playlist]\r\nOrder=3\r\nSorted=0\r\nRandomizeRate=150\r\nNotAssociateFile=1\r\n");
    form->loadSettings({});
    EXPECT_TRUE(form->importFromTextRadio->isChecked());  // the last true one
    EXPECT_FALSE(form->pageTabs->isTabVisible(5));
    EXPECT_FALSE(form->autoSaveBox->isChecked());
    EXPECT_FALSE(enabled(form->editDataBox));     // AutoSave off disables it...
    EXPECT_TRUE(form->editDataBox->isChecked());  // ...and the later EditData read checks it again
    EXPECT_EQ(form->dataFolderEdit->text(), QStringLiteral("/data/"));
    EXPECT_EQ(form->musicFolderEdit->text(), QStringLiteral("/m/"));
    EXPECT_TRUE(host.associationEditingVisible);  // unchanged box: no rule ran
    EXPECT_TRUE(enabled(form->fileNamePatternEdit) && enabled(form->autoRunAssociateBox));
    EXPECT_TRUE(enabled(form->dateEndBox));
    EXPECT_EQ(form->dateStartBox->currentText(), u8("2000年01月01日"));
    EXPECT_EQ(form->dateEndBox->currentText(), u8("2000年12月30日"));
    EXPECT_TRUE(enabled(form->proxyAddressEdit));
    EXPECT_EQ(form->proxyPortEdit->text(), QStringLiteral("8080"));
    EXPECT_FALSE(form->ignoreErrorBox->isChecked());
    EXPECT_EQ(playlist->priorityBar->value(), 3);
    EXPECT_EQ(playlist->sortDirectionGroup->itemIndex(), 0);
    EXPECT_EQ(playlist->sortRateSpin->value(), 100);
    EXPECT_TRUE(playlist->takeUnassociatedBox->isChecked());

    writeBytes(beside(), "[ImportData]\r\nWeb=0\r\n");
    recreate();
    form->loadSettings({});
    for (QRadioButton *r : {form->importFromWebRadio, form->importFromHtmlRadio, form->importFromTextRadio,
                            form->noImportRadio})
        EXPECT_FALSE(r->isChecked()) << r->objectName().toStdString();
}

TEST_F(OptionsDialogTest, RestrictedCopyShowsThreePagesAndSavesOnlyItsKeys) {
    writeBytes(beside(),
               "[Restrictions]\r\nWriteMode=1\r\n[Web]\r\nURL_Home=ignored\r\n[OutputList]\r\nDate=0\r\n");
    form->loadSettings({});
    EXPECT_TRUE(form->saveSettingsBox->isChecked());
    EXPECT_FALSE(enabled(form->saveSettingsBox));
    EXPECT_TRUE(form->noImportRadio->isChecked());
    EXPECT_TRUE(form->hideNoDataBox->isChecked());
    for (int p = 0; p < 7; ++p) EXPECT_EQ(form->pageTabs->isTabVisible(p), p == 1 || p == 3 || p == 6) << p;
    EXPECT_EQ(form->pageTabs->currentIndex(), 1);
    EXPECT_FALSE(enabled(form->cdrWizardButton));
    EXPECT_FALSE(enabled(form->cdrNoteLabel));
    EXPECT_TRUE(enabled(form->restoreButton));
    EXPECT_EQ(form->dataFolderEdit->text(), sjis::toUnicode(root + "prog/"));
    EXPECT_FALSE(form->dateEndIsRecentBox->isChecked());
    EXPECT_EQ(form->homeUrlEdit->text(), QStringLiteral("http://www.vorq.example/vorq/"));
    EXPECT_FALSE(form->listDateBox->isChecked());

    form->saveSettings();
    TDoubleIniFile ini;
    ASSERT_TRUE(ini.writeablePath().startsWith(userFolder()));
    QList<QByteArray> sections;
    TMemIniFile(ini.writeablePath()).ReadSections(sections);
    EXPECT_EQ(sections, QList<QByteArray>({"OutputList", "Playlist", "Display"}));
}

TEST_F(OptionsDialogTest, UncheckingSaveStoresModeTwoAndTheNextStartIsRestricted) {
    form->loadSettings({});
    form->saveSettingsBox->click();
    form->saveSettings();
    EXPECT_FALSE(QFile::exists(sjis::path(beside())));
    EXPECT_EQ(TMemIniFile(locator()).ReadString(root + "prog/", "WriteMode", ""), "2");
    recreate();
    form->loadSettings({});
    EXPECT_FALSE(form->saveSettingsBox->isChecked());
    EXPECT_TRUE(enabled(form->saveSettingsBox));
    EXPECT_FALSE(form->pageTabs->isTabVisible(0));
    EXPECT_TRUE(form->noImportRadio->isChecked());

    // An unknown mode reads the common keys only and keeps the designed rest.
    writeBytes(beside(),
               "[Restrictions]\r\nWriteMode=7\r\n[Web]\r\nURL_Home=x\r\n[OutputList]\r\nOpenMethod=1\r\n");
    recreate();
    form->loadSettings({});
    EXPECT_TRUE(form->importFromWebRadio->isChecked());
    EXPECT_TRUE(form->pageTabs->isTabVisible(0));
    EXPECT_EQ(form->homeUrlEdit->text(), QStringLiteral("http://www.vorq.example/vorq/"));
    EXPECT_TRUE(form->listMethodBox->isChecked());
}

TEST_F(OptionsDialogTest, EnablingRulesFollowClicks) {
    form->loadSettings({});
    form->noImportRadio->click();
    EXPECT_TRUE(form->hideNoDataBox->isChecked() && enabled(form->hideNoDataBox));
    EXPECT_FALSE(form->autoSaveBox->isChecked() || enabled(form->autoSaveBox));
    EXPECT_FALSE(form->editDataBox->isChecked() || enabled(form->editDataBox));
    EXPECT_FALSE(enabled(form->confirmDataBox));
    EXPECT_FALSE(form->pageTabs->isTabVisible(5));
    EXPECT_FALSE(enabled(form->autoRunImportBox) || enabled(form->importAllButton));
    form->importFromWebRadio->click();
    EXPECT_FALSE(form->hideNoDataBox->isChecked() || enabled(form->hideNoDataBox));
    EXPECT_TRUE(form->autoSaveBox->isChecked() && form->editDataBox->isChecked() &&
                enabled(form->editDataNoteLabel));
    EXPECT_TRUE(form->pageTabs->isTabVisible(5) && enabled(form->autoRunImportBox));

    form->lockAssociationsBox->click();  // association changes allowed
    EXPECT_TRUE(host.associationEditingVisible);
    EXPECT_TRUE(enabled(form->fileNamePatternBox) && enabled(form->alsoAssociateBox));
    EXPECT_FALSE(enabled(form->fileNamePatternEdit) || enabled(form->autoRunAssociateBox));
    form->fileNamePatternBox->click();
    EXPECT_TRUE(enabled(form->fileNamePatternEdit) && enabled(form->browseMusicFolderButton));
    form->lockAssociationsBox->click();
    EXPECT_FALSE(host.associationEditingVisible);
    EXPECT_FALSE(enabled(form->musicFolderEdit));

    form->autoRunImportBox->click();
    EXPECT_TRUE(enabled(form->autoQuitBox));
    form->autoQuitBox->click();
    form->autoRunImportBox->click();
    EXPECT_FALSE(enabled(form->autoQuitBox) || form->autoQuitBox->isChecked());

    form->dateEndIsRecentBox->click();
    EXPECT_TRUE(enabled(form->dateEndBox));
    form->dataFolderIsAppPathBox->click();
    EXPECT_EQ(form->dataFolderEdit->text(), sjis::toUnicode(root + "prog/"));
    EXPECT_FALSE(enabled(form->dataFolderEdit) || enabled(form->browseDataFolderButton));
    form->useProxyBox->click();
    EXPECT_TRUE(enabled(form->proxyAddressEdit) && enabled(form->proxyPortEdit));
}

TEST_F(OptionsDialogTest, CancelAfterManyChangesRestoresEveryControl) {
    form->loadSettings({});
    QMap<QString, QString> before = stateOf(*form);
    before.remove(QStringLiteral("Button5"));  // disabled on opening, before the snapshot
    showOptions([this] {
        form->noImportRadio->click();
        form->lockAssociationsBox->click();
        form->fileNamePatternBox->click();
        form->dataFolderIsAppPathBox->click();
        form->useProxyBox->click();
        form->dateEndIsRecentBox->click();
        form->dateStartBox->setCurrentIndex(5);
        form->dateEndBox->setCurrentIndex(7);
        form->homeUrlEdit->setText(QStringLiteral("changed"));
        form->saveSettingsBox->click();
        form->pageTabs->setCurrentIndex(3);
        form->cancelButton->click();
    });
    QMap<QString, QString> after = stateOf(*form);
    after.remove(QStringLiteral("Button5"));
    ASSERT_EQ(after.keys(), before.keys());
    for (const QString &name : before.keys())
        EXPECT_EQ(after[name].toStdString(), before[name].toStdString()) << name.toStdString();
    EXPECT_FALSE(host.associationEditingVisible);
    EXPECT_TRUE(host.calls.isEmpty());
    EXPECT_TRUE(form->isEnabled());
}

TEST_F(OptionsDialogTest, OkReloadsOnlyWhenTheRangeOrFolderChanged) {
    form->loadSettings({});
    showOptions([this] { form->okButton->click(); });
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("dates")}));
    host.calls.clear();
    showOptions([this] {
        form->dateStartBox->setCurrentIndex(3);
        EXPECT_TRUE(enabled(form->applyButton));
        form->okButton->click();
    });
    const QStringList reload{QStringLiteral("settle"), QStringLiteral("dispose"), QStringLiteral("load"),
                             QStringLiteral("dates")};
    EXPECT_EQ(host.calls, reload);
    // The main window's cancel (of its save question) keeps the charts and
    // the dialog open, for OK and Apply alike.
    host.calls.clear();
    host.settleAnswer = false;
    showOptions([this] {
        form->dateStartBox->setCurrentIndex(4);
        form->okButton->click();
        EXPECT_TRUE(form->isVisible());
        form->applyButton->click();
        EXPECT_TRUE(form->isVisible());
        host.settleAnswer = true;
        form->okButton->click();
    });
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("settle"), QStringLiteral("settle")}) + reload);
}

TEST_F(OptionsDialogTest, UpToTheNewestSelectsItAndAStartAfterTheEndIsRefused) {
    writeBytes(beside(), "[Display]\r\nDateEndIsRecent=0\r\nDateEnd=" + sj("2000年12月30日") + "\r\n");
    form->loadSettings({});
    showOptions([this] {
        form->dateStartBox->setCurrentIndex(form->dateStartBox->count() - 2);
        form->okButton->click();  // the end, 2000-12-30, lies before the start
        EXPECT_TRUE(form->isVisible());
        form->applyButton->click();
        EXPECT_TRUE(host.calls.isEmpty());
        form->dateEndIsRecentBox->click();
        EXPECT_EQ(form->dateEndBox->currentText(), label(2001, 4, 28));
        form->okButton->click();
    });
    EXPECT_EQ(fakes.prompter.asked.size(), 2);
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("settle"), QStringLiteral("dispose"),
                                       QStringLiteral("load"), QStringLiteral("dates")}));
}

TEST_F(OptionsDialogTest, ApplyReloadsAndALaterCancelReturnsToTheAppliedState) {
    form->loadSettings({});
    showOptions([this] {
        EXPECT_FALSE(enabled(form->applyButton));
        form->dataFolderEdit->setText(QStringLiteral("/other/"));
        form->applyButton->click();
        EXPECT_FALSE(enabled(form->applyButton));
        form->listMethodBox->click();
        form->cancelButton->click();
    });
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("settle"), QStringLiteral("dispose"),
                                       QStringLiteral("load"), QStringLiteral("dates")}));
    EXPECT_EQ(form->dataFolderEdit->text(), QStringLiteral("/other/"));
    EXPECT_FALSE(form->listMethodBox->isChecked());
}

TEST_F(OptionsDialogTest, CommandLineSwitchesUseTheFirstArgumentOnly) {
    form->loadSettings({QStringLiteral("/AutoUpdate")});
    EXPECT_TRUE(form->autoRunImportBox->isChecked());
    recreate();
    form->loadSettings({QStringLiteral("x"), QStringLiteral("/autoupdate")});
    EXPECT_FALSE(form->autoRunImportBox->isChecked());

    writeBytes(beside(), "[AutoRun]\r\nImportData=1\r\nAssociateFile=1\r\nAutoQuit=1\r\n");
    recreate();
    form->loadSettings({QStringLiteral("/CLEAR")});
    EXPECT_FALSE(form->autoRunImportBox->isChecked() || form->autoRunAssociateBox->isChecked() ||
                 form->autoQuitBox->isChecked());
    form->saveSettings();
    TMemIniFile settings(beside());
    for (const char *key : {"ImportData", "AssociateFile", "AutoQuit"})
        EXPECT_EQ(settings.ReadString("AutoRun", key, ""), "0") << key;
}

TEST_F(OptionsDialogTest, DateListsLeaveOutNotFoundDatesAndStoredDatesFallToTheNearest) {
    writeBytes(root + "data/notfound.txt", sj("2001年04月14日\r\n"));
    writeBytes(root + "prog/notfound.txt", sj("2001年03月31日\r\n"));
    writeBytes(beside(),
               "[ImportData]\r\nDataFolder=" + root + "data/\r\n[Display]\r\nDateEndIsRecent=0\r\n" +
                   "DateStart=" + sj("2001年04月14日") + "\r\nDateEnd=" + sj("2001年04月14日") + "\r\n");
    form->loadSettings({});
    EXPECT_EQ(form->dateStartBox->findText(label(2001, 4, 14)), -1);
    EXPECT_EQ(form->dateEndBox->findText(label(2001, 3, 31)), -1);
    EXPECT_EQ(form->dateStartBox->currentText(), label(2001, 4, 21));
    EXPECT_EQ(form->dateEndBox->currentText(), label(2001, 4, 7));
}

TEST_F(OptionsDialogTest, ProgramFolderAsDataFolderOverridesTheStoredFolder) {
    writeBytes(beside(), "[ImportData]\r\nDataFolder=/elsewhere/\r\nDataFolderIsAppPath=1\r\n");
    form->loadSettings({});
    EXPECT_EQ(form->dataFolderEdit->text(), sjis::toUnicode(root + "prog/"));
    EXPECT_FALSE(enabled(form->dataFolderEdit));
    form->saveSettings();
    EXPECT_EQ(TMemIniFile(beside()).ReadString("ImportData", "DataFolder", ""), root + "prog/");
}

TEST_F(OptionsDialogTest, BrowseButtonsAndCommandButtons) {
    form->loadSettings({});
    fakes.prompter.files = {QStringLiteral("/chosen"), QString()};
    const QString start = form->dataFolderEdit->text();
    form->browseDataFolderButton->click();
    ASSERT_FALSE(fakes.prompter.asked.isEmpty());
    EXPECT_EQ(fakes.prompter.asked.first().kind, QStringLiteral("folder"));
    EXPECT_EQ(fakes.prompter.asked.first().text, start);
    EXPECT_EQ(form->dataFolderEdit->text(), QStringLiteral("/chosen/"));
    form->browseDataFolderButton->click();  // cancelled
    EXPECT_EQ(form->dataFolderEdit->text(), QStringLiteral("/chosen/"));

    form->importAllButton->click();
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("import")}));
    EXPECT_FALSE(host.dialogEnabledDuringImport);
    EXPECT_TRUE(form->isEnabled());
    form->cdrWizardButton->click();
    EXPECT_EQ(host.calls.last(), QStringLiteral("cdr"));
}

TEST_F(OptionsDialogTest, PlaylistControlsAreSaved) {
    form->loadSettings({});
    playlist->priorityBar->setValue(5);
    playlist->sortDirectionGroup->setItemIndex(0);
    playlist->sortRateSpin->setValue(42);
    playlist->takeAssociatedBox->setChecked(false);
    form->saveSettings();
    TMemIniFile settings(beside());
    EXPECT_EQ(settings.ReadString("Playlist", "Order", ""), "5");
    EXPECT_EQ(settings.ReadString("Playlist", "Sorted", ""), "0");
    EXPECT_EQ(settings.ReadString("Playlist", "RandomizeRate", ""), "42");
    EXPECT_EQ(settings.ReadString("Playlist", "AssociateFile", ""), "0");
}

TEST_F(OptionsDialogTest, SavingToAnUnwritableFolderFailsQuietly) {
    writeBytes(root + "blocked", "file");
    env::setLocalDataFolder(root + "blocked/");
    env::setProgramFolder(root + "blocked/bin/");
    form->loadSettings({});
    form->saveSettings();  // nothing can be written; no exception escapes
    EXPECT_TRUE(form->saveSettingsBox->isChecked());
}

TEST_F(OptionsDialogTest, EveryPageFitsTheDesignedSizeWithoutCuttingACaption) {
    form->loadSettings({});
    for (QCheckBox *b : {form->lockAssociationsBox, form->fileNamePatternBox, form->useProxyBox})
        b->setChecked(!b->isChecked());
    form->show();
    EXPECT_EQ(form->size(), QSize(512, 290));
    for (int page = 0; page < form->pageTabs->count(); ++page) {
        form->pageTabs->setCurrentIndex(page);
        QApplication::processEvents();
        for (QWidget *w : form->pageTabs->widget(page)->findChildren<QWidget *>()) {
            const auto *label = qobject_cast<QLabel *>(w);
            if (!w->isVisible() || (label && label->wordWrap())) continue;
            if (!label && !qobject_cast<QAbstractButton *>(w)) continue;
            EXPECT_GE(w->width(), w->sizeHint().width())
                << w->objectName().toStdString() << " on page " << page;
        }
    }
    form->hide();
}

namespace {
QByteArray valueOf(QWidget *w) {
    if (auto *b = qobject_cast<QAbstractButton *>(w)) return b->isChecked() ? "1" : "0";
    if (auto *e = qobject_cast<QLineEdit *>(w)) return sjis::fromUnicode(e->text());
    if (auto *c = qobject_cast<QComboBox *>(w)) return sjis::fromUnicode(c->currentText());
    if (auto *n = qobject_cast<QSpinBox *>(w)) return QByteArray::number(n->value());
    if (auto *s = qobject_cast<QSlider *>(w)) return QByteArray::number(s->value());
    if (auto *g = qobject_cast<IndexedRadioGroup *>(w)) return QByteArray::number(g->itemIndex());
    return "?";
}
}  // namespace

// Every key of the table: stored off its default, loaded by the dialog, kept
// through Cancel, saved where its write mode says, and read alike by vorq.
TEST_F(OptionsDialogTest, EveryTableKeyRoundTripsAndVorqReadsTheSame) {
    using settings::Key;
    for (const int mode : {0, 1}) {
        SCOPED_TRACE(mode);
        QDir(sjis::path(root + "local")).removeRecursively();
        const QByteArray header = mode == 1 ? "[Restrictions]\r\nWriteMode=1\r\n" : "";
        // One import choice, and the folder left to be chosen: their rules
        // would override the keys read after them.
        const QList<Key> keptDefault = {Key::ImportText, Key::ImportNone, Key::DataFolderIsAppPath};
        QMap<Key, QByteArray> stored, expected;
        QList<QByteArray> sections;
        QMap<QByteArray, QByteArray> body;
        for (const settings::Setting &s : settings::table()) {
            if (s.write == settings::Write::Never) continue;
            const QByteArray def = settings::defaultIn(s, 0);
            QByteArray v = def;
            if (keptDefault.contains(s.id)) {
            } else if (s.type == settings::Type::Bool)
                v = def == "1" ? "0" : "1";
            else if (s.type == settings::Type::Int)
                v = QByteArray::number(def.toInt() - 1);
            else if (s.type == settings::Type::Text)
                v = "/v/" + QByteArray(s.key) + '/';
            else
                v = dateLabel(QDate(1995, 4, 8).addDays(s.id == Key::DateStart ? 7 * 52 : 7 * 260));
            stored[s.id] = v;
            expected[s.id] = settings::isRead(s, mode) ? v : settings::defaultIn(s, mode);
            if (!body.contains(s.section)) sections.append(s.section);
            body[s.section] += QByteArray(s.key) + '=' + v + "\r\n";
        }
        QByteArray file = header;
        for (const QByteArray &sec : sections) file += '[' + sec + "]\r\n" + body[sec];
        writeBytes(beside(), file);
        recreate();
        form->loadSettings({});
        const QList<OptionsDialog::Binding> bound = form->bindings();
        auto check = [&](const char *when) {
            for (const OptionsDialog::Binding &b : bound)
                EXPECT_EQ(valueOf(b.control), expected[b.key]) << when << ' ' << settings::setting(b.key).key;
        };
        ASSERT_EQ(bound.size(), stored.size());
        check("load");

        showOptions([&] {
            for (const OptionsDialog::Binding &b : bound) {
                if (!form->isAncestorOf(b.control)) continue;
                if (auto *a = qobject_cast<QAbstractButton *>(b.control)) a->click();
                if (auto *e = qobject_cast<QLineEdit *>(b.control)) e->setText(QStringLiteral("changed"));
                if (auto *c = qobject_cast<QComboBox *>(b.control)) c->setCurrentIndex(0);
                if (auto *n = qobject_cast<QSpinBox *>(b.control)) n->setValue(n->value() + 5);
            }
            form->cancelButton->click();
        });
        check("cancel");

        const cli::ViewerSettings v = cli::readViewerSettings();
        auto flag = [](bool on) { return QByteArray(on ? "1" : "0"); };
        const QList<QPair<Key, QByteArray>> read = {
            {Key::EditData, flag(v.editData)},
            {Key::DataFolder, v.dataFolder},
            {Key::DateEndIsRecent, flag(v.dateEndIsRecent)},
            {Key::DateStart, v.dateStart},
            {Key::DateEnd, v.dateEnd},
            {Key::UrlData, v.urlData},
            {Key::UseProxy, flag(v.useProxy)},
            {Key::ProxyAddr, v.proxyAddr},
            {Key::ProxyPort, v.proxyPort},
            {Key::IgnoreError, flag(v.ignoreError)},
            {Key::AutoAddNotFound, flag(v.autoAddNotFound)},
            {Key::PageDelay, QByteArray::number(v.pageDelayMs / 1000)},
            {Key::ExtraCAFile, sjis::fromUnicode(v.trustedCaFile)},
            {Key::SkipString, v.skipString},
            {Key::FileNamePattern, v.fileNamePattern},
            {Key::MusicFolder, v.musicFolder},
            {Key::AutoAddFile, flag(v.autoAddFile)},
            {Key::PlaylistOrder, QByteArray::number(v.playlistOrder)},
            {Key::PlaylistSorted, QByteArray::number(v.playlistSorted)},
            {Key::PlaylistRate, QByteArray::number(v.playlistRate)},
            {Key::PlaylistAssociated, flag(v.playlistAssociated)},
            {Key::PlaylistNotAssociated, flag(v.playlistNotAssociated)},
            {Key::ListDate, flag(v.outputList.date)},
            {Key::ListNumber, flag(v.outputList.number)},
            {Key::ListTitle, flag(v.outputList.title)},
            {Key::ListArtist, flag(v.outputList.artist)},
            {Key::ListFile, flag(v.outputList.file)},
            {Key::ListMethod, flag(v.outputList.method)}};
        for (const auto &[key, value] : read) EXPECT_EQ(value, expected[key]) << settings::setting(key).key;

        writeBytes(beside(), header);  // what is read back below is what the save wrote
        form->saveSettings();
        const TMemIniFile saved(TDoubleIniFile().writeablePath());
        for (const OptionsDialog::Binding &b : bound) {
            const settings::Setting &s = settings::setting(b.key);
            EXPECT_EQ(saved.ReadString(s.section, s.key, "-"),
                      settings::isWritten(s, mode) ? expected[b.key] : "-")
                << s.key;
        }
    }
}
