// The weekly import as vorqview shows it: Option's "毎週自動で取り込む" over a
// scripted systemctl, and the window opened on the week a notification named.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <optional>

#include "core/schedule/importtimer.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/options/optionsdialog.h"
#include "ui/options/weeklyimportcontrol.h"

using namespace vorq;
using schedule::CommandResult;

namespace {

// A user manager in a few lines: the timer's enabled state, switched by
// enable/disable, shown by show. Every call is recorded.
class FakeSystemctl : public schedule::CommandRunner {
public:
    std::optional<CommandResult> showResult;  // when set, show answers this instead
    QByteArray enableFails;                   // systemctl's words when enable fails
    bool enabled = false;
    QStringList calls;

    CommandResult run(const QString &, const QStringList &args, int) override {
        const QString verb = args.value(1);
        calls.append(verb);
        if (verb == QLatin1String("show")) {
            if (showResult) return *showResult;
            const QByteArray state = enabled ? "enabled" : "disabled";
            const QByteArray active = enabled ? "active" : "inactive";
            return {true,
                    true,
                    0,
                    "Id=vorq-import.timer\nLoadState=loaded\nActiveState=" + active +
                        "\nUnitFileState=" + state +
                        "\nNextElapseUSecRealtime=Sun 2024-01-14 06:00:00 JST\n\nId=vorq-import.service\n"
                        "LoadState=loaded\nActiveState=inactive\n",
                    {}};
        }
        if (verb == QLatin1String("enable") && !enableFails.isEmpty())
            return {true, true, 1, {}, enableFails};
        enabled = verb == QLatin1String("enable");
        return {true, true, 0, {}, {}};
    }
};

constexpr int kStartupPage = 4;

}  // namespace

TEST(WeeklyImportControl, GreyedOutWithTheReasonWhereThereIsNoTimer) {
    struct Case {
        const char *name;
        CommandResult show;
        bool usable;
        const char *says;
    };
    const Case cases[] = {
        {"no systemctl", {}, false, "systemctl がありません"},
        {"no user manager",
         {true, true, 1, {}, "Failed to connect to bus: No medium found"},
         false,
         "systemd のユーザー インスタンスが動いていません (Failed to connect to bus: No medium found)"},
        {"units not installed",
         {true, true, 0, "Id=vorq-import.timer\nLoadState=not-found\n", {}},
         false,
         "vorq-import.timer がインストールされていません"},
        {"off", {}, true, "オフです。"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        FakeSystemctl systemctl;
        if (c.usable)
            systemctl.showResult.reset();
        else
            systemctl.showResult = c.show;
        WeeklyImportControl control;
        control.setRunner(&systemctl);
        control.show();  // asks, as the page does when shown
        ASSERT_EQ(systemctl.calls, QStringList{QStringLiteral("show")});
        EXPECT_EQ(control.enableBox->isEnabled(), c.usable);
        EXPECT_FALSE(control.enableBox->isChecked());
        EXPECT_TRUE(control.statusLabel->text().contains(QString::fromUtf8(c.says)))
            << control.statusLabel->text().toStdString();
        EXPECT_EQ(control.enableBox->accessibleDescription(), control.statusLabel->text());
    }
}

TEST(WeeklyImportControl, AClickSwitchesAtOnceAndCancelLeavesIt) {
    test::ScopedFakes fakes;
    FakeSystemctl systemctl;
    OptionsDialog form;
    form.weeklyImport->setRunner(&systemctl);
    QTimer::singleShot(0, &form, [&] {
        form.pageTabs->setCurrentIndex(kStartupPage);
        QApplication::processEvents();
        EXPECT_TRUE(form.weeklyImport->enableBox->isEnabled());
        EXPECT_FALSE(form.weeklyImport->enableBox->isChecked());
        form.weeklyImport->enableBox->click();
        form.cancelButton->click();
    });
    form.showOptions();
    EXPECT_TRUE(systemctl.enabled);
    EXPECT_TRUE(form.weeklyImport->enableBox->isChecked());
    EXPECT_TRUE(
        form.weeklyImport->statusLabel->text().startsWith(QStringLiteral("オンです。次回: 2024年01月14日")));
    // Shown, switched, shown again; Cancel's restore asked nothing.
    ASSERT_GE(systemctl.calls.size(), 3);
    EXPECT_EQ(systemctl.calls.mid(systemctl.calls.size() - 2),
              (QStringList{QStringLiteral("enable"), QStringLiteral("show")}));
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());

    // Off again, then an enable that fails: the error box with systemctl's
    // words, and the box shows what systemd holds.
    form.weeklyImport->enableBox->click();
    EXPECT_FALSE(systemctl.enabled);
    systemctl.enableFails = "Failed to enable unit: Unit file vorq-import.timer does not exist.";
    form.weeklyImport->enableBox->click();
    EXPECT_FALSE(form.weeklyImport->enableBox->isChecked());
    ASSERT_EQ(fakes.prompter.errors().size(), 1);
    EXPECT_TRUE(fakes.prompter.errors().first().text.contains(QStringLiteral("does not exist")));
}

class StartWeekTest : public ScratchWindowTest {
protected:
    test::ScopedFakes fakes;
    void startOn(const QDate &week, bool autoQuit) {
        const QString data = scratchDataFolder();
        for (const char *day : {"19950408", "19950415", "19950422", "19950429", "19950506", "19950513"})
            sjis::saveLines(data + QLatin1String(day) + QStringLiteral(".txt"), {"1\tA\tB"});
        form = std::make_unique<MainWindow>();
        options = new OptionsDialog(form.get());
        form->setOptions(options);
        form->setStartWeek(week);
        form->show();
        options->autoQuitBox->setChecked(autoQuit);
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([&] { return form->startupGuard() == 1; }, 5000));
        QApplication::processEvents();
    }
};

TEST_F(StartWeekTest, TheWeekIsShownAndTheWindowStays) {
    startOn(QDate(1995, 4, 15), true);
    EXPECT_TRUE(form->isVisible());  // the automatic close gave way to the week asked for
    ASSERT_GE(form->activeTab(), 0);
    EXPECT_EQ(form->store().tabs.at(form->activeTab()).tag, 19950415);
    EXPECT_EQ(form->dateList->currentRow(), rowOf("1995年04月15日"));
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
}

TEST_F(StartWeekTest, AWeekOutsideTheRangeIsSaidSo) {
    startOn(QDate(1995, 5, 20), false);
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_TRUE(
        fakes.prompter.asked.first().text.startsWith(u8("1995年05月20日 は表示する期間にありません。")));
}
