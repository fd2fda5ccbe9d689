// The CD-R wizard driven as a user would (pages, options, lists, cancel,
// finish), the restore, and the wizard's staging against `vorq cdr`'s,
// which never writes through a link.
#include <gtest/gtest.h>
#include <unistd.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/cdr/cdrwizard.h"
#include "ui/common/readablecolours.h"
#include "ui/options/optionsdialog.h"
#include "vorqrun.h"

using namespace vorq;

namespace {

class Wizard : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data, music, prog, root;
    test::ScopedFakes fakes;
    std::unique_ptr<CdrWizard> wizard;

    void SetUp() override {
        data = dir.filePath(QStringLiteral("data/"));
        music = dir.filePath(QStringLiteral("music/"));
        prog = dir.filePath(QStringLiteral("prog/"));
        root = dir.filePath(QStringLiteral("root"));
        for (const QString &f :
             QStringList{data, music, prog, root + QStringLiteral("/prog"), root + QStringLiteral("/music")})
            QDir().mkpath(f);
        write(prog + QStringLiteral("vorqview"), QByteArray(5000, 'p'));
        for (const char *d : {"19950408", "19950415", "19950422"})
            write(data + QLatin1String(d) + QStringLiteral(".txt"), sj("1\t曲\t歌手\r\n"));
        write(data + QStringLiteral("notfound.txt"), sj("1995年04月29日\r\n"));
        write(music + QStringLiteral("a.mp3"), QByteArray(3000, 'a'));
        write(music + QStringLiteral("b.mp3"), QByteArray(40, 'b'));
        const QByteArray m = sjis::fromUnicode(music);
        write(data + QStringLiteral("file.idx"), "19950408001\t" + m + "a.mp3\t\r\n19950415001\t" + m +
                                                     "a.mp3\tplay\r\n19950422001\t" + m + "b.mp3\t\r\n");
        wizard = std::make_unique<CdrWizard>();
        wizard->start(source());
        wizard->show();
    }
    static void write(const QString &path, const QByteArray &bytes) { sjis::saveFile(path, bytes); }
    cdr::StageSource source() const {
        QDate last = firstBroadcastDate();
        while (last.addDays(7) < env::today()) last = last.addDays(7);
        return {sjis::fromUnicode(data), prog + QStringLiteral("vorqview"), sj("1995年04月08日"),
                dateLabel(last)};
    }
    // vorq cdr of the same data folder and program into folder.
    VorqRun cdrInto(const QString &folder, const QStringList &more) const {
        QDir().mkpath(folder);
        return runVorq(QStringList{QStringLiteral("cdr"), QStringLiteral("--root"), folder,
                                   QStringLiteral("--program"), prog + QStringLiteral("vorqview"),
                                   QStringLiteral("--data"), data} +
                       more);
    }
    // Chooses the staging root on page 2 and goes to page 3.
    void chooseRoot(const QString &folder) {
        wizard->showPage(2);
        wizard->setStagingRoot(folder);
        wizard->nextButtons[1]->click();
    }
};

// Every file below folder with its content; a symbolic link as its target.
QMap<QString, QByteArray> filesUnder(const QString &folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString f = it.next();
        QFile file(f);
        file.open(QIODevice::ReadOnly);
        out.insert(QDir(folder).relativeFilePath(f),
                   QFileInfo(f).isSymLink() ? "-> " + QFile::encodeName(QFileInfo(f).symLinkTarget())
                                            : file.readAll());
    }
    return out;
}

}  // namespace

TEST_F(Wizard, StartListsDatesFilesAndSizes) {
    EXPECT_EQ(wizard->objectName(), QStringLiteral("CDRForm"));
    EXPECT_EQ(wizard->currentPage(), 1);
    EXPECT_EQ(wizard->firstDateBox->count(), 3);
    EXPECT_EQ(wizard->lastDateBox->currentText(), u8("1995年04月22日"));
    // a.mp3 on two dates is listed once.
    EXPECT_EQ(wizard->session().items().size(), 2);
    auto *assocLabel = wizard->findChild<QLabel *>(QStringLiteral("SizeAsso2"));
    EXPECT_EQ(assocLabel->text(), QStringLiteral("         2"));  // 3,040 bytes
    EXPECT_EQ(wizard->findChild<QLabel *>(QStringLiteral("SizeApp0"))->text(),
              QStringLiteral("         4"));  // 5,000 + notfound.txt

    // A first date after the last: no data, no files.
    wizard->firstDateBox->setCurrentIndex(2);
    wizard->lastDateBox->setCurrentIndex(0);
    EXPECT_EQ(wizard->session().dataSize(), 0);
    EXPECT_EQ(wizard->session().items().size(), 0);
}

