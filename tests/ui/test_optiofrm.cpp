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

#include "appenv.h"
#include "chartstore.h"
#include "doubleini.h"
#include "fakeshell.h"
#include "optiofrm.h"
#include "plistfrm.h"
#include "settingsenv.h"
#include "sjistext.h"
#include "sjtest.h"

using namespace vorq;
using vorq::test::writeBytes;

namespace {

class FakeHost : public OptionsHost {
public:
    QStringList calls;
    bool associationEditingVisible = true;  // the main window's designed state
    QWidget *dialog = nullptr;
    bool dialogEnabledDuringImport = true;
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
QMap<QString, QString> stateOf(TForm2 &f) {
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
    for (int i = 0; i < f.PageControl1->count(); ++i)
        out.insert(QStringLiteral("page%1").arg(i), QString::number(f.PageControl1->isTabVisible(i)));
    return out;
}

class OptionsDialogTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray root;
    test::ScopedFakes fakes;
    FakeHost host;
    std::unique_ptr<TForm4> playlist;
    std::unique_ptr<TForm2> form;

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
        playlist = std::make_unique<TForm4>();
        form = std::make_unique<TForm2>(nullptr, playlist.get());
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
        form->ShowOptions();
    }
};

}  // namespace

TEST_F(OptionsDialogTest, FirstStartThenExitWritesTheLocatorAndEveryKey) {
    form->LoadSettings({});
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_TRUE(form->CheckBox2->isChecked() && enabled(form->CheckBox2));
    EXPECT_EQ(form->Edit4->text(), sjis::toUnicode(userFolder()));
    EXPECT_EQ(form->ComboBox1->currentText(), u8("1995年04月08日"));
    EXPECT_EQ(form->ComboBox2->currentText(), u8("2001年04月28日"));
    EXPECT_FALSE(enabled(form->ComboBox2));  // DateEndIsRecent defaults on
    EXPECT_FALSE(enabled(form->Button8));
    EXPECT_EQ(form->PageControl1->currentIndex(), 0);

    form->SaveSettings();
    TMemIniFile locatorFile(locator());
    EXPECT_EQ(locatorFile.ReadString(root + "prog/", "WriteMode", ""), "0");
    EXPECT_EQ(locatorFile.ReadString(root + "prog/", "IniPathWriteable", ""), beside());
    TMemIniFile settings(beside());
    const QList<QPair<QByteArray, int>> expected = {
        {"OutputList", 6},  {"Playlist", 5}, {"Display", 3}, {"AssociateFile", 6},
        {"ImportData", 11}, {"AutoRun", 3},  {"Web", 7}};
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
    form->LoadSettings({});
    EXPECT_TRUE(form->RadioButton3->isChecked());  // the last true one
    EXPECT_FALSE(form->PageControl1->isTabVisible(5));
    EXPECT_FALSE(form->CheckBox12->isChecked());
    EXPECT_FALSE(enabled(form->CheckBox14));     // AutoSave off disables it...
    EXPECT_TRUE(form->CheckBox14->isChecked());  // ...and the later EditData read checks it again
    EXPECT_EQ(form->Edit4->text(), QStringLiteral("/data/"));
    EXPECT_EQ(form->Edit2->text(), QStringLiteral("/m/"));
    EXPECT_TRUE(host.associationEditingVisible);  // unchanged box: no rule ran
    EXPECT_TRUE(enabled(form->Edit1) && enabled(form->CheckBox9));
    EXPECT_TRUE(enabled(form->ComboBox2));
    EXPECT_EQ(form->ComboBox1->currentText(), u8("2000年01月01日"));
    EXPECT_EQ(form->ComboBox2->currentText(), u8("2000年12月30日"));
    EXPECT_TRUE(enabled(form->Edit7));
    EXPECT_EQ(form->Edit8->text(), QStringLiteral("8080"));
    EXPECT_FALSE(form->CheckBox21->isChecked());
    EXPECT_EQ(playlist->TrackBar1->value(), 3);
    EXPECT_EQ(playlist->RadioGroup2->itemIndex(), 0);
    EXPECT_EQ(playlist->SpinEdit1->value(), 100);
    EXPECT_TRUE(playlist->CheckBox2->isChecked());

    writeBytes(beside(), "[ImportData]\r\nWeb=0\r\n");
    recreate();
    form->LoadSettings({});
    for (QRadioButton *r : {form->RadioButton1, form->RadioButton2, form->RadioButton3, form->RadioButton4})
        EXPECT_FALSE(r->isChecked()) << r->objectName().toStdString();
}

