// The main window on prepared data folders: tabs, date list, row drawing,
// selection feedback, the date menu, the close question and file.idx.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/associations/associationcommands.h"
#include "ui/mainwindow/charttablemodel.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

QList<QByteArray> chartLines(int rows, const char *tag) {
    QList<QByteArray> out;
    for (int i = 1; i <= rows; ++i)
        out << QByteArray::number(i) + '\t' + sj("曲") + tag + QByteArray::number(i) + '\t' + "Artist " +
                   tag + QByteArray::number(i);
    return out;
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return "<missing>";
    return f.readAll();
}

class MainWindowTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog;
    ScopedFakes fakes;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    QString data;  // the data folder the settings give, with "/"

    void SetUp() override {
        ASSERT_TRUE(home.isValid() && prog.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("share"))));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
        env::setToday(QDate(1995, 5, 20));  // calendar: 04-08 ... 05-13, six dates
        env::setProgramFolder(sjis::fromUnicode(prog.path() + QLatin1Char('/')));
        OptionsDialog probe;
        probe.loadSettings({});
        data = probe.dataFolderEdit->text();
        if (!data.endsWith(QLatin1Char('/'))) data += QLatin1Char('/');
        ASSERT_TRUE(data.startsWith(home.path())) << data.toStdString();
        QDir().mkpath(data);
    }
    void TearDown() override {
        form.reset();
        env::setToday({});
        env::setProgramFolder({});
    }

    void write(const QString &name, const QList<QByteArray> &lines) { sjis::saveLines(data + name, lines); }

    // The usual folder: two charts in range, a not-found date, file.idx, a
    // file that is no chart.
    void prepareFolder() {
        write(QStringLiteral("19950408.txt"), chartLines(5, "A"));
        write(QStringLiteral("19950415.txt"), chartLines(5, "B"));
        write(QStringLiteral("notfound.txt"), {sj("1995年04月22日")});
        write(QStringLiteral("file.idx"),
              {"19950415002\t/music/b2.mp3\t", "19950408003\t/music/a3.mp3\tprint",
               "19950415002\t/music/ignored.mp3\t"});
        write(QStringLiteral("readme.txt"), {"not a chart"});
    }

    void start() {
        startMainWindow(form, options);
        if (HasFatalFailure()) return;
    }

    QString listLabel(int row) { return form->dateList->item(row)->text(); }
    QStringList listLabels() {
        QStringList out;
        for (int i = 0; i < form->dateList->count(); ++i) out << listLabel(i);
        return out;
    }
    void selectRow(int tab, int row) {
        QTableView *v = form->listView(tab);
        v->selectRow(row);
        QApplication::processEvents();
    }
};

TEST_F(MainWindowTest, StartupLoadsTheRangeNewestFirstAndSelectsTheOldestDate) {
    prepareFolder();
    sjis::saveLines(prog.filePath(QStringLiteral("notfound.txt")), {sj("1995年05月06日")});
    start();

    ASSERT_EQ(form->tabCount(), 2);
    EXPECT_EQ(form->tabSheet(0)->objectName(), QStringLiteral("TabSheet1"));
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950415);
    EXPECT_EQ(form->tabSheet(0)->caption(), u8("1995年04月15日"));
    EXPECT_EQ(form->tabSheet(1)->tag(), 19950408);
    EXPECT_EQ(form->activeTab(), 1);

    // Dates in the not-found lists of both folders are left out.
    EXPECT_EQ(listLabels(), QStringList({u8("1995年04月08日"), u8("1995年04月15日"), u8("1995年04月29日"),
                                         u8("1995年05月13日")}));
    EXPECT_EQ(form->dateList->currentRow(), 0);
    EXPECT_TRUE(form->dateList->item(0)->isSelected());
    EXPECT_TRUE(form->dateHasData(0));
    EXPECT_TRUE(form->dateHasData(1));
    EXPECT_FALSE(form->dateHasData(2));
}

