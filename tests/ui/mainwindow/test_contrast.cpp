// The main window as it is drawn, in a light and a dark palette: every
// text, the red of associated rows and the engraved dates included, stands
// 4.5:1 from its ground on the rendered pixels. ctest runs it at 100 % and,
// as test_contrast_200, with QT_SCALE_FACTOR=2.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>
#include <QTableView>
#include <map>

#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/common/readablecolours.h"
#include "ui/mainwindow/panelstatusbar.h"

using namespace vorq;

namespace {

// The ground is the region's commonest colour; the text, its pixel that
// stands farthest from the ground (anti-aliased edges only lie between).
struct Measure {
    QColor ground, text;
    double ratio = 1;
};

Measure measure(const QImage &image, const QRect &region) {
    std::map<QRgb, int> counts;
    for (int y = region.top(); y <= region.bottom(); ++y)
        for (int x = region.left(); x <= region.right(); ++x) ++counts[image.pixel(x, y)];
    Measure m;
    int most = 0;
    for (const auto &[rgb, n] : counts)
        if (n > most) most = n, m.ground = QColor(rgb);
    for (const auto &[rgb, n] : counts)
        if (const double r = colours::contrast(QColor(rgb), m.ground); r > m.ratio)
            m.ratio = r, m.text = QColor(rgb);
    return m;
}

class Contrast : public ScratchWindowTest, public ::testing::WithParamInterface<bool> {
protected:
    QPalette saved = QApplication::palette();
    void TearDown() override {
        ScratchWindowTest::TearDown();
        QApplication::setPalette(saved);
    }
};

}  // namespace

TEST_P(Contrast, EveryTextOfTheMainWindowStandsFourAndAHalfToOneFromItsGround) {
    // Qt derives a dark palette from a dark button and window: white on black.
    QApplication::setPalette(GetParam() ? QPalette(QColor(53, 53, 53), QColor(53, 53, 53))
                                        : QApplication::style()->standardPalette());
    colours::applyReadablePalette();  // as vorqview does at start
    const QString data = scratchDataFolder();
    sjis::saveLines(data + QStringLiteral("19950408.txt"),
                    {sj("1\t夜明けのメロディ\tSORA"), sj("2\tストーリー海\tROSE MOON 21"),
                     sj("3\tShine\t木村"), sj("4\t風の歌\t青い鳥"), sj("5\t未来へ\tHIKARI")});
    sjis::saveLines(data + QStringLiteral("19950415.txt"), {sj("1\t海\t誰か")});
    sjis::saveLines(data + QStringLiteral("file.idx"),
                    {"19950408001\t/music/a.mp3\t", "19950408003\t/music/c.mp3\t"});
    startMainWindow(form, options);
    QTableView *chart = form->listView(form->activeTab());
    ASSERT_NE(chart, nullptr);
    chart->selectRow(2);                // associated and selected: red on the highlight
    form->playingMark = {19950408, 3};  // the row the player plays
    chart->viewport()->update();
    form->resize(1000, 640);
    QApplication::processEvents();

    const QPixmap shot = form->grab();
    const QImage image = shot.toImage();
    const qreal dpr = shot.devicePixelRatio();
    // Each text's region of w, measured on the window's pixels.
    auto add = [&](const QString &what, QWidget *w, const QRect &r) {
        const QPointF at = w->mapTo(form.get(), r.topLeft());
        const Measure m =
            measure(image, QRect((at * dpr).toPoint(), (QSizeF(r.size()) * dpr).toSize()) & image.rect());
        EXPECT_GE(m.ratio, 4.5) << what.toStdString() << ": " << m.text.name().toStdString() << " on "
                                << m.ground.name().toStdString();
    };
    for (int row = 0; row < 5; ++row)
        for (int col = 0; col < 3; ++col)
            add(QStringLiteral("chart row %1 column %2").arg(row + 1).arg(col), chart->viewport(),
                chart->visualRect(chart->model()->index(row, col)));
    add(QStringLiteral("chart header"), chart->horizontalHeader(), chart->horizontalHeader()->rect());
    // The date's text, inside the tab outline and the selection's frame.
    for (int row = 0; row < form->dateList->count(); ++row)
        add(QStringLiteral("date ") + form->dateList->item(row)->text(), form->dateList->viewport(),
            form->dateList->visualItemRect(form->dateList->item(row)).adjusted(18, 5, -8, -2));
    for (QWidget *w : QList<QWidget *>{form->printButton, form->saveListButton, form->songListLabel,
                                       form->associationLabel, form->statusPanels->panel(2)})
        add(w->objectName(), w, w->rect().adjusted(3, 3, -3, -3));
}

INSTANTIATE_TEST_SUITE_P(LightAndDark, Contrast, ::testing::Bool(),
                         [](const auto &info) { return info.param ? "DarkPalette" : "LightPalette"; });