TEST_F(OptionsDialogTest, RestrictedCopyShowsThreePagesAndSavesOnlyItsKeys) {
    writeBytes(beside(),
               "[Restrictions]\r\nWriteMode=1\r\n[Web]\r\nURL_Home=ignored\r\n[OutputList]\r\nDate=0\r\n");
    form->LoadSettings({});
    EXPECT_TRUE(form->CheckBox2->isChecked());
    EXPECT_FALSE(enabled(form->CheckBox2));
    EXPECT_TRUE(form->RadioButton4->isChecked());
    EXPECT_TRUE(form->CheckBox15->isChecked());
    for (int p = 0; p < 7; ++p)
        EXPECT_EQ(form->PageControl1->isTabVisible(p), p == 1 || p == 3 || p == 6) << p;
    EXPECT_EQ(form->PageControl1->currentIndex(), 1);
    EXPECT_FALSE(enabled(form->Button6));
    EXPECT_FALSE(enabled(form->Label17));
    EXPECT_TRUE(enabled(form->Button8));
    EXPECT_EQ(form->Edit4->text(), sjis::toUnicode(root + "prog/"));
    EXPECT_FALSE(form->CheckBox18->isChecked());
    EXPECT_EQ(form->Edit3->text(), QStringLiteral("http://www.vorq.example/vorq/"));
    EXPECT_FALSE(form->CheckBox11->isChecked());

    form->SaveSettings();
    TDoubleIniFile ini;
    ASSERT_TRUE(ini.writeablePath().startsWith(userFolder()));
    QList<QByteArray> sections;
    TMemIniFile(ini.writeablePath()).ReadSections(sections);
    EXPECT_EQ(sections, QList<QByteArray>({"OutputList", "Playlist", "Display"}));
}

TEST_F(OptionsDialogTest, UncheckingSaveStoresModeTwoAndTheNextStartIsRestricted) {
    form->LoadSettings({});
    form->CheckBox2->click();
    form->SaveSettings();
    EXPECT_FALSE(QFile::exists(sjis::path(beside())));
    EXPECT_EQ(TMemIniFile(locator()).ReadString(root + "prog/", "WriteMode", ""), "2");
    recreate();
    form->LoadSettings({});
    EXPECT_FALSE(form->CheckBox2->isChecked());
    EXPECT_TRUE(enabled(form->CheckBox2));
    EXPECT_FALSE(form->PageControl1->isTabVisible(0));
    EXPECT_TRUE(form->RadioButton4->isChecked());

    // An unknown mode reads the common keys only and keeps the designed rest.
    writeBytes(beside(),
               "[Restrictions]\r\nWriteMode=7\r\n[Web]\r\nURL_Home=x\r\n[OutputList]\r\nOpenMethod=1\r\n");
    recreate();
    form->LoadSettings({});
    EXPECT_TRUE(form->RadioButton1->isChecked());
    EXPECT_TRUE(form->PageControl1->isTabVisible(0));
    EXPECT_EQ(form->Edit3->text(), QStringLiteral("http://www.vorq.example/vorq/"));
    EXPECT_TRUE(form->CheckBox8->isChecked());
}