TEST_F(MainWindowTest, OnlyTheShownPageGetsAView) {
    // A long history: pages are light until shown.
    QDate d(1995, 4, 8);
    env::setToday(QDate(1996, 6, 1));
    for (int i = 0; i < 60; ++i, d = d.addDays(7))
        write(d.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt"), chartLines(3, "X"));
    start();
    ASSERT_EQ(form->tabCount(), 60);
    const auto views = form->findChildren<QTableView *>();
    ASSERT_EQ(views.size(), 1);
    EXPECT_EQ(views.first()->objectName(), QStringLiteral("ListView60"));
    EXPECT_EQ(views.first()->property("tag").toInt(), 60);

    QTableView *first = form->listView(0);
    EXPECT_EQ(first->objectName(), QStringLiteral("ListView1"));
    EXPECT_EQ(first->parent(), form->tabSheet(0));
    EXPECT_EQ(first->model()->rowCount(), 3);
}

TEST_F(MainWindowTest, RowsCarryTheirFieldsAndAssociationsFromTheIndex) {
    prepareFolder();
    start();
    QTableView *v = form->listView(0);  // 1995-04-15
    const QAbstractItemModel *m = v->model();
    ASSERT_EQ(m->columnCount(), 3);
    EXPECT_EQ(m->headerData(0, Qt::Horizontal).toString(), u8("順位"));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), u8("曲名"));
    EXPECT_EQ(m->headerData(2, Qt::Horizontal).toString(), u8("アーティスト名"));
    EXPECT_EQ(m->index(1, 1).data().toString(), u8("曲B2"));
    // The first file.idx line of a key wins.
    EXPECT_EQ(form->store().tabs.at(0).rows.at(1).file, QByteArray("/music/b2.mp3"));
    EXPECT_TRUE(m->index(1, 0).data(ChartTableModel::AssociatedRole).toBool());
    EXPECT_FALSE(m->index(0, 0).data(ChartTableModel::AssociatedRole).toBool());
    EXPECT_EQ(v->horizontalHeader()->sectionSize(1), 400);
    EXPECT_EQ(v->horizontalHeader()->sectionSize(2), 250);
}

// Counts pixels of a colour inside a row of the rendered view.
int pixelsInRow(QTableView *v, int row, const std::function<bool(QColor)> &match) {
    const QImage img = v->viewport()->grab().toImage();
    const QRect r = v->visualRect(v->model()->index(row, 1)).united(v->visualRect(v->model()->index(row, 2)));
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if (match(img.pixelColor(x, y))) ++n;
    return n;
}

TEST_F(MainWindowTest, AssociatedRowsAreDrawnRedSelectedOrNot) {
    prepareFolder();
    start();
    form->resize(900, 600);
    form->setActiveTab(0);
    QTableView *v = form->listView(0);
    v->resize(800, 300);
    // Red in whatever shade reads on the row's ground (deeper on white,
    // deeper or paler on the highlight).
    auto red = [](QColor c) { return (c.hslHue() <= 8 || c.hslHue() >= 352) && c.hslSaturation() > 150; };
    const QColor hl = v->palette().color(QPalette::Active, QPalette::Highlight);
    auto highlight = [hl](QColor c) { return c == hl; };

    EXPECT_GT(pixelsInRow(v, 1, red), 0);  // associated
    EXPECT_EQ(pixelsInRow(v, 0, red), 0);  // not associated
    v->selectRow(1);
    EXPECT_GT(pixelsInRow(v, 1, red), 0);  // still red when selected
    EXPECT_GT(pixelsInRow(v, 1, highlight), 0);
    v->selectRow(0);
    EXPECT_GT(pixelsInRow(v, 0, highlight), 0);
    EXPECT_EQ(pixelsInRow(v, 0, red), 0);
    // Selection stays visible without focus.
    form->dateList->setFocus();
    EXPECT_GT(pixelsInRow(v, 0, highlight), 0);
}

TEST_F(MainWindowTest, SelectionFeedbackFillsTheStatusBarAndOpenButton) {
    prepareFolder();
    start();
    form->setActiveTab(1);  // 1995-04-08: rank 3 opens with "print"
    selectRow(1, 2);
    EXPECT_TRUE(form->openButton->isEnabled());
    EXPECT_EQ(form->statusPanels->panelText(2), QStringLiteral("/music/a3.mp3"));
    EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("print"));

    form->openButton->click();
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls.at(0).verb, QStringLiteral("print"));
    EXPECT_EQ(fakes.shell.calls.at(0).targets, QStringList{QStringLiteral("/music/a3.mp3")});

    selectRow(1, 0);
    EXPECT_FALSE(form->openButton->isEnabled());
    EXPECT_EQ(form->statusPanels->panelText(2), QString());
    EXPECT_EQ(form->statusPanels->panelText(1), QString());

    // An empty method opens with "open".
    form->setActiveTab(0);
    selectRow(0, 1);
    EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("open"));

    // The buttons follow the page on view: the other page has no selection.
    form->setActiveTab(1);
    QApplication::processEvents();
    form->listView(1)->clearSelection();
    QApplication::processEvents();
    EXPECT_FALSE(form->openButton->isEnabled());
    EXPECT_EQ(form->currentFile(), QString());
    form->setActiveTab(0);
    QApplication::processEvents();
    EXPECT_TRUE(form->openButton->isEnabled());
    EXPECT_EQ(form->currentFile(), QStringLiteral("/music/b2.mp3"));
}

