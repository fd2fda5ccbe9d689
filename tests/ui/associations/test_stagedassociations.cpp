// A folder staged by `vorq cdr`, used from the staged program: every way to
// a stored file finds the medium's files and the automatic update keeps them.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QPushButton>

#include "core/settings/doubleini.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/results/resultlistwindow.h"
#include "vorqrun.h"

using namespace vorq;

TEST(StagedAssociations, EveryConsumerFindsTheMediumsFilesAndTheUpdateKeepsThem) {
    QTemporaryDir dir, scratchProg;
    const QString src = dir.filePath(QStringLiteral("src/")), root = dir.filePath(QStringLiteral("root"));
    QDir().mkpath(src + QStringLiteral("music"));
    QDir().mkpath(root);
    for (const char *f : {"music/a.mp3", "music/b.mp3", "vorqview"})
        sjis::saveFile(src + QLatin1String(f), "x");
    sjis::saveFile(src + QStringLiteral("19950408.txt"), "1\tHit\tStar\r\n2\tSolo\tOne\r\n");
    const QByteArray m = sjis::fromUnicode(src + QStringLiteral("music/"));
    sjis::saveFile(src + QStringLiteral("file.idx"),
                   "19950408001\t" + m + "a.mp3\t\r\n19950408002\t" + m + "b.mp3\t\r\n");
    const auto args = [](const char *words) { return QString::fromLatin1(words).split(QLatin1Char(' ')); };
    VorqRun r = runVorq(args("cdr --program-folder prog --assoc-folder music --today 1995-04-20 --root") +
                        QStringList{root, QStringLiteral("--program"), src + QStringLiteral("vorqview"),
                                    QStringLiteral("--data"), src});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    const QString prog = root + QStringLiteral("/prog/"), idx = prog + QStringLiteral("file.idx");
    const QByteArray staged = "19950408001\t\\music\\a.mp3\t\r\n19950408002\t\\music\\b.mp3\t\r\n";
    ASSERT_EQ(readWholeFile(idx, 1000), staged);

    ASSERT_TRUE(QFile::copy(vorqCopy(), prog + QStringLiteral("vorq")));
    const QString a = QDir(root).canonicalPath() + QStringLiteral("/music/a.mp3");
    const QString b = QDir(root).canonicalPath() + QStringLiteral("/music/b.mp3");
    r = runVorqAt(prog + QStringLiteral("vorq"), args("load --resolve --today 1995-04-20"));
    EXPECT_TRUE(r.out.contains(a.toUtf8()) && r.out.contains(b.toUtf8())) << r.out.constData();
    r = runVorqAt(prog + QStringLiteral("vorq"), args("associate --auto --today 1995-04-20"));
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(readWholeFile(idx, 1000), staged);

    // The window started from the medium.
    test::ScopedFakes fakes;
    useScratchFolders(dir, scratchProg, QDate(1995, 4, 20));
    env::setProgramFolder(sjis::fromUnicode(prog));
    env::setProgramBaseName("vorqview");
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    startMainWindow(form, options);
    fakes.prompter.answers = {QMessageBox::Yes};
    form->autoUpdateButton->click();
    EXPECT_FALSE(form->associationsDirty());

    QTableView *view = form->listView(0);
    QApplication::processEvents();  // on screen
    const QPoint at = view->visualRect(view->model()->index(1, 1)).center();
    auto mouse = [&](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent ev(type, pos, view->viewport()->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &ev);
    };
    mouse(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, at + QPoint(12, 0), Qt::NoButton, Qt::LeftButton);
    ResultListWindow *w = form->resultWindow();
    ResultList rows;
    for (const ChartEntry &e : form->store().tabs.at(0).rows) rows.append(ResultRow::fromEntry("d", e));
    w->setRows(rows);
    w->setSongCount(2);
    fakes.prompter.files = {dir.path()};
    w->copyButton->click();
    ASSERT_EQ(fakes.shell.calls.size(), 3);
    EXPECT_EQ(fakes.shell.calls.at(0).targets, QStringList{b});  // the menu
    EXPECT_EQ(fakes.shell.calls.at(1).targets, QStringList{b});  // the drag
    EXPECT_EQ(fakes.shell.calls.at(2).targets, QStringList({a, b}));
    form.reset();
    env::setProgramFolder({});
    env::setProgramBaseName({});
}
