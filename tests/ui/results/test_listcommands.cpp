// The list commands as a user drives them: the main window's print, save
// and search buttons, and the result window's save, playlist, copy and
// drag-out, with scripted dialogs and a recording shell.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"
#include "ui/results/resultlistview.h"
#include "ui/results/resultlistwindow.h"
#include "ui/results/searchdialog.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A prompter whose print dialog sends the job to a PDF file.
class PdfPrompter : public vorq::test::FakePrompter {
public:
    QString pdf;
    bool print(QWidget *w, QPrinter *printer) override {
        const bool ok = FakePrompter::print(w, printer);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(pdf);
        return ok;
    }
};

class ListCommandsTest : public ::testing::Test {
protected:
    QTemporaryDir home, prog;
    ScopedFakes fakes;
    PdfPrompter pdfPrompter;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    QString data;

    void SetUp() override {
        ASSERT_TRUE(home.isValid() && prog.isValid());
        useScratchFolders(home, prog, QDate(1995, 5, 20));
        data = scratchDataFolder();
        pdfPrompter.pdf = home.filePath(QStringLiteral("out.pdf"));
    }
    void TearDown() override {
        form.reset();
        env::setToday({});
        env::setProgramFolder({});
    }
    void charts() {
        sjis::saveLines(data + QStringLiteral("19950408.txt"),
                        {"1\t" + sj("恋の歌") + "\tA", "2\tSolo\tB", "3\t" + sj("恋の歌") + "\tC"});
        sjis::saveLines(data + QStringLiteral("19950415.txt"), {"1\t" + sj("恋の歌") + "\tA", "2\tOther\tB"});
        sjis::saveLines(data + QStringLiteral("file.idx"), {"19950415001\t/m/koi.mp3\t"});
    }
    void start() { startMainWindow(form, options); }
    ResultListWindow *results() { return form->resultWindow(); }
    // Answers the modal window that is about to open with a click.
    static void clickWhenShown(QPushButton *b) {
        QTimer::singleShot(0, b, [b] { b->click(); });
    }
};

TEST_F(ListCommandsTest, PrintAndSaveNeedAChartAndSaveTheOneOnView) {
    start();
    EXPECT_FALSE(form->printButton->isEnabled());
    EXPECT_FALSE(form->saveListButton->isEnabled());
    form.reset();
    charts();
    start();
    ASSERT_TRUE(form->printButton->isEnabled());
    ASSERT_EQ(form->activeTab(), 1);  // the oldest date, 1995-04-08, is on view
    const QString file = home.filePath(QStringLiteral("list.txt"));
    fakes.prompter.files = {QString(), file};
    form->saveListButton->click();  // cancelled
    EXPECT_FALSE(QFile::exists(file));
    options->listMethodBox->setChecked(true);
    form->saveListButton->click();
    EXPECT_EQ(fakes.prompter.asked.last().text, u8("1995年04月08日"));
    EXPECT_EQ(
        readBytes(file),
        sj("順位\t曲名\tアーティスト名\t起動ファイル名\tコマンド\r\n1\t恋の歌\tA\t\t\r\n2\tSolo\tB\t\t\r\n"
           "3\t恋の歌\tC\t\t\r\n"));
}

TEST_F(ListCommandsTest, PrintGoesThroughThePrintDialogAndNothingWhenCancelled) {
    charts();
    start();
    setPrompter(&pdfPrompter);
    pdfPrompter.printAnswer = false;
    form->printButton->click();
    EXPECT_FALSE(QFile::exists(pdfPrompter.pdf));
    pdfPrompter.printAnswer = true;
    form->printButton->click();
    EXPECT_TRUE(pdfPrompter.errors().isEmpty());
    EXPECT_GT(QFileInfo(pdfPrompter.pdf).size(), 0);
    setPrompter(&fakes.prompter);
}