TEST_F(OptionsDialogTest, EnablingRulesFollowClicks) {
    form->LoadSettings({});
    form->RadioButton4->click();
    EXPECT_TRUE(form->CheckBox15->isChecked() && enabled(form->CheckBox15));
    EXPECT_FALSE(form->CheckBox12->isChecked() || enabled(form->CheckBox12));
    EXPECT_FALSE(form->CheckBox14->isChecked() || enabled(form->CheckBox14));
    EXPECT_FALSE(enabled(form->CheckBox13));
    EXPECT_FALSE(form->PageControl1->isTabVisible(5));
    EXPECT_FALSE(enabled(form->CheckBox17) || enabled(form->Button1));
    form->RadioButton1->click();
    EXPECT_FALSE(form->CheckBox15->isChecked() || enabled(form->CheckBox15));
    EXPECT_TRUE(form->CheckBox12->isChecked() && form->CheckBox14->isChecked() && enabled(form->Label3));
    EXPECT_TRUE(form->PageControl1->isTabVisible(5) && enabled(form->CheckBox17));

    form->CheckBox1->click();  // association changes allowed
    EXPECT_TRUE(host.associationEditingVisible);
    EXPECT_TRUE(enabled(form->CheckBox10) && enabled(form->CheckBox16));
    EXPECT_FALSE(enabled(form->Edit1) || enabled(form->CheckBox9));
    form->CheckBox10->click();
    EXPECT_TRUE(enabled(form->Edit1) && enabled(form->Button3));
    form->CheckBox1->click();
    EXPECT_FALSE(host.associationEditingVisible);
    EXPECT_FALSE(enabled(form->Edit2));

    form->CheckBox17->click();
    EXPECT_TRUE(enabled(form->CheckBox19));
    form->CheckBox19->click();
    form->CheckBox17->click();
    EXPECT_FALSE(enabled(form->CheckBox19) || form->CheckBox19->isChecked());

    form->CheckBox18->click();
    EXPECT_TRUE(enabled(form->ComboBox2));
    form->CheckBox20->click();
    EXPECT_EQ(form->Edit4->text(), sjis::toUnicode(root + "prog/"));
    EXPECT_FALSE(enabled(form->Edit4) || enabled(form->Button2));
    form->CheckBox23->click();
    EXPECT_TRUE(enabled(form->Edit7) && enabled(form->Edit8));
}

TEST_F(OptionsDialogTest, CancelAfterManyChangesRestoresEveryControl) {
    form->LoadSettings({});
    QMap<QString, QString> before = stateOf(*form);
    before.remove(QStringLiteral("Button5"));  // disabled on opening, before the snapshot
    showOptions([this] {
        form->RadioButton4->click();
        form->CheckBox1->click();
        form->CheckBox10->click();
        form->CheckBox20->click();
        form->CheckBox23->click();
        form->CheckBox18->click();
        form->ComboBox1->setCurrentIndex(5);
        form->ComboBox2->setCurrentIndex(7);
        form->Edit3->setText(QStringLiteral("changed"));
        form->CheckBox2->click();
        form->PageControl1->setCurrentIndex(3);
        form->Button7->click();
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
    form->LoadSettings({});
    showOptions([this] { form->Button4->click(); });
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("dates")}));
    host.calls.clear();
    showOptions([this] {
        form->ComboBox1->setCurrentIndex(3);
        EXPECT_TRUE(enabled(form->Button5));
        form->Button4->click();
    });
    EXPECT_EQ(host.calls,
              QStringList({QStringLiteral("dispose"), QStringLiteral("load"), QStringLiteral("dates")}));
}

TEST_F(OptionsDialogTest, ApplyReloadsAndALaterCancelReturnsToTheAppliedState) {
    form->LoadSettings({});
    showOptions([this] {
        EXPECT_FALSE(enabled(form->Button5));
        form->Edit4->setText(QStringLiteral("/other/"));
        form->Button5->click();
        EXPECT_FALSE(enabled(form->Button5));
        form->CheckBox8->click();
        form->Button7->click();
    });
    EXPECT_EQ(host.calls,
              QStringList({QStringLiteral("dispose"), QStringLiteral("load"), QStringLiteral("dates")}));
    EXPECT_EQ(form->Edit4->text(), QStringLiteral("/other/"));
    EXPECT_FALSE(form->CheckBox8->isChecked());
}

