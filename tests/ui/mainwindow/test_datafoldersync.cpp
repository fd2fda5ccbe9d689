// A window and vorq on one data folder: the window's save keeps what vorq
// stored meanwhile and asks about rows both changed; a chart vorq imports
// shows up in the open window's date list.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTest>

#include "chartsite.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"

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
    // vorq in this process's scratch folders; the site (if any) serves
    // from this event loop meanwhile.
    int vorq(QStringList args) {
        args << QStringLiteral("--data") << data << QStringLiteral("--today") << QStringLiteral("1995-05-15");
        QProcess p;
        p.start(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), args);
        EXPECT_TRUE(QTest::qWaitFor([&] { return p.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return p.exitCode();
    }
    void vorqSets(int rank, const char *file) {
        vorq({QStringLiteral("associate"), QStringLiteral("--date"), QStringLiteral("1995-04-08"),
              QStringLiteral("--rank"), QString::number(rank), QStringLiteral("--file"),
              QString::fromLatin1(file)});
    }
    // The window's own edit of a row, saved at once (before the live view
    // has seen vorq's write, so the save has to merge).
    void windowSetsAndSaves(int rank, const char *file) {
        ChartStore &s = form->store();
        s.tabs[s.indexOfTag(19950408)].rows[rank - 1].file = file;
        form->markChanged();
        form->saveAssociationIndex();
    }
    QList<QByteArray> index() const { return sjis::readLines(data + QStringLiteral("file.idx")); }
};

}  // namespace

TEST_F(DataFolderSyncTest, TheSaveKeepsWhatVorqStoredMeanwhile) {
    vorqSets(1, "/m/a.mp3");
    windowSetsAndSaves(2, "/m/b.mp3");
    QList<QByteArray> lines = index();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (QList<QByteArray>{"19950408001\t/m/a.mp3\t", "19950408002\t/m/b.mp3\t"}));
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    EXPECT_FALSE(form->associationsDirty());
    // The window shows vorq's row too.
    EXPECT_EQ(form->store().tabs.at(0).rows.at(0).file, QByteArray("/m/a.mp3"));
}

TEST_F(DataFolderSyncTest, ARowBothChangedIsAskedAboutAndEachAnswerWins) {
    vorqSets(1, "/m/theirs.mp3");
    windowSetsAndSaves(1, "/m/mine.mp3");  // no answer: the default keeps theirs
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_TRUE(fakes.prompter.asked.at(0).text.contains(QString::fromUtf8("1995年04月08日 1位")));
    EXPECT_EQ(index(), QList<QByteArray>{"19950408001\t/m/theirs.mp3\t"});
    EXPECT_EQ(form->store().tabs.at(0).rows.at(0).file, QByteArray("/m/theirs.mp3"));

    vorqSets(1, "/m/theirs2.mp3");
    fakes.prompter.answers.push_back(QMessageBox::Yes);
    windowSetsAndSaves(1, "/m/mine2.mp3");
    EXPECT_EQ(fakes.prompter.asked.size(), 2);
    EXPECT_EQ(index(), QList<QByteArray>{"19950408001\t/m/mine2.mp3\t"});
}

TEST_F(DataFolderSyncTest, AChartVorqImportsAppearsInTheDateListWithinTwoSeconds) {
    test::ChartSite site(test::ChartSite::Options{});
    ASSERT_TRUE(site.start());
    const int row = rowOf("1995年04月15日");
    ASSERT_GE(row, 0);
    ASSERT_FALSE(form->dateHasData(row));
    vorq({QStringLiteral("import"), QStringLiteral("--from"), QStringLiteral("1995-04-15"),
          QStringLiteral("--to"), QStringLiteral("1995-04-15"), QStringLiteral("--url-template"),
          QString::fromLatin1(site.urlTemplate()), QStringLiteral("--delay"), QStringLiteral("0")});
    ASSERT_TRUE(QFile::exists(data + QStringLiteral("19950415.txt")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return form->dateHasData(rowOf("1995年04月15日")); }, 2000));
    EXPECT_GE(form->store().indexOfTag(19950415), 0);
}
