// The import driver in the main window against the local chart site: the
// date-list click in every mode, the bulk download dialog, cancel, the
// confirmation dialog, missing pages and the options dialog's bulk button.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "chartsite.h"
#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "fakeclock.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/import/bulkdownloaddialog.h"
#include "ui/import/importhost.h"
#include "ui/import/importresultdialog.h"
#include "ui/mainwindow/mainwindow.h"
#include "ui/options/optionsdialog.h"

using namespace vorq;
using vorq::test::ChartSite;
using vorq::test::ScopedFakes;

namespace {

class ImportWindowTest : public ScratchWindowTest {
protected:
    ScopedFakes fakes;
    std::unique_ptr<ChartSite> site;
    QString data;

    void startSite(ChartSite::Options o = {}) {
        site = std::make_unique<ChartSite>(o);
        ASSERT_TRUE(site->start());
    }
    void start() {
        startMainWindow(form, options);
        if (HasFatalFailure()) return;
        data = sjis::toUnicode(form->store().dataFolder);
        if (site) options->dataUrlEdit->setText(QString::fromLatin1(site->urlTemplate()));
        options->pageDelaySpin->setValue(0);  // the local site needs no pause
    }
    void click(int row) {
        form->dateList->setCurrentRow(row);
        form->onDateListClicked();
    }
    // Runs f on the import result dialog once it is shown modally.
    void whenForm6(std::function<void(ImportResultDialog *)> f) {
        auto *poll = new QTimer;
        QObject::connect(poll, &QTimer::timeout, [poll, f] {
            if (auto *dlg = qobject_cast<ImportResultDialog *>(QApplication::activeModalWidget())) {
                poll->stop();
                poll->deleteLater();
                f(dlg);
            }
        });
        poll->start(5);
    }
    bool fileExists(const char *name) { return QFile::exists(data + QLatin1String(name)); }
};

}  // namespace

TEST_F(ImportWindowTest, WebClickImportsTheDateThroughTheBulkDialog) {
    startSite();
    start();
    ASSERT_EQ(form->dateList->count(), 6);
    ASSERT_EQ(form->tabCount(), 0);
    bool sawDialog = false, busy = false;
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        if (BulkDownloadDialog *d = currentBulkDialog(form.get())) {
            sawDialog = sawDialog || d->isVisible();
            busy = busy || !form->dateList->isEnabled();
        }
    });
    probe.start(1);
    form->dateList->setFocus();  // as with Enter on the date
    click(rowOf("1995年04月15日"));
    probe.stop();
    EXPECT_TRUE(sawDialog);
    EXPECT_EQ(form->focusWidget(), form->dateList);     // the keys stay on the dates
    EXPECT_EQ(currentBulkDialog(form.get()), nullptr);  // released after the run
    ASSERT_EQ(form->tabCount(), 1);
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950415);
    EXPECT_EQ(form->store().tabs[0].rows.size(), 100);
    EXPECT_TRUE(fileExists("19950415.txt"));
    EXPECT_EQ(form->dateList->currentItem()->text(), QStringLiteral("1995年04月15日"));
    EXPECT_TRUE(form->dateList->isEnabled());
    EXPECT_FALSE(form->connectionTimer->isActive());
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());

    // A second click on the loaded date only shows it: nothing is fetched.
    const int requests = site->requests();
    click(rowOf("1995年04月15日"));
    EXPECT_EQ(site->requests(), requests);
    EXPECT_EQ(form->tabCount(), 1);
}

TEST_F(ImportWindowTest, MissingPageAskedAndRecordedRemovesTheDate) {
    ChartSite::Options o;
    o.missing = {QDate(1995, 4, 22)};
    startSite(o);
    start();
    options->ignoreErrorBox->setChecked(false);  // IgnoreError off: ask
    fakes.prompter.answers.push_back(QMessageBox::Yes);
    click(rowOf("1995年04月22日"));
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked[0].caption, QStringLiteral("Not Found"));
    EXPECT_EQ(fakes.prompter.asked[0].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(fakes.prompter.asked[0].text,
              QStringLiteral("1995年04月22日のデータは見つかりませんでした。\r\n"
                             "その日は放送がなかったのかも知れません。\r\n"
                             "今後その日付を表示しないようにしますか?"));
    EXPECT_EQ(sjis::readLines(data + QStringLiteral("notfound.txt")),
              QList<QByteArray>{sj("1995年04月22日")});
    EXPECT_EQ(rowOf("1995年04月22日"), -1);
    EXPECT_EQ(form->tabCount(), 0);
}