// Counts pixels of a shade in the text area of a date-list entry.
enum class Shade { Black, Gray, White };
int labelPixels(QListWidget *lb, int row, Shade shade) {
    const QImage img = lb->viewport()->grab().toImage();
    const QRect r = lb->visualItemRect(lb->item(row));
    int n = 0;
    for (int y = r.top() + 6; y < r.bottom() - 1; ++y)
        for (int x = r.left() + 20; x < r.right() - 8; ++x)
            if (const QColor c = img.pixelColor(x, y);
                (shade == Shade::Black && c.value() < 60) ||
                (shade == Shade::Gray && c.value() > 110 && c.value() < 150 && c.saturation() < 20) ||
                (shade == Shade::White && c.value() > 252))
                ++n;
    return n;
}

TEST_F(MainWindowTest, DatesWithoutDataAreEngraved) {
    prepareFolder();
    start();
    QListWidget *lb = form->dateList;
    lb->resize(153, 400);
    // Row 1 has data, row 2 (1995-04-29) has none.
    EXPECT_GT(labelPixels(lb, 1, Shade::Black), 0);
    EXPECT_EQ(labelPixels(lb, 1, Shade::White), 0);
    EXPECT_GT(labelPixels(lb, 2, Shade::Gray), 0);
    EXPECT_GT(labelPixels(lb, 2, Shade::White), 0);
    EXPECT_EQ(labelPixels(lb, 2, Shade::Black), 0);
}

TEST_F(MainWindowTest, ClickingALoadedDateShowsItsTab) {
    prepareFolder();
    start();
    ASSERT_EQ(form->activeTab(), 1);
    QListWidget *lb = form->dateList;
    const QRect r = lb->visualItemRect(lb->item(1));  // 1995-04-15
    QTest::mouseClick(lb->viewport(), Qt::LeftButton, {}, r.center());
    EXPECT_EQ(form->activeTab(), 0);
    EXPECT_EQ(lb->currentRow(), 1);

    // Keyboard moves count as clicks too.
    lb->setFocus();
    QTest::keyClick(lb, Qt::Key_Up);
    EXPECT_EQ(form->activeTab(), 1);
}

TEST_F(MainWindowTest, DateMenuActivatesLoadedDatesAndOffersImportOtherwise) {
    prepareFolder();
    start();
    options->dataUrlEdit->setText(
        QStringLiteral("\"http://www.vorq.example/vorq/cddb/countdown\"yyyymmdd\"-j.html\""));
    QListWidget *lb = form->dateList;
    auto rightPress = [&](int row) {
        QTest::mousePress(lb->viewport(), Qt::RightButton, {}, lb->visualItemRect(lb->item(row)).center());
        form->dateMenu->hide();
    };

    rightPress(1);  // loaded
    EXPECT_EQ(form->activeTab(), 0);
    EXPECT_EQ(lb->currentRow(), 1);
    EXPECT_FALSE(form->importAction->isVisible());
    EXPECT_EQ(form->rightClickedIndex(), 1);

    options->importFromWebRadio->setChecked(true);
    rightPress(2);  // not loaded, Web mode
    EXPECT_TRUE(form->importAction->isVisible());
    EXPECT_EQ(lb->currentRow(), 1);  // a right press does not move the selection

    options->noImportRadio->setChecked(true);
    rightPress(2);
    EXPECT_FALSE(form->importAction->isVisible());

    form->openOnlineAction->trigger();
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls.at(0).verb, QStringLiteral("open"));
    EXPECT_EQ(fakes.shell.calls.at(0).targets.value(0),
              QStringLiteral("http://www.vorq.example/vorq/cddb/countdown19950429-j.html"));

    // "取り込み" selects the item and runs the click: the loaded tab shows.
    rightPress(0);
    form->importAction->trigger();
    EXPECT_EQ(form->activeTab(), 1);
    EXPECT_EQ(lb->currentRow(), 0);
}