TEST_F(Wizard, OptionPagesAreChained) {
    wizard->manualBox->setChecked(true);
    wizard->showPage(4);
    wizard->nextButtons[3]->click();
    EXPECT_EQ(wizard->currentPage(), 7);
    wizard->showPage(8);
    wizard->backButtons[7]->click();
    EXPECT_EQ(wizard->currentPage(), 7);

    wizard->limitByDateBox->setChecked(true);
    wizard->filterBox->setChecked(true);
    QList<int> visited{4};
    wizard->showPage(4);
    while (wizard->currentPage() != 8) {
        QPushButton *next = wizard->nextButtons[wizard->currentPage() - 1];
        next->setEnabled(true);
        next->click();
        visited.append(wizard->currentPage());
    }
    EXPECT_EQ(visited, QList<int>({4, 5, 6, 7, 8}));
    wizard->manualBox->setChecked(false);
    wizard->limitByDateBox->setChecked(false);
    wizard->filterBox->setChecked(false);
    wizard->backButtons[7]->click();
    EXPECT_EQ(wizard->currentPage(), 4);
}

TEST_F(Wizard, FilterPageNeedsAListAndItsBackButtonUndoesIt) {
    wizard->filterBox->setChecked(true);
    wizard->showPage(6);
    EXPECT_FALSE(wizard->nextButtons[5]->isEnabled());
    write(dir.filePath(QStringLiteral("list.m3u")), "x:\\songs\\B.MP3\r\n");
    fakes.prompter.files.push_back(dir.filePath(QStringLiteral("list.m3u")));
    wizard->browseListButton->click();
    EXPECT_TRUE(wizard->listRadio->isChecked());
    EXPECT_TRUE(wizard->nextButtons[5]->isEnabled());
    ASSERT_EQ(wizard->session().items().size(), 1);
    EXPECT_EQ(wizard->session().items().at(0).name, QByteArray("b.mp3"));

    wizard->findChild<QPushButton *>(QStringLiteral("PrevBtn2"))->click();
    EXPECT_EQ(wizard->currentPage(), 4);
    EXPECT_FALSE(wizard->nextButtons[5]->isEnabled());
    EXPECT_FALSE(wizard->listRadio->isChecked());
    EXPECT_EQ(wizard->session().items().size(), 2);
}

TEST_F(Wizard, DroppedFilesAreAddedOnceAndSizesFollow) {
    const qint64 before = wizard->session().assocSize();
    wizard->addDroppedFiles({music + QStringLiteral("a.mp3")});
    EXPECT_EQ(wizard->session().items().size(), 2);
    EXPECT_EQ(wizard->session().assocSize(), before);
    write(dir.filePath(QStringLiteral("extra.jpg")), "12345");
    wizard->addDroppedFiles({dir.filePath(QStringLiteral("extra.jpg"))});
    EXPECT_EQ(wizard->session().items().size(), 3);
    EXPECT_EQ(wizard->session().assocSize(), before + 5);
    wizard->assocListView->selectAll();
    wizard->removeButton->click();
    EXPECT_EQ(wizard->session().assocSize(), 0);
}

