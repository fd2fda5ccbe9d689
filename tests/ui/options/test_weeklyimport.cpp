// Option's "毎週自動で取り込む" over a scripted user manager.
#include <gtest/gtest.h>

#include <QTabWidget>
#include <QTimer>

#include "fakeshell.h"
#include "sjtest.h"
#include "ui/options/optionsdialog.h"
#include "ui/options/weeklyimportcontrol.h"

using namespace vorq;

namespace {

// The timer's state, switched by enable/disable, read by show as systemctl
// prints it (its own property order; the weekday in the user's language).
struct FakeSystemctl : schedule::CommandRunner {
    bool manager = true, enabled = false, enableFails = false;
    QStringList calls;
    schedule::CommandResult run(const QString &, const QStringList &args, int) override {
        const QString verb = calls.emplace_back(args.value(1));
        if (!manager) return {true, true, 1, {}, "Failed to connect to bus: No medium found"};
        if (verb == u8("enable") && enableFails)
            return {true, true, 1, {}, "Unit vorq-import.timer not found."};
        if (verb != u8("show")) enabled = verb == u8("enable");
        return {
            true,
            true,
            0,
            "Id=vorq-import.timer\nLoadState=loaded\nActiveState=active\nUnitFileState=" +
                QByteArray(enabled ? "enabled" : "disabled") +
                "\n\nId=vorq-import.service\nExecMainStatus=3\nSubState=auto-restart\nActiveState=activating"
                "\nResult=exit-code\nExecMainCode=1\nExecMainStartTimestamp=日 2024-01-07 07:41:12 JST\n",
            {}};
    }
};

}  // namespace

TEST(WeeklyImportControl, AClickActsAtOnceCancelLeavesItAndNoManagerGreysItOut) {
    test::ScopedFakes fakes;
    FakeSystemctl systemctl;
    OptionsDialog form;
    WeeklyImportControl *weekly = form.weeklyImport;
    weekly->setRunner(&systemctl);
    QTimer::singleShot(0, &form, [&] {
        form.pageTabs->setCurrentIndex(4);  // 起動時動作: shown, so asked
        weekly->enableBox->click();
        form.cancelButton->click();
    });
    form.showOptions();
    EXPECT_TRUE(systemctl.enabled && weekly->enableBox->isChecked());
    EXPECT_EQ(systemctl.calls, (QStringList{u8("show"), u8("enable"), u8("show")}));  // Cancel asked nothing
    EXPECT_EQ(
        weekly->statusLabel->text(),
        u8("オンです。\n前回: 2024年01月07日 07:41、取得できなかった週があります。あとで再試行します。"));

    // A failed switch: the error box with systemctl's words, the box as systemd holds it.
    weekly->enableBox->click();
    systemctl.enableFails = true;
    weekly->enableBox->click();
    EXPECT_FALSE(weekly->enableBox->isChecked());
    ASSERT_EQ(fakes.prompter.errors().size(), 1);
    EXPECT_TRUE(fakes.prompter.errors().first().text.endsWith(u8("not found.")));

    systemctl.manager = false;
    weekly->refresh();
    EXPECT_FALSE(weekly->enableBox->isEnabled());
    EXPECT_TRUE(weekly->statusLabel->text().contains(u8("ユーザー インスタンスが動いていません (Failed")));
}