TEST_F(MainWindowTest, AnAddedChartBecomesTheActivePageAndIsSelected) {
    prepareFolder();
    start();
    const int k = form->addChartTable(QStringLiteral("19950513.txt"), form->tabCount(), chartLines(2, "N"));
    EXPECT_EQ(k, 2);
    ASSERT_EQ(form->tabCount(), 3);
    EXPECT_EQ(form->activeTab(), 2);
    EXPECT_EQ(form->tabSheet(2)->objectName(), QStringLiteral("TabSheet3"));
    EXPECT_EQ(listLabel(form->dateList->currentRow()), u8("1995年05月13日"));
    EXPECT_TRUE(form->dateHasData(form->dateList->currentRow()));

    // A bad line adds no page and leaves the active one alone.
    EXPECT_THROW(form->addChartTable(QStringLiteral("19950506.txt"), form->tabCount(), {"x\tbad\tbad"}),
                 ConvertError);
    EXPECT_EQ(form->tabCount(), 3);
    EXPECT_EQ(form->activeTab(), 2);
}

TEST_F(MainWindowTest, HideNoDataKeepsOnlyLoadedDates) {
    prepareFolder();
    start();
    options->hideNoDataBox->setChecked(true);
    form->buildDateList();
    EXPECT_EQ(listLabels(), QStringList({u8("1995年04月08日"), u8("1995年04月15日")}));
    EXPECT_EQ(form->dateList->currentRow(), 0);
}

TEST_F(MainWindowTest, CloseQuestionCancelNoAndYes) {
    prepareFolder();
    start();
    const QByteArray before = readBytes(data + QStringLiteral("file.idx"));
    form->associationCommands->setFile({1, 0}, "/music/new.mp3");

    fakes.prompter.answers = {QMessageBox::Cancel};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked.at(0).caption, u8("保存の確認"));
    EXPECT_EQ(fakes.prompter.asked.at(0).text, u8("関連付けが更新されていますが、保存しますか?"));
    EXPECT_EQ(fakes.prompter.asked.at(0).buttons, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(form->tabCount(), 2);

    fakes.prompter.answers = {QMessageBox::Yes};
    EXPECT_TRUE(form->close());
    EXPECT_EQ(form->tabCount(), 0);  // disposed after closing
    EXPECT_FALSE(form->associationsDirty());
    // Every line read stays as it was, the shadowed duplicate too; the new
    // key follows, with both TABs.
    EXPECT_EQ(sjis::splitLines(readBytes(data + QStringLiteral("file.idx"))),
              QList<QByteArray>({"19950415002\t/music/b2.mp3\t", "19950408003\t/music/a3.mp3\tprint",
                                 "19950415002\t/music/ignored.mp3\t", "19950408001\t/music/new.mp3\t"}));
    EXPECT_NE(readBytes(data + QStringLiteral("file.idx")), before);
}

TEST_F(MainWindowTest, CloseWithNoLeavesTheIndexAlone) {
    prepareFolder();
    start();
    const QByteArray before = readBytes(data + QStringLiteral("file.idx"));
    form->associationCommands->setFile({0, 0}, "/music/other.mp3");
    fakes.prompter.answers = {QMessageBox::No};
    EXPECT_TRUE(form->close());
    EXPECT_EQ(readBytes(data + QStringLiteral("file.idx")), before);
}

TEST_F(MainWindowTest, CleanCloseAsksNothing) {
    prepareFolder();
    start();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
}

TEST_F(MainWindowTest, StatusBarDoubleClickSavesAndClearsTheMarker) {
    prepareFolder();
    start();
    form->associationCommands->setFile({0, 4}, "/music/b5.mp3");
    QTest::mouseDClick(form->statusPanels, Qt::LeftButton, {},
                       form->statusPanels->panel(2)->geometry().center());
    EXPECT_FALSE(form->associationsDirty());
    EXPECT_TRUE(sjis::splitLines(readBytes(data + QStringLiteral("file.idx")))
                    .contains(QByteArray("19950415005\t/music/b5.mp3\t")));

    // Without changes a double click writes nothing.
    QFile::remove(data + QStringLiteral("file.idx"));
    QTest::mouseDClick(form->statusPanels, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_FALSE(QFile::exists(data + QStringLiteral("file.idx")));
}

TEST_F(MainWindowTest, AFailedSaveShowsTheErrorAndKeepsTheMarker) {
    prepareFolder();
    start();
    // A folder in the way of file.idx makes every write fail, root or not.
    const QString idx = data + QStringLiteral("file.idx");
    QFile::remove(idx);
    ASSERT_TRUE(QDir().mkpath(idx + QStringLiteral("/keep")));
    form->associationCommands->setFile({0, 4}, "/music/b5.mp3");
    form->onStatusBarDoubleClicked();
    EXPECT_EQ(fakes.prompter.errors().size(), 1);
    EXPECT_TRUE(form->associationsDirty());
    EXPECT_TRUE(QFileInfo(idx + QStringLiteral("/keep")).isDir());

    // At the close, a failed save keeps the window open: nothing is lost.
    fakes.prompter.answers = {QMessageBox::Yes};
    EXPECT_FALSE(form->close());
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->tabCount(), 2);
    EXPECT_EQ(form->store().tabs.at(0).rows.at(4).file, QByteArray("/music/b5.mp3"));
}

