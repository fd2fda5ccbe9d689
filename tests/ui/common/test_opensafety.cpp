// Opening associated files through the Shell seam: the verb table with a
// shell that records what would run, a real shell that must not run a
// stored program name, the executable question and refused addresses.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "fakeshell.h"
#include "ui/common/shell.h"

using namespace vorq;
using vorq::test::ScopedFakes;

namespace {

QString makeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &content,
                 bool exec = false) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return {};
    f.write(content);
    if (exec) f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    return path;
}

QString ranText(const test::FakeShell &shell) {
    QStringList out;
    for (const auto &r : shell.ran)
        out << r.op + QLatin1Char(' ') + r.verb + QLatin1Char(' ') + r.targets.join(QLatin1Char(','));
    return out.join(QLatin1Char('|'));
}

TEST(OpenSafety, TheVerbTableDecidesWhatRuns) {
    QTemporaryDir dir;
    const QString song = makeFile(dir, QStringLiteral("song.mp3"), "ID3");
    const QString folder = dir.path();
    const struct {
        const char *verb;
        QString expected;
    } rows[] = {
        {"", QStringLiteral("open  ") + song},
        {"open", QStringLiteral("open  ") + song},
        {"OPEN", QStringLiteral("open  ") + song},
        {"Play", QStringLiteral("open  ") + song},
        {"edit", QStringLiteral("mailcap edit ") + song},
        {"PRINT", QStringLiteral("mailcap print ") + song},
        {"explore", QStringLiteral("folder  ") + folder},
        {"Find", QStringLiteral("folder  ") + folder},
        {"rm", QString()},
        {"sh", QString()},
        {"/bin/rm", QString()},
        {"xdg-open", QString()},
    };
    for (const auto &r : rows) {
        ScopedFakes fakes;
        QString error;
        const bool ok = fakes.shell.execute(nullptr, QString::fromUtf8(r.verb), song, &error);
        EXPECT_EQ(ranText(fakes.shell), r.expected) << r.verb;
        EXPECT_EQ(ok, !r.expected.isEmpty()) << r.verb;
        if (r.expected.isEmpty()) {
            EXPECT_TRUE(error.contains(QString::fromUtf8(r.verb))) << error.toStdString();
            EXPECT_TRUE(error.contains(QStringLiteral("open, play, edit, print, explore, find")));
        }
        EXPECT_TRUE(fakes.prompter.asked.isEmpty());
    }
}

TEST(OpenSafety, AStoredProgramNameRunsNothingOnTheRealShell) {
    QTemporaryDir dir;
    const QString marker = dir.filePath(QStringLiteral("marker"));
    makeFile(dir, QStringLiteral("vorqmarker"), "#!/bin/sh\ntouch '" + QFile::encodeName(marker) + "'\n",
             true);
    const QString victim = makeFile(dir, QStringLiteral("song.mp3"), "ID3");
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(dir.path()) + ':' + oldPath);
    auto shell = makeDesktopShell();
    QString error;
    EXPECT_FALSE(shell->execute(nullptr, QStringLiteral("vorqmarker"), victim, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("vorqmarker")));
    EXPECT_FALSE(shell->execute(nullptr, QStringLiteral("rm"), victim, &error));
    QTest::qWait(300);
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_TRUE(QFile::exists(victim));
    // The program does work when run: the test would notice if it had been.
    EXPECT_EQ(QProcess::execute(QStringLiteral("vorqmarker"), {}), 0);
    EXPECT_TRUE(QFile::exists(marker));
    qputenv("PATH", oldPath);
}

