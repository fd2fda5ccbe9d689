// The playlist maker dialog: its controls, a generation shown in the result
// window's playlist layout, and "リスト作成" in the main window.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "core/base/appenv.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/playlist/playlistmakerdialog.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;

namespace {

QStringList column(const ResultListWindow &w, int c) {
    QStringList out;
    for (const ResultRow &r : w.rows()) out << sjis::toUnicode(r.text(c));
    return out;
}

// Runs check while the window opened by the next modal call is shown, then
// closes it with its close button.
template <typename Window, typename Check>
void whileShown(Window *w, Check check) {
    QTimer::singleShot(0, w, [w, check] {
        EXPECT_TRUE(w->isVisible());
        check();
        w->closeButton->click();
    });
}

}  // namespace

TEST(PlaylistMakerDialog, GenerateShowsTheListInThePlaylistLayoutAndRestoresIt) {
    ChartStore store;
    store.tabs = {{19950415,
                   sj("1995年04月15日"),
                   {{"1", "A", "x", "/a.mp3", ""}, {"2", sj("曲"), "y", "", ""}, {"3", "C", "z", "", ""}}},
                  {19950408, sj("1995年04月08日"), {{"1", sj("曲"), "y", "/b.mp3", "play"}}}};
    ResultListWindow result;
    PlaylistMakerDialog maker;
    EXPECT_EQ(maker.objectName(), QStringLiteral("Form4"));
    EXPECT_EQ(maker.windowTitle(), QStringLiteral("Playlist Maker"));
    EXPECT_TRUE(maker.generateButton->isDefault());
    EXPECT_EQ(maker.findChild<QLabel *>(QStringLiteral("Label5"))->text(), u8("期間ランキング平均"));
    maker.setChartStore(&store);
    maker.setResultWindow(&result);

    // Number of appearances, both kinds, highest first.
    maker.priorityBar->setValue(4);
    maker.takeUnassociatedBox->setChecked(true);
    whileShown(&result, [&] {
        EXPECT_EQ(result.layoutMode(), ResultListWindow::Playlist);
        EXPECT_TRUE(result.savePlaylistButton->isVisible());
        EXPECT_EQ(result.songCount(), 3);
        EXPECT_EQ(column(result, 2).first(), u8("曲"));
        EXPECT_EQ(column(result, 6),
                  QStringList({QStringLiteral("2"), QStringLiteral("1"), QStringLiteral("1")}));
        EXPECT_EQ(column(result, 0).first(), u8("1995年04月15日"));  // its newest appearance
    });
    QTest::mouseClick(maker.generateButton, Qt::LeftButton);
    EXPECT_EQ(result.rowCount(), 0);
    EXPECT_EQ(result.layoutMode(), ResultListWindow::SameSong);
    EXPECT_TRUE(result.applyToAllButton->isVisibleTo(&result));
}

TEST(PlaylistMakerDialog, MakeListButtonOpensItOverTheLoadedCharts) {
    QTemporaryDir home, prog;
    test::ScopedFakes fakes;
    useScratchFolders(home, prog, QDate(1995, 4, 20));
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    {
        OptionsDialog probe;
        probe.loadSettings({});
        const QString data = probe.dataFolderEdit->text() + QLatin1Char('/');
        QDir().mkpath(data);
        sjis::saveLines(data + QStringLiteral("19950408.txt"), {"1\tOld\tx"});
        sjis::saveLines(data + QStringLiteral("19950415.txt"), {"1\tNew\ty", "2\tOld\tx"});
    }
    startMainWindow(form, options);
    auto *maker = new PlaylistMakerDialog(form.get());
    options->setPlaylistForm(maker);
    maker->takeUnassociatedBox->setChecked(true);

    bool shown = false;
    QTimer::singleShot(0, maker, [&] {
        ResultListWindow *result = form->resultWindow();
        whileShown(result, [&] {
            EXPECT_EQ(column(*result, 2), QStringList({u8("New"), u8("Old")}));
            shown = true;
        });
        maker->generateButton->click();
        maker->closeButton->click();
    });
    QTest::mouseClick(form->makePlaylistButton, Qt::LeftButton);
    EXPECT_TRUE(shown);
    EXPECT_FALSE(maker->isVisible());
    form.reset();
    env::setToday({});
    env::setProgramFolder({});
}