TEST_F(Wizard, TotalTurnsYellowAboveSixHundredFortyAndRedAboveSevenHundredMiB) {
    // A sparse program file brings the total to exactly 734,003,200 bytes.
    const qint64 others = wizard->session().total() - 5000;
    QFile big(prog + QStringLiteral("vorqview"));
    ASSERT_TRUE(big.open(QIODevice::ReadWrite));
    ASSERT_TRUE(big.resize(734003200 - others));
    big.close();
    wizard->start(source());
    ASSERT_EQ(wizard->session().total(), 734003200);
    auto *total = wizard->findChild<QLabel *>(QStringLiteral("SizeAll3"));
    // The designed hue, in a shade that reads on the window's ground.
    const auto drawnIn = [total](const QColor &designed) {
        const QColor c = total->palette().color(QPalette::WindowText);
        return std::abs(c.hslHue() - designed.hslHue()) <= 2 &&
               colours::contrast(c, total->palette().color(QPalette::Window)) >= 4.5;
    };
    EXPECT_TRUE(drawnIn(QColor(0xC0, 0xA0, 0x00)));
    write(dir.filePath(QStringLiteral("one")), "1");
    wizard->addDroppedFiles({dir.filePath(QStringLiteral("one"))});
    EXPECT_TRUE(drawnIn(QColor(Qt::red)));
}

TEST_F(Wizard, CancelAsksAndWritesNothingTheCloseBoxDoesNotAsk) {
    chooseRoot(root);
    fakes.prompter.answers = {QMessageBox::No, QMessageBox::Yes};
    wizard->cancelButtons[2]->click();
    EXPECT_TRUE(wizard->isVisible());
    wizard->cancelButtons[2]->click();
    EXPECT_FALSE(wizard->isVisible());
    EXPECT_EQ(wizard->result(), QDialog::Rejected);
    ASSERT_EQ(fakes.prompter.asked.size(), 2);
    EXPECT_EQ(fakes.prompter.asked[0].caption, u8("CD-R作成ウィザード"));
    EXPECT_EQ(fakes.prompter.asked[0].text,
              u8("CD-R作成の設定はまだ完了していません。\n\nウィザードを閉じますか?"));
    EXPECT_TRUE(filesUnder(root).isEmpty());
    EXPECT_TRUE(fakes.shell.calls.isEmpty());

    wizard->show();
    wizard->close();
    EXPECT_EQ(fakes.prompter.asked.size(), 2);
}

TEST_F(Wizard, FolderPageListsTheTreeAndCreatesFolders) {
    wizard->showPage(2);
    wizard->setStagingRoot(root);
    wizard->newFolderEdit->setText(QStringLiteral("disc"));
    wizard->createFolderButton->click();
    EXPECT_EQ(wizard->stagingRoot(), QString(root + QStringLiteral("/disc")));
    wizard->setStagingRoot(root);
    wizard->createFolderButton->click();  // exists: nothing happens
    EXPECT_EQ(wizard->stagingRoot(), root);
    wizard->setStagingRoot(root + QStringLiteral("/disc"));
    QDir().mkpath(root + QStringLiteral("/disc/prog"));
    QDir().mkpath(root + QStringLiteral("/disc/media/mp3"));
    wizard->nextButtons[1]->click();
    EXPECT_EQ(wizard->currentPage(), 3);
    ASSERT_EQ(wizard->programFolderBox->count(), 4);
    EXPECT_EQ(wizard->programFolderBox->itemText(0), QStringLiteral("[CD-ROM]"));
    const int mp3 = wizard->assocFolderBox->findText(QStringLiteral("mp3"));
    ASSERT_GT(mp3, 0);
    EXPECT_EQ(wizard->assocFolderBox->itemData(mp3, Qt::UserRole + 1).toInt(), 2);
    wizard->assocFolderBox->setCurrentIndex(mp3);
    EXPECT_EQ(wizard->layout().assocRel, QStringList({QStringLiteral("media"), QStringLiteral("mp3")}));
}

