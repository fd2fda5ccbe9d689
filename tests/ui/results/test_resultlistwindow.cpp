// The result list window: its three layouts, the column sort a user sees,
// the modal answers, the playlist commands and the drag-out rules.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "fakeshell.h"
#include "sjtest.h"
#include "ui/results/resultlistview.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

ResultRow row(const char *date, const char *rank, const char *title, const QByteArray &file = {}) {
    ResultRow r;
    r.texts = {sj(date), QByteArray(rank), sj(title), sj("歌手"), file, QByteArray(), "1", "0"};
    return r;
}

QStringList column(const ResultListWindow &w, int c) {
    QStringList out;
    for (const ResultRow &r : w.rows()) out << sjis::toUnicode(r.text(c));
    return out;
}

[[maybe_unused]] QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

TEST(ResultListWindow, LayoutsShowTheirControlsAndComeBackToSameSong) {
    ResultListWindow w;
    EXPECT_EQ(w.objectName(), QStringLiteral("Form3"));
    EXPECT_EQ(w.windowTitle(), u8("検索結果"));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_EQ(w.layoutMode(), ResultListWindow::SameSong);
    w.show();
    EXPECT_TRUE(w.applyToAllButton->isVisible());
    EXPECT_TRUE(w.applyToSelectedButton->isVisible());
    EXPECT_EQ(w.closeButton->text(), u8("何も変更しない"));
    EXPECT_FALSE(w.songCountSpin->isVisible());

    w.setLayoutMode(ResultListWindow::Search);
    EXPECT_FALSE(w.applyToAllButton->isVisible());
    EXPECT_FALSE(w.applyToSelectedButton->isVisible());
    EXPECT_EQ(w.closeButton->text(), u8("閉じる"));
    EXPECT_TRUE(w.iconLabel->isVisible());
    EXPECT_TRUE(w.printButton->isVisible());
    EXPECT_FALSE(w.savePlaylistButton->isVisible());

    w.setLayoutMode(ResultListWindow::Playlist);
    EXPECT_FALSE(w.iconLabel->isVisible());
    EXPECT_TRUE(w.songCountSpin->isVisible());
    EXPECT_TRUE(w.savePlaylistButton->isVisible());
    EXPECT_TRUE(w.copyButton->isVisible());
    EXPECT_EQ(w.closeButton->text(), u8("閉じる"));

    w.setLayoutMode(ResultListWindow::SameSong);
    EXPECT_TRUE(w.applyToAllButton->isVisible());
    EXPECT_FALSE(w.copyButton->isVisible());
    // The song count has no limits of its own.
    w.setSongCount(-5);
    EXPECT_EQ(w.songCount(), -5);
    w.setSongCount(1000000);
    EXPECT_EQ(w.songCount(), 1000000);
}

TEST(ResultListWindow, RankHeaderSortsTenTwoOneThenOneTwoTenWithTiesByDate) {
    ResultListWindow w;
    QAbstractItemModelTester tester(w.listView->model(),
                                    QAbstractItemModelTester::FailureReportingMode::Fatal);
    w.setRows({row("2001年01月06日", "2", "b"), row("2001年01月13日", "10", "c"),
               row("2001年01月06日", "1", "a"), row("2001年01月13日", "2", "d")});
    w.show();
    QTest::mouseClick(w.listView->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(w.listView->columnViewportPosition(1) + 5, 5));
    EXPECT_EQ(column(w, 1).join(QLatin1Char(',')), QStringLiteral("10,2,2,1"));
    EXPECT_EQ(column(w, 0).at(1), u8("2001年01月13日"));  // equal ranks: date descending too
    QTest::mouseClick(w.listView->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(w.listView->columnViewportPosition(1) + 5, 5));
    EXPECT_EQ(column(w, 1).join(QLatin1Char(',')), QStringLiteral("1,2,2,10"));
    EXPECT_EQ(column(w, 0).at(1), u8("2001年01月06日"));
    EXPECT_EQ(w.listView->model()->rowCount(), 4);
    EXPECT_EQ(w.listView->model()->index(0, 2).data().toString(), QStringLiteral("a"));
}

TEST(ResultListWindow, ButtonsAnswerAndSelectionIsReported) {
    ResultListWindow w;
    w.setRows(
        {row("2001年01月06日", "1", "a"), row("2001年01月13日", "2", "b"), row("2001年01月20日", "3", "c")});
    w.selectRow(2);
    w.selectRow(0);
    EXPECT_EQ(w.selectedRows(), QList<int>({0, 2}));
    for (auto [button, expected] : {std::pair{w.applyToAllButton, ResultListWindow::ApplyToAll},
                                    std::pair{w.applyToSelectedButton, ResultListWindow::ApplyToSelected},
                                    std::pair{w.closeButton, ResultListWindow::ChangeNothing}}) {
        QTimer::singleShot(0, button, [b = button] { b->click(); });
        EXPECT_EQ(w.exec(), expected);
        EXPECT_EQ(w.answer(), expected);
        EXPECT_FALSE(w.isVisible());
    }
    EXPECT_EQ(w.selectedRows(), QList<int>({0, 2}));  // kept after closing
}

}  // namespace

// The file column takes the room there is: no strip left beside it, a long
// path widens the window up to the screen.
TEST(ResultListWindow, TheFileColumnTakesTheRoomThereIs) {
    for (const auto mode : {ResultListWindow::Search, ResultListWindow::Playlist}) {
        ResultListWindow w;
        w.setLayoutMode(mode);
        w.setRows(
            {row("2001年04月07日", "1", "曲", "/home/someone/music/" + QByteArray(100, 'x') + "/s.mp3")});
        w.show();
        int sum = 0;
        for (int c = 0; c < 6; ++c) sum += w.listView->columnWidth(c);
        EXPECT_EQ(sum, w.listView->viewport()->width());
        EXPECT_GT(w.width(), 720);
        EXPECT_LE(w.width(), w.screen()->availableGeometry().width());
    }
}
