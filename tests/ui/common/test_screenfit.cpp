// Every window fits the screen it opens on (the offscreen screen here,
// 800 x 600, smaller than the 1024 x 600 of a small laptop): each of the
// program's windows, as it first shows, keeps every button on the screen.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <functional>
#include <memory>

#include "ui/cdr/cdrwizard.h"
#include "ui/common/aboutbox.h"
#include "ui/common/screenfit.h"
#include "ui/history/historywindow.h"
#include "ui/history/toplistsdialog.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/importresultdialog.h"
#include "ui/options/optionsdialog.h"
#include "ui/playlist/playlistmakerdialog.h"
#include "ui/results/resultlistwindow.h"
#include "ui/results/searchdialog.h"

using namespace vorq;

namespace {

// The buttons of a shown window that the screen does not show whole.
QStringList buttonsOffScreen(QWidget *window) {
    const QRect screen = window->screen()->availableGeometry();
    QStringList out;
    for (QAbstractButton *b : window->findChildren<QAbstractButton *>()) {
        if (!b->isVisibleTo(window)) continue;
        const QRect r(b->mapToGlobal(QPoint(0, 0)), b->size());
        if (!screen.contains(r)) out << b->text() + QStringLiteral(" ") + b->objectName();
    }
    return out;
}

// The window with its frame (the allowance while the frame is not known).
bool insideScreen(QWidget *window) {
    const QRect screen = window->screen()->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QRect outer = frame.size() != window->size() ? frame : QRect(window->pos(), window->size() + kScreenFrameAllowance);
    return screen.contains(outer);
}

}  // namespace

TEST(ScreenFit, EveryWindowKeepsItsButtonsOnTheScreen) {
    struct Case {
        const char *name;
        std::function<QWidget *()> make;
    };
    const Case cases[] = {
        {"options", [] { return new OptionsDialog; }},
        {"search", [] { return new SearchDialog; }},
        {"result list", [] { return new ResultListWindow; }},
        {"playlist result",
         [] {
             auto *w = new ResultListWindow;
             w->setLayoutMode(ResultListWindow::Playlist);
             return w;
         }},
        {"playlist maker", [] { return new PlaylistMakerDialog; }},
        {"history", [] { return new HistoryWindow; }},
        {"top lists", [] { return new TopListsDialog; }},
        {"CD-R wizard", [] { return new CdrWizard; }},
        {"about", [] { return new AboutBox; }},
        {"import result", [] { return new ImportResultDialog; }},
        {"bulk download", [] { return new BulkDownloadDialog(nullptr); }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        std::unique_ptr<QWidget> w(c.make());
        w->show();
        QApplication::processEvents();
        EXPECT_TRUE(insideScreen(w.get())) << w->x() << "," << w->y() << " " << w->width() << "x" << w->height();
        EXPECT_EQ(buttonsOffScreen(w.get()), QStringList());
    }
}

// A window larger than the screen comes down to it, a fixed one is fixed
// anew, one placed off the screen moves in; one that fits is left alone.
TEST(ScreenFit, LargeWindowsComeDownAndMoveIn) {
    QWidget big;
    big.resize(1100, 700);
    big.move(300, 200);
    big.show();
    const QRect screen = big.screen()->availableGeometry();
    EXPECT_LE(big.width() + kScreenFrameAllowance.width(), screen.width());
    EXPECT_LE(big.height() + kScreenFrameAllowance.height(), screen.height());
    EXPECT_TRUE(insideScreen(&big)) << big.frameGeometry().x() << "," << big.frameGeometry().y() << " "
                                    << big.frameGeometry().width() << "x" << big.frameGeometry().height();

    QWidget fixed;
    fixed.setFixedSize(900, 700);
    fixed.show();
    EXPECT_TRUE(insideScreen(&fixed));
    EXPECT_EQ(fixed.minimumSize(), fixed.maximumSize());

    // A layout that cannot shrink keeps its minimum (it has to scroll instead).
    QWidget tall;
    auto *l = new QVBoxLayout(&tall);
    auto *block = new QWidget;
    block->setMinimumSize(200, 900);
    l->addWidget(block);
    tall.show();
    EXPECT_GE(tall.height(), 900);

    QWidget small;
    small.resize(300, 200);
    small.move(40, 50);
    small.show();
    EXPECT_EQ(small.size(), QSize(300, 200));
    EXPECT_EQ(small.pos(), QPoint(40, 50));
}