TEST(OpenSafety, ExecutablesAskFirstAndNoIsTheDefault) {
    QTemporaryDir dir;
    const QString targets[] = {
        makeFile(dir, QStringLiteral("bit.mp3"), "ID3", true),
        makeFile(dir, QStringLiteral("script.mp3"), "#!/bin/sh\nrm -rf ~\n"),
        makeFile(dir, QStringLiteral("launcher.desktop"), "[Desktop Entry]\nExec=rm\n"),
    };
    for (const QString &t : targets) {
        ScopedFakes fakes;
        QString error;
        EXPECT_TRUE(
            fakes.shell.execute(nullptr, QStringLiteral("print"), t, &error));  // not answered: default
        ASSERT_EQ(fakes.prompter.asked.size(), 1) << t.toStdString();
        const auto &q = fakes.prompter.asked.at(0);
        EXPECT_EQ(q.caption, QString::fromUtf8("実行ファイルの確認"));
        EXPECT_TRUE(q.text.contains(t));
        EXPECT_EQ(q.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_TRUE(fakes.shell.ran.isEmpty());
        EXPECT_TRUE(error.isEmpty());
        fakes.prompter.answers.push_back(QMessageBox::Yes);
        fakes.shell.execute(nullptr, QStringLiteral("open"), t, &error);
        EXPECT_EQ(ranText(fakes.shell), QStringLiteral("open  ") + t);
    }
}

TEST(OpenSafety, ANamedPipeIsNotReadToLookForAProgram) {
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("pipe.mp3"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ScopedFakes fakes;
    QString error;
    EXPECT_TRUE(fakes.shell.execute(nullptr, QStringLiteral("open"), pipe, &error));  // returns at all
    EXPECT_EQ(ranText(fakes.shell), QStringLiteral("open  ") + pipe);
}

TEST(OpenSafety, AddressesOfOtherSchemesAreRefused) {
    for (const char *t : {"file:///etc/passwd", "javascript:alert(1)", "vorq-handler://run?x", "FILE:/etc"}) {
        ScopedFakes fakes;
        QString error;
        EXPECT_FALSE(fakes.shell.execute(nullptr, QStringLiteral("open"), QString::fromUtf8(t), &error)) << t;
        EXPECT_TRUE(error.contains(QString::fromUtf8(t)));
        EXPECT_TRUE(fakes.shell.ran.isEmpty());
    }
    ScopedFakes fakes;
    QString error;
    for (const char *t :
         {"http://h.example/a", "HTTPS://h.example/", "ftp://h.example/f", "mailto:a@h.example"})
        EXPECT_TRUE(fakes.shell.execute(nullptr, QStringLiteral("play"), QString::fromUtf8(t), &error)) << t;
    EXPECT_EQ(fakes.shell.ran.size(), 4);
    // Verbs for files have no meaning for an address.
    EXPECT_FALSE(
        fakes.shell.execute(nullptr, QStringLiteral("edit"), QStringLiteral("http://h.example/a"), &error));
    EXPECT_EQ(fakes.shell.ran.size(), 4);
}

TEST(OpenSafety, EditAndPrintGoThroughRunMailcapWithAPlainName) {
    if (QStandardPaths::findExecutable(QStringLiteral("run-mailcap")).isEmpty())
        GTEST_SKIP() << "run-mailcap is not installed";
    QTemporaryDir dir;
    const QString printed = dir.filePath(QStringLiteral("printed"));
    makeFile(dir, QStringLiteral("mailcap"),
             "text/plain; cat %s; print=cp %s " + QFile::encodeName(printed) + "\n");
    const QByteArray oldMailcaps = qgetenv("MAILCAPS"), oldTmp = qgetenv("TMPDIR");
    qputenv("MAILCAPS", QFile::encodeName(dir.filePath(QStringLiteral("mailcap"))));
    qputenv("TMPDIR", QFile::encodeName(dir.path()));  // the alias goes away with dir
    // A name run-mailcap would put into a command line as it is.
    const QString lyrics = makeFile(dir, QStringLiteral("it's $(x).txt"), "words\n");
    auto shell = makeDesktopShell();
    QString error;
    EXPECT_TRUE(shell->execute(nullptr, QStringLiteral("Print"), lyrics, &error)) << error.toStdString();
    // cp creates the file before it writes: wait for the whole text.
    const auto printedText = [&] {
        QFile f(printed);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return printedText() == "words\n"; }, 5000))
        << printedText().constData();
    // No edit rule: a message, nothing runs.
    EXPECT_FALSE(shell->execute(nullptr, QStringLiteral("edit"), lyrics, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("edit")));
    qputenv("MAILCAPS", oldMailcaps);
    qputenv("TMPDIR", oldTmp);
}

}  // namespace