TEST_F(ImportWindowTest, MissingPageOfThisWeekOnlyTellsTheUser) {
    ChartSite::Options o;
    o.last = QDate(1995, 5, 6);
    startSite(o);
    start();
    options->ignoreErrorBox->setChecked(false);
    click(rowOf("1995年05月13日"));  // two days before today
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(fakes.prompter.asked[0].caption, QStringLiteral("Not Found"));
    EXPECT_EQ(fakes.prompter.asked[0].text,
              QStringLiteral("1995年05月13日のデータは見つかりませんでした。\r\n"
                             "今週は放送がなかったのか、\r\n"
                             "まだ掲載されていないようです。\r\n"
                             "もうしばらく待ってみてください。\r\n"
                             "(最新の週なので、放送のなかった日としては記録しません。)"));
    EXPECT_FALSE(fileExists("notfound.txt"));
    EXPECT_NE(rowOf("1995年05月13日"), -1);
}

TEST_F(ImportWindowTest, CancelDuringAFetchEndsTheRun) {
    ChartSite::Options o;
    o.delayMs = 400;
    startSite(o);
    start();
    // Cancel once the first request has reached the site (on a loaded machine the
    // dialog can show before it does); connectionTimer closes the socket on its
    // next tick and no further date is fetched.
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] {
        BulkDownloadDialog *d = currentBulkDialog(form.get());
        if (d && d->isVisible() && !d->cancelled() && site->requests() > 0)
            QTest::mouseClick(d->cancelButton, Qt::LeftButton);
    });
    // Read right after each connectionTimer tick (connected after the window's own
    // handler, so it runs after it).
    QString stateText;
    QObject::connect(form->connectionTimer, &QTimer::timeout, &probe, [&] {
        if (stateText.isEmpty()) stateText = form->statusPanels->panelText(3);
    });
    probe.start(5);
    QElapsedTimer clock;
    clock.start();
    importMissingDates(form.get());
    probe.stop();
    EXPECT_LT(clock.elapsed(), 400);
    // connectionTimer showed the connection state in the fourth panel.
    const QStringList states{QStringLiteral("接続中です"), QStringLiteral("接続しました"),
                             QStringLiteral("ホストを探しています"), QStringLiteral("読み込み中です")};
    EXPECT_TRUE(states.contains(stateText)) << stateText.toStdString();
    EXPECT_EQ(site->requests(), 1);
    EXPECT_EQ(form->tabCount(), 0);
    EXPECT_TRUE(fakes.prompter.errors().isEmpty());
    EXPECT_TRUE(form->dateList->isEnabled());
}

