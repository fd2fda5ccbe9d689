// Every window fits the screen it opens on (offscreen's 800 x 600, smaller
// than a 1024 x 600 laptop): no button of the larger windows off the screen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QScreen>
#include <memory>

#include "ui/common/screenfit.h"
#include "ui/history/historywindow.h"
#include "ui/history/toplistsdialog.h"
#include "ui/options/optionsdialog.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;

TEST(ScreenFit, EveryWindowKeepsItsButtonsOnTheScreen) {
    auto *playlist = new ResultListWindow;
    playlist->setLayoutMode(ResultListWindow::Playlist);
    for (QWidget *window :
         {static_cast<QWidget *>(new HistoryWindow), static_cast<QWidget *>(new TopListsDialog),
          static_cast<QWidget *>(new OptionsDialog), static_cast<QWidget *>(playlist)}) {
        std::unique_ptr<QWidget> w(window);
        w->show();
        const QRect screen = w->screen()->availableGeometry();
        EXPECT_TRUE(screen.contains(QRect(w->pos(), w->size() + kScreenFrameAllowance))) << w->width();
        for (QAbstractButton *b : w->findChildren<QAbstractButton *>())
            EXPECT_TRUE(!b->isVisibleTo(w.get()) ||
                        screen.contains(QRect(b->mapToGlobal(QPoint()), b->size())))
                << b->text().toStdString();
    }
}