TEST_F(ListCommandsTest, SearchFromASelectedRowAndWithNoneAndCancel) {
    charts();
    start();
    SearchDialog *d = form->searchDialog();
    ASSERT_EQ(d->objectName(), QStringLiteral("Form5"));
    EXPECT_EQ(d->artistEdit->text(), QStringLiteral("*"));

    // No selection: the dialog keeps its contents; "恋" finds three rows.
    d->titleEdit->setText(u8("恋"));
    clickWhenShown(d->startButton);
    QTimer::singleShot(50, results()->closeButton, [this] {
        EXPECT_EQ(results()->layoutMode(), ResultListWindow::Search);
        EXPECT_EQ(results()->closeButton->text(), u8("閉じる"));
        results()->closeButton->click();
    });
    form->searchButton->click();
    EXPECT_EQ(results()->rowCount(), 3);
    EXPECT_EQ(results()->headerText(),
              u8("曲名:\"「恋」を含む\", \r\nアーティスト名:\"「(指定しない)」を含む\"で\r\n"
                 "検索した結果は次の通りです。"));
    EXPECT_EQ(results()->layoutMode(), ResultListWindow::SameSong);  // restored
    EXPECT_TRUE(results()->selectedRows().isEmpty());

    // Cancel leaves the previous result alone.
    clickWhenShown(d->cancelButton);
    form->searchButton->click();
    EXPECT_EQ(results()->rowCount(), 3);

    // From the selected row "Solo"/"B": exact mode, its own row selected, and
    // the single-result line.
    form->listView(1)->selectRow(1);
    QApplication::processEvents();
    clickWhenShown(d->startButton);
    QString header;
    QList<int> selected;
    QTimer::singleShot(50, results()->closeButton, [&] {
        header = results()->headerText();
        selected = results()->selectedRows();
        results()->closeButton->click();
    });
    form->searchButton->click();
    EXPECT_EQ(d->titleEdit->text(), QStringLiteral("Solo"));
    EXPECT_EQ(d->artistEdit->text(), QStringLiteral("B"));
    EXPECT_TRUE(d->exactBox->isChecked());
    EXPECT_EQ(results()->rowCount(), 1);
    EXPECT_EQ(selected, QList<int>({0}));
    EXPECT_TRUE(header.endsWith(u8("検索した結果は次の通りです。\r\n同名の項目は見つかりませんでした。")));
}

TEST_F(ListCommandsTest, SearchFromARowWhoseCodesDoNotRoundTripFindsThatRow) {
    // NEC row 13, NEC-selected IBM and IBM codes decode to characters that
    // encode back to other codes.
    const QByteArray title("\x87\x90\xED\x40\xFA\x40", 6);
    sjis::saveLines(data + QStringLiteral("19950408.txt"), {"1\t" + title + "\t\x87\x9C", "2\tSolo\tB"});
    start();
    form->listView(0)->selectRow(0);
    QApplication::processEvents();
    clickWhenShown(form->searchDialog()->startButton);
    QTimer::singleShot(50, results()->closeButton, [this] { results()->closeButton->click(); });
    form->searchButton->click();
    ASSERT_EQ(results()->rowCount(), 1);
    EXPECT_EQ(results()->selectedRows(), QList<int>({0}));
}

TEST_F(ListCommandsTest, SearchButtonDoesNothingWithNoChartLoaded) {
    start();
    form->searchButton->click();  // no dialog shown: it would block here
    EXPECT_EQ(results()->rowCount(), 0);
}

ResultRow fileRow(const char *date, const char *rank, const QString &file) {
    ResultRow r;
    r.texts = {sj(date), rank, "T", "A", sjis::fromUnicode(file), {}, "1", "0"};
    return r;
}

TEST_F(ListCommandsTest, ResultWindowSavesPlaylistsCopiesAndAsksForFiles) {
    ResultListWindow w;
    w.setLayoutMode(ResultListWindow::Playlist);
    const QString a = home.filePath(QStringLiteral("a.mp3")), b = home.filePath(QStringLiteral("b.mp3"));
    w.setRows({fileRow("1995年04月08日", "1", a), fileRow("1995年04月08日", "2", {}),
               fileRow("1995年04月15日", "1", a), fileRow("1995年04月15日", "2", b)});
    w.setSongCount(5);
    const QString m3u = home.filePath(QStringLiteral("list.m3u"));
    fakes.prompter.files = {m3u};
    w.savePlaylistButton->click();
    const QByteArray A = sjis::fromUnicode(a), B = sjis::fromUnicode(b);
    EXPECT_EQ(readBytes(m3u), A + "\r\n" + A + "\r\n" + B + "\r\n" + A + "\r\n" + A + "\r\n");

    const QString target = home.filePath(QStringLiteral("copy"));
    QDir().mkpath(target);
    fakes.prompter.files = {target};
    w.copyButton->click();
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls.at(0).targets, QStringList({a, b}));  // each file once
    EXPECT_EQ(fakes.prompter.asked.last().caption, u8("ファイルをファイルリストとともにコピーします。"));
    const QByteArray t = sjis::fromUnicode(target);
    EXPECT_EQ(readBytes(target + QStringLiteral("/filelist.m3u")), t + "/a.mp3\r\n" + t + "/b.mp3\r\n");

    // Print and save take the song count in this layout: 5 of 4 rows repeat.
    const QString txt = home.filePath(QStringLiteral("list.txt"));
    fakes.prompter.files = {txt};
    w.saveButton->click();
    EXPECT_EQ(fakes.prompter.asked.last().text, u8("曲目リスト 1995-05-20.txt"));
    EXPECT_EQ(readBytes(txt).count("\r\n"), 6);

    // No associated file: the message for both commands, nothing written.
    w.setRows({fileRow("1995年04月08日", "1", {})});
    fakes.prompter.asked.clear();
    w.savePlaylistButton->click();
    w.copyButton->click();
    ASSERT_EQ(fakes.prompter.asked.size(), 2);
    EXPECT_EQ(fakes.prompter.asked.at(1).text, u8("関連付けされたファイルがありません。"));
    EXPECT_EQ(fakes.prompter.asked.at(1).caption, u8("保存できません"));
}