TEST_F(MainWindowTest, ABadChartLineStopsTheLoadButKeepsEarlierTabsAndTheDateList) {
    write(QStringLiteral("19950415.txt"), chartLines(3, "B"));
    write(QStringLiteral("19950408.txt"), {"1\tok\tok", "x\tbad\tbad"});
    start();
    EXPECT_EQ(fakes.prompter.errors().size(), 1);
    EXPECT_EQ(form->tabCount(), 1);
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950415);
    EXPECT_EQ(form->dateList->count(), 6);
    EXPECT_EQ(form->dateList->currentRow(), 1);
    EXPECT_FALSE(QApplication::overrideCursor());
    EXPECT_TRUE(form->updatesEnabled());
}

TEST_F(MainWindowTest, DisposeAllTabsAndReloadAWiderRange) {
    prepareFolder();
    write(QStringLiteral("19950513.txt"), chartLines(2, "C"));
    start();
    ASSERT_EQ(form->tabCount(), 3);
    form->disposeAllTabs();
    EXPECT_EQ(form->tabCount(), 0);
    EXPECT_TRUE(form->findChildren<DatePage *>().isEmpty());
    EXPECT_TRUE(form->findChildren<QTableView *>().isEmpty());
    EXPECT_TRUE(form->store().tabs.isEmpty());
    EXPECT_FALSE(form->dateHasData(0));

    // The range of the options dialog decides what loads.
    options->dateStartBox->setCurrentIndex(1);  // from 1995-04-15
    options->dateEndBox->setCurrentIndex(1);
    form->fullLoad();
    form->buildDateList();
    ASSERT_EQ(form->tabCount(), 1);
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950415);
    EXPECT_EQ(listLabels(), QStringList({u8("1995年04月15日")}));
}

TEST_F(MainWindowTest, AutoQuitStillAsksToSaveChangedAssociations) {
    prepareFolder();
    form = std::make_unique<MainWindow>();
    options = new OptionsDialog(form.get());
    form->setOptions(options);
    QObject::connect(form.get(), &MainWindow::startupFinished, form.get(), [] {});
    form->show();
    // The automation reads the boxes at the first activation, after show.
    options->autoQuitBox->setChecked(true);
    form->markChanged();
    fakes.prompter.answers = {QMessageBox::No};
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }, 5000));
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked.at(0).caption, u8("保存の確認"));
}

TEST_F(MainWindowTest, ImportMissingDatesWithNothingMissingSaysSo) {
    write(QStringLiteral("19950408.txt"), chartLines(1, "A"));
    start();
    options->hideNoDataBox->setChecked(true);
    form->buildDateList();
    form->importMissingDates();
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked.at(0).caption, u8("一括で取得"));
    EXPECT_EQ(fakes.prompter.asked.at(0).text, u8("すべて取得されています。"));
}

TEST_F(MainWindowTest, LayoutCaptionsAndHints) {
    start();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("VORQ data viewer"));
    EXPECT_EQ(form->dateList->width(), 153);
    // The offscreen screen's 800 pixels cannot hold the buttons in one row:
    // a second row keeps them inside it.
    const int screenWidth = form->screen()->availableGeometry().width();
    EXPECT_LE(form->width(), screenWidth);
    EXPECT_LE(form->aboutButton->mapTo(form.get(), QPoint(form->aboutButton->width(), 0)).x(), screenWidth);
    EXPECT_EQ(form->openButton->text(), u8("開く"));
    EXPECT_EQ(form->openButton->toolTip(), u8("関連付けられたファイルを起動します"));
    EXPECT_FALSE(form->openButton->isEnabled());
    EXPECT_FALSE(form->clearButton->isEnabled());
    EXPECT_EQ(form->optionsButton->toolTip(), u8("諸設定"));
    EXPECT_EQ(form->makePlaylistButton->toolTip(), u8("プレイリストを作成します"));
    EXPECT_EQ(form->autoUpdateButton->toolTip(), u8("関連付けを自動更新します"));
    EXPECT_EQ(form->statusPanels->panel(2)->width(), 500);
    EXPECT_EQ(form->openOnlineAction->text(), u8("オンラインで開く"));
    EXPECT_EQ(form->importAction->text(), u8("取り込み"));
    EXPECT_EQ(form->connectionTimer->interval(), 100);
    EXPECT_FALSE(form->connectionTimer->isActive());
    form->setAssociationEditingVisible(false);
    EXPECT_TRUE(form->clearButton->isHidden());
    EXPECT_TRUE(form->autoUpdateButton->isHidden());
}

}  // namespace