TEST_F(OptionsDialogTest, CommandLineSwitchesUseTheFirstArgumentOnly) {
    form->LoadSettings({QStringLiteral("/AutoUpdate")});
    EXPECT_TRUE(form->CheckBox17->isChecked());
    recreate();
    form->LoadSettings({QStringLiteral("x"), QStringLiteral("/autoupdate")});
    EXPECT_FALSE(form->CheckBox17->isChecked());

    writeBytes(beside(), "[AutoRun]\r\nImportData=1\r\nAssociateFile=1\r\nAutoQuit=1\r\n");
    recreate();
    form->LoadSettings({QStringLiteral("/CLEAR")});
    EXPECT_FALSE(form->CheckBox17->isChecked() || form->CheckBox9->isChecked() ||
                 form->CheckBox19->isChecked());
    form->SaveSettings();
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
    form->LoadSettings({});
    EXPECT_EQ(form->ComboBox1->findText(label(2001, 4, 14)), -1);
    EXPECT_EQ(form->ComboBox2->findText(label(2001, 3, 31)), -1);
    EXPECT_EQ(form->ComboBox1->currentText(), label(2001, 4, 21));
    EXPECT_EQ(form->ComboBox2->currentText(), label(2001, 4, 7));
}

TEST_F(OptionsDialogTest, ProgramFolderAsDataFolderOverridesTheStoredFolder) {
    writeBytes(beside(), "[ImportData]\r\nDataFolder=/elsewhere/\r\nDataFolderIsAppPath=1\r\n");
    form->LoadSettings({});
    EXPECT_EQ(form->Edit4->text(), sjis::toUnicode(root + "prog/"));
    EXPECT_FALSE(enabled(form->Edit4));
    form->SaveSettings();
    EXPECT_EQ(TMemIniFile(beside()).ReadString("ImportData", "DataFolder", ""), root + "prog/");
}

TEST_F(OptionsDialogTest, BrowseButtonsAndCommandButtons) {
    form->LoadSettings({});
    fakes.prompter.files = {QStringLiteral("/chosen"), QString()};
    const QString start = form->Edit4->text();
    form->Button2->click();
    ASSERT_FALSE(fakes.prompter.asked.isEmpty());
    EXPECT_EQ(fakes.prompter.asked.first().kind, QStringLiteral("folder"));
    EXPECT_EQ(fakes.prompter.asked.first().text, start);
    EXPECT_EQ(form->Edit4->text(), QStringLiteral("/chosen/"));
    form->Button2->click();  // cancelled
    EXPECT_EQ(form->Edit4->text(), QStringLiteral("/chosen/"));

    form->Button1->click();
    EXPECT_EQ(host.calls, QStringList({QStringLiteral("import")}));
    EXPECT_FALSE(host.dialogEnabledDuringImport);
    EXPECT_TRUE(form->isEnabled());
    form->Button6->click();
    EXPECT_EQ(host.calls.last(), QStringLiteral("cdr"));
}

TEST_F(OptionsDialogTest, PlaylistControlsAreSaved) {
    form->LoadSettings({});
    playlist->TrackBar1->setValue(5);
    playlist->RadioGroup2->setItemIndex(0);
    playlist->SpinEdit1->setValue(42);
    playlist->CheckBox1->setChecked(false);
    form->SaveSettings();
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
    form->LoadSettings({});
    form->SaveSettings();  // nothing can be written; no exception escapes
    EXPECT_TRUE(form->CheckBox2->isChecked());
}

TEST_F(OptionsDialogTest, EveryPageFitsTheDesignedSizeWithoutCuttingACaption) {
    form->LoadSettings({});
    for (QCheckBox *b : {form->CheckBox1, form->CheckBox10, form->CheckBox23}) b->setChecked(!b->isChecked());
    form->show();
    EXPECT_EQ(form->size(), QSize(512, 290));
    for (int page = 0; page < form->PageControl1->count(); ++page) {
        form->PageControl1->setCurrentIndex(page);
        QApplication::processEvents();
        for (QWidget *w : form->PageControl1->widget(page)->findChildren<QWidget *>()) {
            const auto *label = qobject_cast<QLabel *>(w);
            if (!w->isVisible() || (label && label->wordWrap())) continue;
            if (!label && !qobject_cast<QAbstractButton *>(w)) continue;
            EXPECT_GE(w->width(), w->sizeHint().width())
                << w->objectName().toStdString() << " on page " << page;
        }
    }
    form->hide();
}