TEST_F(Wizard, FinishStagesWhatVorqCdrStages) {
    // The wizard, with the desktop's copy.
    std::unique_ptr<Shell> desktop = makeDesktopShell();
    setShell(desktop.get());
    chooseRoot(root);
    wizard->programFolderBox->setCurrentIndex(wizard->programFolderBox->findText(QStringLiteral("prog")));
    wizard->assocFolderBox->setCurrentIndex(wizard->assocFolderBox->findText(QStringLiteral("music")));
    wizard->limitByDateBox->setChecked(true);
    wizard->firstDateBox->setCurrentIndex(1);
    wizard->showPage(8);
    wizard->finishButton->click();
    EXPECT_EQ(wizard->result(), QDialog::Accepted);
    EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    const QMap<QString, QByteArray> staged = filesUnder(root);
    EXPECT_EQ(staged.value(QStringLiteral("prog/file.idx")),
              sj("19950415001\t\\music\\a.mp3\tplay\r\n19950422001\t\\music\\b.mp3\t\r\n"));
    EXPECT_EQ(staged.keys(),
              QStringList({QStringLiteral("autorun.inf"), QStringLiteral("autorun.sh"),
                           QStringLiteral("music/a.mp3"), QStringLiteral("music/b.mp3"),
                           QStringLiteral("prog/19950415.txt"), QStringLiteral("prog/19950422.txt"),
                           QStringLiteral("prog/file.idx"), QStringLiteral("prog/notfound.txt"),
                           QStringLiteral("prog/vorqview"), QStringLiteral("prog/vorqview.ini")}));

    // vorq cdr, for the same choices, in a scratch home.
    const QString root2 = dir.filePath(QStringLiteral("root2"));
    const QStringList choices{QStringLiteral("--program-folder"), QStringLiteral("prog"),
                              QStringLiteral("--assoc-folder"),   QStringLiteral("music"),
                              QStringLiteral("--from"),           QStringLiteral("1995-04-15")};
    const VorqRun r = cdrInto(root2, choices);
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("program\t4\ndata\t0\nassociated\t2\ntotal\t7\ncolour\tblack\n"));
    EXPECT_EQ(filesUnder(root2), staged);

    // Staging again is refused without --overwrite, and writes nothing.
    EXPECT_EQ(cdrInto(root2, choices).status, 1);
    EXPECT_EQ(filesUnder(root2), staged);
}

TEST_F(Wizard, FinishRefusesTheLiveDataFolderAndAsksOnceBeforeReplacingAnOlderStaging) {
    std::unique_ptr<Shell> desktop = makeDesktopShell();
    setShell(desktop.get());
    const QMap<QString, QByteArray> live = filesUnder(data);
    chooseRoot(data);
    wizard->finishButton->click();
    EXPECT_EQ(filesUnder(data), live);
    ASSERT_EQ(fakes.prompter.errors().size(), 1);
    EXPECT_TRUE(fakes.prompter.errors().at(0).text.contains(data));
    // An older staging: one question; No writes nothing, Yes replaces without asking again.
    fakes.prompter.asked.clear();
    chooseRoot(root);
    wizard->programFolderBox->setCurrentIndex(wizard->programFolderBox->findText(QStringLiteral("prog")));
    write(root + QStringLiteral("/prog/file.idx"), "older");
    const QMap<QString, QByteArray> older = filesUnder(root);
    fakes.prompter.answers = {QMessageBox::No};
    wizard->finishButton->click();
    EXPECT_EQ(filesUnder(root), older);
    ASSERT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_TRUE(fakes.prompter.asked.at(0).text.contains(root + QStringLiteral("/prog/file.idx")));
    fakes.prompter.answers = {QMessageBox::Yes};
    wizard->finishButton->click();
    EXPECT_EQ(fakes.prompter.asked.size(), 2);
    EXPECT_TRUE(filesUnder(root).value(QStringLiteral("prog/file.idx")).startsWith("19950408001\t\\a.mp3"));
}