TEST_F(ImportWindowTest, FailedFetchesAreShownAndTheRunGoesOn) {
    startSite();
    start();
    site->close();                           // refused from now on
    options->useProxyBox->setChecked(true);  // through a "proxy": the closed site
    options->proxyAddressEdit->setText(QStringLiteral("127.0.0.1"));
    options->proxyPortEdit->setText(QString::number(site->serverPort()));
    test::FakeClock clock;
    QStringList statusLines;  // the bulk dialog's status line during each wait
    clock.duringWait = [&] { statusLines << currentBulkDialog(form.get())->statusLabel->toolTip(); };
    setImportClock(form.get(), &clock);
    importDateList(form.get(),
                   {QString::number(rowOf("1995年04月15日")), QString::number(rowOf("1995年04月08日"))});
    // Each date tried four times; no box holds the run, one summary ends it.
    EXPECT_EQ(clock.waits.size(), 3 + 3);  // the backoffs (no pause set)
    EXPECT_TRUE(fakes.prompter.errors().isEmpty());
    ASSERT_EQ(statusLines.size(), 6);
    EXPECT_TRUE(statusLines[2].startsWith(QStringLiteral("再試行 3/3 (")));
    EXPECT_TRUE(statusLines[2].endsWith(
        QStringLiteral("秒後): エラーコード : 111 サーバーに接続できませんでした。")));
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    const QString summary = fakes.prompter.asked.first().text;
    EXPECT_TRUE(summary.contains(
        QStringLiteral("1995年04月15日: エラーコード : 111 サーバーに接続できませんでした。")))
        << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("1995年04月08日: ")));
    EXPECT_EQ(form->tabCount(), 0);
    EXPECT_EQ(currentBulkDialog(form.get()), nullptr);
    EXPECT_TRUE(form->dateList->isEnabled());

    // A proxy port that is not a number ends the run with the error shown.
    options->proxyPortEdit->setText(QStringLiteral("80x"));
    importDateList(form.get(), {QString::number(rowOf("1995年04月15日"))});
    EXPECT_EQ(fakes.prompter.errors().size(), 1);
    setImportClock(form.get(), nullptr);
    EXPECT_TRUE(form->dateList->isEnabled());
    EXPECT_FALSE(form->connectionTimer->isActive());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ImportWindowTest, ConfirmationDialogEditsAreStored) {
    startSite();
    start();
    options->confirmDataBox->setChecked(true);  // ConfirmData
    whenForm6([&](ImportResultDialog *dlg) {
        EXPECT_EQ(dlg->windowTitle(),
                  QStringLiteral("取り込み結果---これでよければ「取り込み」ボタンを押してください"));
        EXPECT_EQ(dlg->gridTable->columnCount(), 3);
        EXPECT_EQ(dlg->gridTable->rowCount(), 100);
        EXPECT_EQ(dlg->gridTable->horizontalHeaderItem(1)->text(), QStringLiteral("曲名"));
        dlg->gridTable->item(0, 1)->setText(QStringLiteral("直した曲名"));
        // 保存... writes every row, the header included, and stays open.
        const QString saved = home.filePath(QStringLiteral("grid.txt"));
        fakes.prompter.files.push_back(saved);
        QTest::mouseClick(dlg->saveButton, Qt::LeftButton);
        const QList<QByteArray> lines = sjis::readLines(saved);
        EXPECT_EQ(lines.size(), 101);
        EXPECT_EQ(lines.value(0), sj("順位\t曲名\tアーティスト"));
        EXPECT_TRUE(dlg->isVisible());
        QTest::mouseClick(dlg->importButton, Qt::LeftButton);
    });
    click(rowOf("1995年04月08日"));
    ASSERT_EQ(form->tabCount(), 1);
    const QList<QByteArray> lines = sjis::readLines(data + QStringLiteral("19950408.txt"));
    ASSERT_EQ(lines.size(), 100);
    EXPECT_EQ(lines[0].split('\t').value(1), sj("直した曲名"));

    // "中止" drops the chart.
    whenForm6([](ImportResultDialog *dlg) { QTest::mouseClick(dlg->cancelButton, Qt::LeftButton); });
    click(rowOf("1995年04月15日"));
    EXPECT_EQ(form->tabCount(), 1);
    EXPECT_FALSE(fileExists("19950415.txt"));
}

TEST_F(ImportWindowTest, TextModeTakesTheDateFromTheChosenFile) {
    start();
    options->importFromTextRadio->setChecked(true);
    const QString chosen = home.filePath(QStringLiteral("19950506.txt"));
    sjis::saveLines(chosen, {"1\tSong\tArtist", "2\tOther\tSomeone"});
    fakes.prompter.files.push_back(chosen);
    click(rowOf("1995年04月08日"));
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked[0].text, QStringLiteral("1995年04月08日.txt"));  // proposed name
    ASSERT_EQ(form->tabCount(), 1);
    EXPECT_EQ(form->tabSheet(0)->tag(), 19950506);
    EXPECT_EQ(form->dateList->currentItem()->text(), QStringLiteral("1995年05月06日"));

    // None mode changes nothing but the selection.
    options->noImportRadio->setChecked(true);
    click(rowOf("1995年04月15日"));
    EXPECT_EQ(form->tabCount(), 1);
    EXPECT_EQ(fakes.prompter.asked.size(), 1);
}

