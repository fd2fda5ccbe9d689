// A window and vorq on one data folder: merged saves, the question, the live view.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "chartsite.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "ui/associations/associationcommands.h"
#include "ui/mainwindow/datafoldersync.h"

using namespace vorq;

namespace {

class DataFolderSyncTest : public ScratchWindowTest {
protected:
    QString data;
    test::ScopedFakes fakes;

    void SetUp() override {
        ScratchWindowTest::SetUp();
        data = scratchDataFolder();
        sjis::saveLines(data + QStringLiteral("19950408.txt"), {"1\tSongA\tArtist", "2\tSongB\tArtist"});
        startMainWindow(form, options);
    }
    // The site (if any) serves from this event loop meanwhile.
    void vorq(const QString &args) {
        QProcess p;
        p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"),
                QString(args + QStringLiteral(" --today 1995-05-15 --data ") + data).split(QLatin1Char(' ')));
        EXPECT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    }
    // The window changes a row, then vorq stores another change, then the
    // window saves: whether the live view saw vorq's write or not, the save
    // has to merge.
    void bothSetThenSave(int windowRank, const char *windowFile, int vorqRank, const char *vorqFile) {
        form->associationCommands->setFile({0, windowRank - 1}, windowFile);
        vorq(QStringLiteral("associate --date 1995-04-08 --rank %1 --file %2")
                 .arg(vorqRank)
                 .arg(QLatin1String(vorqFile)));
        form->saveAssociationIndex();
    }
    QList<QByteArray> index() const {
        QList<QByteArray> lines = sjis::readLines(data + QStringLiteral("file.idx"));
        std::sort(lines.begin(), lines.end());
        return lines;
    }
};

}  // namespace

TEST_F(DataFolderSyncTest, TheSaveKeepsWhatVorqStoredMeanwhileAndAsksAboutARowBothChanged) {
    bothSetThenSave(2, "/m/b.mp3", 1, "/m/a.mp3");
    EXPECT_EQ(index(), (QList<QByteArray>{"19950408001\t/m/a.mp3\t", "19950408002\t/m/b.mp3\t"}));
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    EXPECT_EQ(form->store().tabs.at(0).rows.at(0).file, QByteArray("/m/a.mp3"));  // shown too

    // Both change row 1: the question names it, each answer wins.
    bothSetThenSave(1, "/m/mine.mp3", 1, "/m/theirs.mp3");  // no answer: the default keeps theirs
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_TRUE(fakes.prompter.asked.at(0).text.contains(QString::fromUtf8("1995年04月08日 1位")));
    EXPECT_EQ(index().first(), QByteArray("19950408001\t/m/theirs.mp3\t"));
    EXPECT_EQ(form->store().tabs.at(0).rows.at(0).file, QByteArray("/m/theirs.mp3"));

    fakes.prompter.answers.push_back(QMessageBox::Yes);
    bothSetThenSave(1, "/m/mine2.mp3", 1, "/m/theirs2.mp3");
    EXPECT_EQ(index().first(), QByteArray("19950408001\t/m/mine2.mp3\t"));
}

TEST_F(DataFolderSyncTest, AChartVorqImportsAppearsInTheDateListWithinTwoSeconds) {
    test::ChartSite site(test::ChartSite::Options{});
    ASSERT_TRUE(site.start() && !form->dateHasData(rowOf("1995年04月15日")));
    vorq(QStringLiteral("import --from 1995-04-15 --to 1995-04-15 --delay 0 --url-template ") +
         QString::fromLatin1(site.urlTemplate()));
    ASSERT_TRUE(QFile::exists(data + QStringLiteral("19950415.txt")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->dateHasData(rowOf("1995年04月15日")); }, 2000));
}

TEST_F(DataFolderSyncTest, AnEmptiedIndexLeavesTheRowsAndTheStatusBarSaysSoInNumbers) {
    vorq(QStringLiteral("associate --date 1995-04-08 --rank 1 --file /m/a.mp3 --same-song this"));
    vorq(QStringLiteral("associate --date 1995-04-08 --rank 2 --file /m/b.mp3"));
    form->dataFolderSync()->reloadNow();
    ASSERT_EQ(form->store().tabs.at(0).rows.at(1).file, QByteArray("/m/b.mp3"));
    const int width = form->width();
    sjis::saveFile(data + QStringLiteral("file.idx"), {});
    form->dataFolderSync()->reloadNow();
    EXPECT_EQ(form->store().tabs.at(0).rows.at(0).file, QByteArray("/m/a.mp3"));
    EXPECT_TRUE(form->statusPanels->notice().contains(QString::fromUtf8("2 件 → 0 件")));
    QApplication::processEvents();
    EXPECT_LE(form->width(), width);  // a long notice is cut, never widens the window
}