namespace {

TEST_F(MainWindowTest, OptionsOkWithANewRangeReloadsAndTheExitSavesIt) {
    prepareFolder();
    write(QStringLiteral("19950513.txt"), chartLines(2, "C"));
    start();
    ASSERT_EQ(form->tabCount(), 3);

    // The user picks 1995-04-15 as the first date and presses OK.
    QTimer::singleShot(0, options, [this] {
        options->dateStartBox->setCurrentIndex(1);
        EXPECT_TRUE(options->applyButton->isEnabled());
        options->okButton->click();
    });
    form->optionsButton->click();
    ASSERT_EQ(form->tabCount(), 2);
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950513);
    EXPECT_EQ(form->tabSheet(1)->tag(), 19950415);
    EXPECT_EQ(listLabel(0), u8("1995年04月15日"));
    EXPECT_EQ(form->dateList->currentRow(), 0);

    // Nothing reached the disk yet; closing the window saves the range.
    const QString settings = sjis::path(env::programFolder() + env::programBaseName() + ".ini");
    EXPECT_FALSE(QFile::exists(settings));
    form->quitButton->click();
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(readBytes(settings).contains(QByteArray("DateStart=" + sj("1995年04月15日") + "\r\n")));
    EXPECT_EQ(form->tabCount(), 0);
}

TEST_F(MainWindowTest, StoredMethodsAndMediumPathsOpenNothingOutsideTheTable) {
    // A disc: autorun.inf in the folder above the program; a file beside it.
    QDir(prog.path()).mkpath(QStringLiteral("bin"));
    env::setProgramFolder(sjis::fromUnicode(prog.filePath(QStringLiteral("bin/"))));
    sjis::saveLines(prog.filePath(QStringLiteral("autorun.inf")), {"[autorun]"});
    const QString victim = prog.filePath(QStringLiteral("victim.mp3"));
    sjis::saveLines(victim, {"ID3"});
    write(QStringLiteral("19950408.txt"), chartLines(3, "A"));
    write(QStringLiteral("file.idx"),
          {"19950408001\t" + sjis::fromUnicode(victim) + "\tRM", "19950408002\t\\..\\..\\etc\\passwd\topen",
           "19950408003\t\\victim.mp3\tPlay"});
    start();
    selectRow(0, 0);
    EXPECT_EQ(form->statusPanels->panelText(1), QStringLiteral("RM"));     // as stored
    EXPECT_EQ(form->statusPanels->panel(2)->textFormat(), Qt::PlainText);  // stored text is never markup
    form->openButton->click();
    EXPECT_TRUE(fakes.shell.ran.isEmpty());
    ASSERT_EQ(fakes.prompter.errors().size(), 1);
    EXPECT_TRUE(fakes.prompter.errors().at(0).text.contains(QString::fromUtf8("「RM」")));
    EXPECT_TRUE(QFile::exists(victim));

    selectRow(0, 1);  // leaves the medium: refused as not existing
    EXPECT_EQ(form->statusPanels->panelText(2), QStringLiteral("\\..\\..\\etc\\passwd"));
    form->openButton->click();
    EXPECT_TRUE(fakes.shell.ran.isEmpty());
    ASSERT_FALSE(fakes.prompter.asked.isEmpty());
    EXPECT_EQ(fakes.prompter.asked.last().caption, QString::fromUtf8("ファイルが見つかりません"));

    selectRow(0, 2);  // on the medium: opens the file there
    form->openButton->click();
    ASSERT_EQ(fakes.shell.ran.size(), 1);
    EXPECT_EQ(fakes.shell.ran.at(0).targets.value(0), QFileInfo(victim).canonicalFilePath());
}

}  // namespace
