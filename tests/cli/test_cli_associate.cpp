// vorq associate, run as the built program: the automatic update and one
// row's file, each saving file.idx as vorqview does.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "sjtest.h"
#include "vorqrun.h"

namespace {

class CliAssociate : public ::testing::Test {
protected:
    QTemporaryDir dir, music;
    QString data;
    void SetUp() override {
        data = dir.path();
        write("19950422.txt", "1\tHit\tStar\r\n2\tSolo\tOne\r\n");
        write("19950415.txt", "1\tOther\tX\r\n2\tHit\tStar\r\n");
        write("19950408.txt", "1\tHit\tStar\r\n2\tGone\tY\r\n");
        write("file.idx", "19950408002\t/nowhere/gone.mp3\tprint\r\n19950415001\thttp://w/x\t\r\n");
        QFile f(music.filePath(QStringLiteral("Star-Hit.mp3")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    void write(const char *name, const QByteArray &bytes) {
        QFile f(dir.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QByteArray index() {
        QFile f(dir.filePath(QStringLiteral("file.idx")));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    QStringList range() const {
        return {QStringLiteral("--data"),  data,
                QStringLiteral("--today"), QStringLiteral("1995-05-20"),
                QStringLiteral("--from"),  QStringLiteral("1995-04-08"),
                QStringLiteral("--to"),    QStringLiteral("1995-05-13")};
    }
};

}  // namespace

TEST_F(CliAssociate, AutoPrintsEachChangedRowAndSavesTheIndex) {
    const QByteArray found = music.filePath(QStringLiteral("Star-Hit.mp3")).toUtf8();
    const VorqRun r = runVorq(QStringList{QStringLiteral("associate"), QStringLiteral("--auto")} + range() +
                              QStringList{QStringLiteral("--pattern"), QStringLiteral("%a-%t.mp3"),
                                          QStringLiteral("--folder"), music.path(),
                                          QStringLiteral("--auto-add"), QStringLiteral("on")});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, "1995年04月22日\t1\tHit\tStar\t\t" + found + "\n" + "1995年04月15日\t2\tHit\tStar\t\t" +
                         found + "\n" + "1995年04月08日\t1\tHit\tStar\t\t" + found + "\n" +
                         "1995年04月08日\t2\tGone\tY\t/nowhere/gone.mp3\t\n");
    // The lines read stay in their order (the dead one goes); new keys follow.
    EXPECT_EQ(index(), "19950415001\thttp://w/x\t\r\n19950422001\t" + found + "\t\r\n" + "19950415002\t" +
                           found + "\t\r\n" + "19950408001\t" + found + "\t\r\n");

    // Nothing left to change: nothing printed, nothing written.
    QFile::remove(dir.filePath(QStringLiteral("file.idx")));
    const VorqRun again =
        runVorq(QStringList{QStringLiteral("associate"), QStringLiteral("--auto")} + range());
    EXPECT_EQ(again.status, 0);
    EXPECT_EQ(again.out, QByteArray());
    EXPECT_EQ(index(), QByteArray("<missing>"));
}

TEST_F(CliAssociate, SetFileOnOneRowOrOnEverySameSongRow) {
    const QStringList set{QStringLiteral("associate"), QStringLiteral("--date"), QStringLiteral("1995-04-15"),
                          QStringLiteral("--rank"),    QStringLiteral("2"),      QStringLiteral("--file"),
                          QStringLiteral("/m/hit.mp3")};
    VorqRun r = runVorq(set + range());
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(r.out, QByteArray("1995年04月15日\t2\tHit\tStar\t\t/m/hit.mp3\n"));
    EXPECT_TRUE(index().contains("19950415002\t/m/hit.mp3\t\r\n"));
    EXPECT_FALSE(index().contains("19950422001"));

    r = runVorq(set + range() + QStringList{QStringLiteral("--same-song"), QStringLiteral("all")});
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("1995年04月22日\t1\tHit\tStar\t\t/m/hit.mp3\n"
                                "1995年04月08日\t1\tHit\tStar\t\t/m/hit.mp3\n"));

    // An unknown date or rank changes nothing.
    const QByteArray before = index();
    QStringList bad = set + range();
    bad[2] = QStringLiteral("1995-04-29");
    r = runVorq(bad);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(r.err.isEmpty());
    EXPECT_EQ(index(), before);

    r = runVorq(QStringList{QStringLiteral("associate"), QStringLiteral("--date"),
                            QStringLiteral("1995-04-08"), QStringLiteral("--rank"), QStringLiteral("2"),
                            QStringLiteral("--clear")} +
                range());
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, QByteArray("1995年04月08日\t2\tGone\tY\t/nowhere/gone.mp3\t\n"));
    EXPECT_FALSE(index().contains("gone"));
}

TEST_F(CliAssociate, NothingLeftOutInSilenceAndARelativeFolderIsStoredAbsolute) {
    write("vorqview", "program");
    auto cdr = [&](const QString &root) {
        return QStringList{QStringLiteral("cdr"), QStringLiteral("--root"), root, QStringLiteral("--program"),
                           dir.filePath(QStringLiteral("vorqview"))} +
               range().mid(0, 4);
    };
    QTemporaryDir root;
    VorqRun r = runVorq(cdr(root.path()));
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.endsWith("left-out\tmissing\t/nowhere/gone.mp3\nleft-out\tweb\thttp://w/x\n"))
        << r.out.constData();
    for (const QString &name : {QString::fromUtf8("\xF0\x9F\x8E\xB5.mp3"), QStringLiteral("a\\b.mp3")}) {
        QTemporaryDir empty;
        QFile(music.filePath(name)).open(QIODevice::WriteOnly);
        r = runVorq(cdr(empty.path()) + QStringList{QStringLiteral("--add"), music.filePath(name)});
        EXPECT_EQ(r.status, 1) << r.err.constData();
        EXPECT_TRUE(QDir(empty.path()).isEmpty());
    }

    const QStringList relative =
        QStringLiteral("associate --auto --pattern %a-%t.mp3 --auto-add on --folder").split(QLatin1Char(' '))
        << QDir(music.path()).dirName();
    r = runVorqAt(vorqCopy(), relative + range(), QFileInfo(music.path()).path());
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(index().contains(
        QByteArray("19950422001\t" + music.filePath(QStringLiteral("Star-Hit.mp3")).toUtf8())));
}

TEST_F(CliAssociate, EveryWriteKeepsTheVersionItReplacesAndBackupsPutsOneBack) {
    const QByteArray first = index();
    const QStringList set{QStringLiteral("associate"), QStringLiteral("--date"), QStringLiteral("1995-04-15"),
                          QStringLiteral("--rank"),    QStringLiteral("2"),      QStringLiteral("--file")};
    ASSERT_EQ(runVorq(set + QStringList{QStringLiteral("/m/a.mp3")} + range()).status, 0);
    ASSERT_EQ(runVorq(set + QStringList{QStringLiteral("/m/b.mp3")} + range()).status, 0);
    const QStringList backups{QStringLiteral("backups"), QStringLiteral("--data"), data};
    VorqRun r = runVorq(backups);
    ASSERT_EQ(r.status, 0) << r.err.constData();
    QList<QByteArray> listed = r.out.trimmed().split('\n');
    ASSERT_EQ(listed.size(), 2);  // newest first: the file with a.mp3, then the first one
    EXPECT_TRUE(listed[0].endsWith("\t3") && listed[1].endsWith("\t2")) << r.out.constData();
    r = runVorq(backups + QStringList{QStringLiteral("--json")});
    EXPECT_TRUE(r.out.contains("\"lines\": 2") && r.out.contains("\"name\": \"file-")) << r.out.constData();

    r = runVorq(backups +
                QStringList{QStringLiteral("--restore"), QString::fromUtf8(listed[1].split('\t')[0])});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(index(), first);
    EXPECT_EQ(runVorq(backups).out.count('\n'), 3);  // the replaced one is kept too
    for (const QString &bad : {QStringLiteral("../file.idx"), QStringLiteral("file-x.idx"),
                               QStringLiteral("file-20000101-000000.idx")})
        EXPECT_EQ(runVorq(backups + QStringList{QStringLiteral("--restore"), bad}).status, 1);
    EXPECT_EQ(index(), first);
}
