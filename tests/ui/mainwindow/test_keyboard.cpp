// Every command of the main window and its dialogs is reachable without a
// mouse: Tab reaches each enabled control, and Enter, Esc and the
// context-menu key do what a click would.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/base/appenv.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/common/aboutbox.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

// The objectNames focus visits while Tab is pressed, once round the window.
QStringList tabChain() {
    QStringList seen;
    for (int i = 0; i < 100; ++i) {
        QWidget *f = QApplication::focusWidget();
        if (!f || seen.contains(f->objectName())) break;
        seen << f->objectName();
        QTest::keyClick(f, Qt::Key_Tab);
    }
    return seen;
}

// The buttons a user can press in a window right now.
QStringList pressableButtons(QWidget *window) {
    QStringList out;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>())
        if (b->isVisibleTo(window) && b->isEnabled() && b->window() == window) out << b->objectName();
    return out;
}

// Runs fn on the next modal dialog once it is active and has focus.
void whenModal(std::function<void(QWidget *)> fn) {
    QTimer::singleShot(20, [fn] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !modal->isActiveWindow() || !QApplication::focusWidget()) return whenModal(fn);
        fn(modal);
    });
}

class KeyboardTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog;
    ScopedFakes fakes;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;

    void SetUp() override {
        ASSERT_TRUE(home.isValid() && prog.isValid());
        useScratchFolders(home, prog, QDate(1995, 4, 20));
        OptionsDialog probe;
        probe.loadSettings({});
        QString data = probe.dataFolderEdit->text();
        if (!data.endsWith(QLatin1Char('/'))) data += QLatin1Char('/');
        QDir().mkpath(data);
        sjis::saveLines(data + QStringLiteral("19950408.txt"), {sj("1\t夜空\t歌手"), sj("2\t海\t誰か")});
        sjis::saveLines(data + QStringLiteral("file.idx"), {"19950408001\t/music/a.mp3\t"});
        startMainWindow(form, options);
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    void TearDown() override {
        form.reset();
        env::setToday({});
        env::setProgramFolder({});
    }
    QTableView *chart() { return form->listView(0); }
};

}  // namespace

TEST_F(KeyboardTest, TabReachesTheDateListTheChartAndEveryEnabledCommand) {
    ASSERT_NE(chart(), nullptr);
    chart()->selectRow(0);  // an associated song: "開く" and "消去" are enabled
    form->dateList->setFocus();
    const QStringList chain = tabChain();
    EXPECT_TRUE(chain.contains(QStringLiteral("ListBox1"))) << chain.join(QLatin1Char(' ')).toStdString();
    // The chart comes right after the dates, though it was made after the window.
    EXPECT_EQ(chain.indexOf(chart()->objectName()), chain.indexOf(QStringLiteral("ListBox1")) + 1)
        << chain.join(QLatin1Char(' ')).toStdString();
    for (const QString &button : pressableButtons(form.get()))
        EXPECT_TRUE(chain.contains(button))
            << button.toStdString() << " not in " << chain.join(QLatin1Char(' ')).toStdString();
}

TEST_F(KeyboardTest, EnterInTheChartOpensTheSelectedSongsFileOnlyWhenItHasOne) {
    chart()->setFocus();
    chart()->selectRow(1);  // no file
    QTest::keyClick(chart(), Qt::Key_Return);
    EXPECT_TRUE(fakes.shell.calls.isEmpty());
    chart()->selectRow(0);
    QTest::keyClick(chart(), Qt::Key_Return);
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls[0].targets, QStringList{QStringLiteral("/music/a.mp3")});
}

TEST_F(KeyboardTest, TheMenuKeyOpensTheDateMenuAtTheCurrentDate) {
    form->dateList->setFocus();
    form->dateList->setCurrentRow(1);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(1, 1));
    QApplication::sendEvent(form->dateList, &menuKey);
    EXPECT_TRUE(form->dateMenu->isVisible());
    EXPECT_EQ(form->rightClickedIndex(), 1);
    form->dateMenu->hide();
}

TEST_F(KeyboardTest, DialogsCloseWithEscapeAndTheAboutBoxLinksOpenFromTheKeyboard) {
    QStringList optionsChain;
    whenModal([&](QWidget *) {
        optionsChain = tabChain();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    });
    options->showOptions();  // returns only when Esc closed it
    EXPECT_FALSE(options->isVisible());
    for (const char *name : {"Button4", "Button7"})
        EXPECT_TRUE(optionsChain.contains(QLatin1String(name)))
            << optionsChain.join(QLatin1Char(' ')).toStdString();

    QStringList aboutChain;
    whenModal([&](QWidget *modal) {
        aboutChain = tabChain();
        auto *box = qobject_cast<AboutBox *>(modal);
        if (!box) {
            modal->close();
            return;
        }
        box->supportPageLink->setFocus();
        QTest::keyClick(box->supportPageLink, Qt::Key_Return);
        QTest::keyClick(box, Qt::Key_Escape);
    });
    form->onAboutClicked();
    for (const char *name : {"OKButton", "Label3", "Label4", "Label6"})
        EXPECT_TRUE(aboutChain.contains(QLatin1String(name)))
            << aboutChain.join(QLatin1Char(' ')).toStdString();
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls[0].verb, QStringLiteral("open"));
    EXPECT_TRUE(fakes.shell.calls[0].targets.value(0).contains(QLatin1String("support")));
}