TEST_F(ListCommandsTest, CopyWritesFilelistM3u8BesideTheDesignedListOnlyWhenTheSettingAsks) {
    ResultListWindow w;
    w.setLayoutMode(ResultListWindow::Playlist);
    const QString a = home.filePath(QStringLiteral("a.mp3")), b = home.filePath(QStringLiteral("b.mp3"));
    w.setRows({fileRow("1995年04月08日", "1", a), fileRow("1995年04月15日", "2", b)});
    w.setSongCount(3);
    const QString target = home.filePath(QStringLiteral("copy"));
    QDir().mkpath(target);
    fakes.prompter.files = {target};
    w.copyButton->click();
    EXPECT_TRUE(QFile::exists(target + QStringLiteral("/filelist.m3u")));
    EXPECT_FALSE(QFile::exists(target + QStringLiteral("/filelist.m3u8")));

    const QByteArray folder = GetUserSettingsFolder();
    QDir().mkpath(sjis::path(folder));
    sjis::saveLines(sjis::path(folder + env::programBaseName() + ".ini"), {"[OutputList]", "AlsoM3u8=1"});
    fakes.prompter.files = {target};
    w.copyButton->click();
    const QByteArray t = sjis::fromUnicode(target);
    EXPECT_EQ(readBytes(target + QStringLiteral("/filelist.m3u")), t + "/a.mp3\r\n" + t + "/b.mp3\r\n");
    // Relative to the copy, so the folder plays wherever it is moved.
    EXPECT_EQ(readBytes(target + QStringLiteral("/filelist.m3u8")),
              "#EXTM3U\n#EXTINF:-1,A - T\na.mp3\n#EXTINF:-1,A - T\nb.mp3\n");
}

void sendMouse(QWidget *w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons) {
    QMouseEvent e(type, QPointF(pos), w->mapToGlobal(QPointF(pos)), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

TEST_F(ListCommandsTest, DragStartsAtTenPixelsWithLocalFilesUpToTheFirstMissingOne) {
    ResultListWindow w;
    const QString a = home.filePath(QStringLiteral("a.mp3")), c = home.filePath(QStringLiteral("c.mp3"));
    for (const QString &f : {a, c}) {
        QFile file(f);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    w.setRows({fileRow("d", "1", QStringLiteral("http://example/x")), fileRow("d", "2", a),
               fileRow("d", "3", home.filePath(QStringLiteral("missing.mp3"))), fileRow("d", "4", c)});
    w.show();
    QWidget *vp = w.listView->viewport();
    for (int r = 0; r < 4; ++r) w.selectRow(r);
    const QPoint press = w.listView->visualRect(w.listView->model()->index(1, 1)).center();
    sendMouse(vp, QEvent::MouseButtonPress, press, Qt::LeftButton, Qt::LeftButton);
    for (int r = 0; r < 4; ++r) w.selectRow(r);  // the press selected one row
    sendMouse(vp, QEvent::MouseMove, press + QPoint(9, 0), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(fakes.shell.calls.isEmpty());
    sendMouse(vp, QEvent::MouseMove, press + QPoint(0, 10), Qt::NoButton, Qt::LeftButton);
    ASSERT_EQ(fakes.shell.calls.size(), 1);
    EXPECT_EQ(fakes.shell.calls.at(0).op, QStringLiteral("drag"));
    EXPECT_EQ(fakes.shell.calls.at(0).targets, QStringList({a}));  // no address; stops at the missing file
    EXPECT_FALSE(w.listView->dragInProgress());
    sendMouse(vp, QEvent::MouseButtonRelease, press, Qt::LeftButton, Qt::NoButton);

    // The right button offers the same files in the context menu.
    sendMouse(vp, QEvent::MouseButtonPress, press, Qt::RightButton, Qt::RightButton);
    ASSERT_EQ(fakes.shell.calls.size(), 2);
    EXPECT_EQ(fakes.shell.calls.at(1).op, QStringLiteral("menu"));
}

}  // namespace
