// A folder staged by `vorq cdr`, then used from the staged program: every
// way to a stored file (open, drag-out, file menu, the result window's
// copy, the automatic update, vorq load --resolve and vorq associate --auto)
// finds the same files on the medium, and none of them is dropped.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>

#include "core/charts/storedtarget.h"
#include "core/settings/doubleini.h"
#include "fakeshell.h"
#include "mainwindowfixture.h"
#include "sjtest.h"
#include "ui/results/resultlistwindow.h"

using namespace vorq;

namespace {

QByteArray runVorq(const QString &program, const QStringList &args, const QString &home, int *status) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.start(program, args);
    *status = p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    return p.readAllStandardOutput() + p.readAllStandardError();
}

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

TEST(StagedAssociations, EveryConsumerFindsTheMediumsFilesAndTheUpdateKeepsThem) {
    QTemporaryDir dir, home, scratchProg;
    const QString src = dir.filePath(QStringLiteral("src/")), root = dir.filePath(QStringLiteral("root"));
    for (const QString &f : QStringList{src + QStringLiteral("music"), src + QStringLiteral("bin"), root})
        QDir().mkpath(f);
    sjis::saveFile(src + QStringLiteral("19950408.txt"), "1\tHit\tStar\r\n2\tSolo\tOne\r\n");
    sjis::saveFile(src + QStringLiteral("19950415.txt"), "1\tHit\tStar\r\n");
    sjis::saveFile(src + QStringLiteral("music/a.mp3"), "a");
    sjis::saveFile(src + QStringLiteral("music/b.mp3"), "b");
    const QByteArray m = sjis::fromUnicode(src + QStringLiteral("music/"));
    sjis::saveFile(src + QStringLiteral("file.idx"), "19950408001\t" + m + "a.mp3\t\r\n19950408002\t" + m +
                                                         "b.mp3\t\r\n19950415001\t" + m + "a.mp3\t\r\n");
    sjis::saveFile(src + QStringLiteral("bin/vorqview"), "program");
    const QString vorq = src + QStringLiteral("bin/vorq");
    ASSERT_TRUE(QFile::copy(QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), vorq));

    int status = -1;
    QByteArray out =
        runVorq(vorq,
                {QStringLiteral("cdr"), QStringLiteral("--root"), root, QStringLiteral("--program-folder"),
                 QStringLiteral("prog"), QStringLiteral("--assoc-folder"), QStringLiteral("music"),
                 QStringLiteral("--program"), src + QStringLiteral("bin/vorqview"), QStringLiteral("--data"),
                 src, QStringLiteral("--today"), QStringLiteral("1995-04-20")},
                home.path(), &status);
    ASSERT_EQ(status, 0) << out.constData();
    const QString prog = root + QStringLiteral("/prog/");
    const QByteArray staged = readBytes(prog + QStringLiteral("file.idx"));
    ASSERT_EQ(staged,
              "19950408001\t\\music\\a.mp3\t\r\n19950408002\t\\music\\b.mp3\t\r\n"
              "19950415001\t\\music\\a.mp3\t\r\n");
    // The medium also carries the command-line program, run from there.
    const QString stagedVorq = prog + QStringLiteral("vorq");
    ASSERT_TRUE(QFile::copy(vorq, stagedVorq));
    const QString a = QDir(root).canonicalPath() + QStringLiteral("/music/a.mp3");
    const QString b = QDir(root).canonicalPath() + QStringLiteral("/music/b.mp3");
    const QStringList range{QStringLiteral("--today"), QStringLiteral("1995-04-20"),
                            QStringLiteral("--from"),  QStringLiteral("1995-04-08"),
                            QStringLiteral("--to"),    QStringLiteral("1995-04-15")};

    out = runVorq(stagedVorq, QStringList{QStringLiteral("load"), QStringLiteral("--resolve")} + range,
                  home.path(), &status);
    ASSERT_EQ(status, 0) << out.constData();
    EXPECT_EQ(out.count(a.toUtf8()), 2) << out.constData();
    EXPECT_EQ(out.count(b.toUtf8()), 1) << out.constData();
    out = runVorq(stagedVorq, QStringList{QStringLiteral("associate"), QStringLiteral("--auto")} + range,
                  home.path(), &status);
    EXPECT_EQ(status, 0) << out.constData();
    EXPECT_EQ(out, QByteArray());
    EXPECT_EQ(readBytes(prog + QStringLiteral("file.idx")), staged);

    // The window, as started from the medium.
    test::ScopedFakes fakes;
    useScratchFolders(home, scratchProg, QDate(1995, 4, 20));
    env::setProgramFolder(sjis::fromUnicode(prog));
    env::setProgramBaseName("vorqview");
    std::unique_ptr<MainWindow> form;
    OptionsDialog *options = nullptr;
    startMainWindow(form, options);
    ASSERT_EQ(form->store().tabs.size(), 2);
    EXPECT_TRUE(existenceTest("\\music\\b.mp3"));

    fakes.prompter.answers = {QMessageBox::Yes};
    form->autoUpdateButton->click();
    EXPECT_FALSE(form->associationsDirty());
    const int tab = form->store().indexOfTag(19950408);
    EXPECT_EQ(form->store().tabs.at(tab).rows.at(1).file, QByteArray("\\music\\b.mp3"));

    form->setActiveTab(tab);
    QTableView *view = form->listView(tab);
    const QPoint at = view->visualRect(view->model()->index(1, 1)).center();
    auto mouse = [&](QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held) {
        QMouseEvent ev(type, pos, view->viewport()->mapToGlobal(pos), button, held, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &ev);
    };
    mouse(QEvent::MouseButtonPress, at, Qt::RightButton, Qt::RightButton);
    mouse(QEvent::MouseButtonRelease, at, Qt::RightButton, Qt::NoButton);
    mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    mouse(QEvent::MouseMove, at + QPoint(12, 0), Qt::NoButton, Qt::LeftButton);
    mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    ASSERT_EQ(fakes.shell.calls.size(), 2);
    EXPECT_EQ(fakes.shell.calls.at(0).op, QStringLiteral("menu"));
    EXPECT_EQ(fakes.shell.calls.at(0).targets, QStringList{b});
    EXPECT_EQ(fakes.shell.calls.at(1).targets, QStringList{b});

    ResultListWindow *w = form->resultWindow();
    ResultList rows;
    for (const ChartEntry &e : form->store().tabs.at(tab).rows) rows.append(ResultRow::fromEntry("d", e));
    w->setRows(rows);
    w->setSongCount(2);
    w->selectRow(0);
    w->selectRow(1);
    EXPECT_EQ(w->selectedFiles(), QStringList({a, b}));
    const QString copies = dir.filePath(QStringLiteral("copies"));
    QDir().mkpath(copies);
    fakes.prompter.files = {copies};
    w->copyButton->click();
    ASSERT_EQ(fakes.shell.calls.size(), 3);
    EXPECT_EQ(fakes.shell.calls.at(2).targets, QStringList({a, b}));
    EXPECT_EQ(
        readBytes(copies + QStringLiteral("/filelist.m3u")),
        sjis::fromUnicode(copies + QStringLiteral("/a.mp3\r\n") + copies + QStringLiteral("/b.mp3\r\n")));
    form.reset();
    env::setToday({});
    env::setProgramFolder({});
    env::setProgramBaseName({});
}