// Files of one name (letter case aside, or taking the name of another file
// or of a chart) keep names of their own on the disc, each line pointing at
// its own file: through the desktop's copy as through vorq cdr's.
TEST_F(Wizard, FilesOfOneNameGetNamesOfTheirOwnAsVorqCdrGivesThem) {
    std::unique_ptr<Shell> desktop = makeDesktopShell();
    setShell(desktop.get());
    const QStringList sources{QStringLiteral("a/x.mp3"), QStringLiteral("b/x.mp3"), QStringLiteral("c/X.MP3"),
                              QStringLiteral("d/x (2).mp3"), QStringLiteral("e/19950408.txt")};
    QByteArray idx;
    for (int i = 0; i < sources.size(); ++i) {
        QDir().mkpath(QFileInfo(music + sources[i]).path());
        write(music + sources[i], "file " + QByteArray::number(i + 1));
        idx += "1995040800" + QByteArray::number(i + 1) + '\t' + sjis::fromUnicode(music + sources[i]) +
               "\t\r\n";
    }
    write(data + QStringLiteral("file.idx"), idx);
    wizard->start(source());
    chooseRoot(root);
    wizard->finishButton->click();
    const QMap<QString, QByteArray> disc = filesUnder(root);
    const QList<QByteArray> staged = sjis::splitLines(disc.value(QStringLiteral("file.idx")));
    EXPECT_EQ(staged, QList<QByteArray>({"19950408001\t\\x.mp3\t", "19950408002\t\\x (3).mp3\t",
                                         "19950408003\t\\X (4).MP3\t", "19950408004\t\\x (2).mp3\t",
                                         "19950408005\t\\19950408 (2).txt\t"}));
    for (const QByteArray &line : staged)
        EXPECT_EQ(disc.value(QString::fromLatin1(line.split('\t')[1].mid(1))), "file " + line.mid(10, 1));
    EXPECT_EQ(disc.value(QStringLiteral("19950408.txt")), sj("1\t曲\t歌手\r\n"));
    const QString root2 = dir.filePath(QStringLiteral("root2"));
    ASSERT_EQ(cdrInto(root2, {}).status, 0);
    EXPECT_EQ(filesUnder(root2), disc);
}