TEST_F(ImportWindowTest, OptionsBulkButtonImportsEveryMissingDate) {
    ChartSite::Options o;
    o.missing = {QDate(1995, 4, 29)};
    startSite(o);
    start();
    QTest::mouseClick(options->importAllButton, Qt::LeftButton);
    EXPECT_EQ(form->tabCount(), 5);
    EXPECT_EQ(rowOf("1995年04月29日"), -1);  // recorded silently (IgnoreError)
    EXPECT_EQ(site->requests(), 6);
    // One summary ends the run, above the options dialog.
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_EQ(fakes.prompter.asked[0].caption, QStringLiteral("一括で取得"));
    EXPECT_TRUE(fakes.prompter.asked[0].text.contains(
        QStringLiteral("取り込んだ日付: 5 件\r\n見つからなかった日付: 1 件\r\n"
                       "  1995年04月29日 (放送のなかった日として記録しました)\r\n")))
        << fakes.prompter.asked[0].text.toStdString();
    // Nothing left: the message says so.
    QTest::mouseClick(options->importAllButton, Qt::LeftButton);
    ASSERT_EQ(fakes.prompter.asked.size(), 2);
    EXPECT_EQ(fakes.prompter.asked[1].caption, QStringLiteral("一括で取得"));
    EXPECT_EQ(fakes.prompter.asked[1].text, QStringLiteral("すべて取得されています。"));
}

TEST_F(ImportWindowTest, AutomaticImportAtFirstActivation) {
    startSite();
    // AutoRun/ImportData on in the user's settings file: the first
    // activation imports every missing date, newest first.
    const QByteArray folder = GetUserSettingsFolder();
    QDir().mkpath(sjis::path(folder));
    // With AutoQuit too: nobody watches, so no summary box waits for a click.
    sjis::saveLines(sjis::path(folder + env::programBaseName() + ".ini"),
                    {"[AutoRun]", "ImportData=1", "AutoQuit=1", "[Web]", "URL_Data=" + site->urlTemplate(),
                     "PageDelay=0"});
    start();
    EXPECT_TRUE(options->autoRunImportBox->isChecked());
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    EXPECT_TRUE(fileExists("19950513.txt") && fileExists("19950408.txt"));
    EXPECT_FALSE(form->isVisible());  // and it closed
}

TEST(BulkDialog, FiguresFramesAndPlacement) {
    QWidget owner;
    owner.setGeometry(100, 100, 800, 600);
    owner.show();
    BulkDownloadDialog dlg(&owner);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("ダウンロードしています..."));
    EXPECT_TRUE(dlg.windowFlags() & Qt::WindowStaysOnTopHint);
    dlg.show();
    EXPECT_EQ(dlg.x(), owner.frameGeometry().left() + (owner.width() - 434) / 2);
    dlg.startDate(QStringLiteral("'u' から "), QStringLiteral("'t' へ"), 120000);
    EXPECT_EQ(dlg.sourceLabel->text(), QStringLiteral("'u' から "));
    dlg.reportTransfer(5000, 1000);
    EXPECT_EQ(dlg.progressBar->value(), 4);
    EXPECT_EQ(dlg.timeLeftLabel->text(), QStringLiteral("00:00:23"));
    EXPECT_EQ(dlg.rateLabel->text(), QStringLiteral("4.8 K/sec"));
    for (int i = 0; i < 9; ++i) dlg.reportTransfer(5000, 1000);
    EXPECT_TRUE(dlg.frame(30)->isVisibleTo(&dlg));
    dlg.reportTransfer(200000, 1000);  // more than expected: a full bar
    EXPECT_EQ(dlg.progressBar->value(), 100);
    // Above a disabled modal dialog (the options dialog's bulk button) the
    // cancel button still works.
    QDialog modal(&owner);
    modal.setEnabled(false);
    BulkDownloadDialog above(&owner, &modal);
    EXPECT_TRUE(above.cancelButton->isEnabled());
    // Escape and the close box only set the cancel flag.
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_TRUE(dlg.cancelled());
    EXPECT_TRUE(dlg.isVisible());
}