// vorq cdr into a folder holding links to live files (file.idx, a kept
// version, a music file, the running program's settings, the data folder)
// refuses naming the link, with --overwrite too, before writing anything; a
// hard link to a file not the program's own is replaced, not written through.
TEST_F(Wizard, VorqCdrNeverWritesThroughALinkWithOrWithoutOverwrite) {
    const QString live = QFileInfo(vorqCopy()).path() + QStringLiteral("/");  // the running vorq's folder
    write(live + QStringLiteral("vorqview.ini"), "[Options]\r\n");
    QDir().mkpath(data + QStringLiteral("backup"));
    write(data + QStringLiteral("backup/file.idx.19950401"), "a kept version");
    const auto liveFiles = [&] {
        return filesUnder(data).values() + filesUnder(music).values()
               << sjis::readFile(live + QStringLiteral("vorqview.ini"));
    };
    const auto before = liveFiles();
    const QStringList folders{QStringLiteral("--program-folder"), QStringLiteral("prog"),
                              QStringLiteral("--assoc-folder"), QStringLiteral("music")};
    const struct {
        const char *staged;
        QString target;
        bool hard;
    } cases[] = {{"prog/file.idx", data + QStringLiteral("file.idx"), false},
                 {"prog/file.idx", data + QStringLiteral("file.idx"), true},
                 {"prog/vorqview.ini", live + QStringLiteral("vorqview.ini"), false},
                 {"prog/vorqview.ini", live + QStringLiteral("vorqview.ini"), true},
                 {"prog/notfound.txt", data + QStringLiteral("backup/file.idx.19950401"), true},
                 {"music/a.mp3", music + QStringLiteral("a.mp3"), false},
                 {"prog", data, false}};
    const auto plant = [&](const QString &at, const QString &target, bool hard) {
        QDir(root).removeRecursively();
        QDir().mkpath(QFileInfo(at).path());
        QDir().mkpath(root + QStringLiteral("/music"));
        return (hard ? ::link : ::symlink)(QFile::encodeName(target).constData(),
                                           QFile::encodeName(at).constData()) == 0;
    };
    for (const auto &c : cases) {
        for (const bool overwrite : {false, true}) {
            const QString at = root + QLatin1Char('/') + QLatin1String(c.staged);
            SCOPED_TRACE(at.toStdString() + (c.hard ? " hard" : " symbolic") +
                         (overwrite ? " --overwrite" : ""));
            ASSERT_TRUE(plant(at, c.target, c.hard));
            const auto planted = filesUnder(root);
            const VorqRun r =
                cdrInto(root, overwrite ? folders + QStringList{QStringLiteral("--overwrite")} : folders);
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(QString::fromUtf8(r.err).contains(at)) << r.err.constData();
            EXPECT_EQ(liveFiles(), before);
            EXPECT_EQ(filesUnder(root), planted);
        }
    }
    ASSERT_TRUE(plant(root + QStringLiteral("/music/a.mp3"), music + QStringLiteral("a.mp3"), true));
    const VorqRun r = cdrInto(root, folders + QStringList{QStringLiteral("--overwrite")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(liveFiles(), before);
    EXPECT_EQ(
        filesUnder(root).keys().join(QLatin1Char(' ')),  // the data folder's backup/ stays behind
        QStringLiteral("autorun.inf autorun.sh music/a.mp3 music/b.mp3 prog/19950408.txt prog/19950415.txt "
                       "prog/19950422.txt prog/file.idx prog/notfound.txt prog/vorqview prog/vorqview.ini"));
}

TEST(CdrRestore, CopiesTheProgramAndItsSideFilesOrNothingOnCancel) {
    QTemporaryDir dir;
    const QString prog = dir.filePath(QStringLiteral("disc/vorqview"));
    QDir().mkpath(dir.filePath(QStringLiteral("disc")));
    sjis::saveFile(prog, "p");
    sjis::saveFile(dir.filePath(QStringLiteral("disc/notfound.txt")), "");
    sjis::saveFile(dir.filePath(QStringLiteral("disc/file.idx")), "");
    test::ScopedFakes fakes;
    restoreFromCdr(nullptr, prog);  // the folder dialog is cancelled
    EXPECT_TRUE(fakes.shell.calls.isEmpty());

    fakes.prompter.files.push_back(dir.filePath(QStringLiteral("hd")));
    restoreFromCdr(nullptr, prog);
    ASSERT_EQ(fakes.shell.calls.size(), 2);
    EXPECT_EQ(fakes.shell.calls[0].targets, QStringList{prog});
    EXPECT_EQ(fakes.shell.calls[1].targets, QStringList{dir.filePath(QStringLiteral("disc/notfound.txt"))});
    EXPECT_EQ(fakes.shell.calls[1].verb, dir.filePath(QStringLiteral("hd/")));

    // The options dialog closes with OK after the restore, cancelled or not.
    OptionsDialog options;
    struct Host : OptionsHost {
        bool settleAssociations() override { return true; }
        void disposeAllTabs() override {}
        void fullLoad() override {}
        void buildDateList() override {}
        void importMissingDates() override {}
        void startCdrWizard() override {}
        void restoreFromCdr() override {}
        void setAssociationEditingVisible(bool) override {}
    } host;
    options.setHost(&host);
    options.show();
    options.restoreButton->setEnabled(true);
    options.restoreButton->click();
    EXPECT_EQ(options.result(), QDialog::Accepted);
    EXPECT_FALSE(options.isVisible());
}

TEST(CdrHooks, MainWindowStartsTheWizardOnItsDataFolderRangeAndProgram) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("share"))));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    env::setToday(QDate(1995, 5, 1));
    const QString prog = home.filePath(QStringLiteral("prog/"));
    QDir().mkpath(prog);
    const QString program = prog + QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    sjis::saveFile(program, "p");
    env::setProgramFolder(sjis::fromUnicode(prog));
    test::ScopedFakes fakes;
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    startMainWindow(form, options);
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    sjis::saveFile(sjis::path(form->store().dataFolder) + QStringLiteral("19950415.txt"), "1\tA\tB\r\n");

    cdr::StageSource seen;
    int dates = -1;
    QTimer::singleShot(0, [&] {
        if (auto *w = qobject_cast<CdrWizard *>(QApplication::activeModalWidget())) {
            seen = w->session().source();
            dates = int(w->session().dataDates().size());
            w->close();
        }
    });
    form->startCdrWizard();
    EXPECT_EQ(seen.dataFolder, form->store().dataFolder);
    EXPECT_EQ(seen.programFile, program);
    EXPECT_EQ(seen.rangeStart, sj("1995年04月08日"));
    EXPECT_EQ(seen.rangeEnd, sj("1995年04月29日"));
    EXPECT_EQ(dates, 1);

    form->restoreFromCdr();  // the folder dialog is cancelled
    EXPECT_EQ(fakes.prompter.asked.size(), 1);
    EXPECT_TRUE(fakes.shell.calls.isEmpty());
    form.reset();
    env::setToday({});
    env::setProgramFolder({});
}
