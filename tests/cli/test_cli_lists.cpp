// vorq search, list and print: the formats scripts rely on, files byte for
// byte as the viewer writes them, and the failures that must leave nothing.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "core/charts/chartstore.h"
#include "core/lists/listoutput.h"
#include "sjtest.h"
#include "vorqrun.h"

namespace {

QByteArray readBytes(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class CliLists : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data;
    void SetUp() override {
        data = dir.filePath(QStringLiteral("data"));
        QDir().mkpath(data);
        write("19950408.txt", sj("1\t恋の歌\tA\r\n2\tSolo\tB\r\n10\t恋の歌\tC\r\n"));
        write("19950415.txt", sj("1\t恋の歌\tA\r\n"));
        write("file.idx", sj("19950415001\t/m/恋.mp3\tplay\r\n19950408010\t/m/c.mp3\t\r\n"));
    }
    void write(const char *name, const QByteArray &bytes) const {
        vorq::sjis::saveFile(data + QLatin1Char('/') + QString::fromLatin1(name), bytes);
    }
    QStringList base(const char *command) const {
        return {QString::fromLatin1(command), QStringLiteral("--data"), data, QStringLiteral("--today"),
                QStringLiteral("1995-05-07")};
    }
};

TEST_F(CliLists, SearchPrintsTheHeaderAndEightTextsPerRowInTabOrder) {
    const VorqRun r =
        runVorq(base("search") << QStringLiteral("--title") << u8("恋") << QStringLiteral("--header"));
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(QString::fromUtf8(r.out),
              u8("曲名:\"「恋」を含む\", "
                 "\nアーティスト名:\"「(指定しない)」を含む\"で\n検索した結果は次の通りです。\n\n"
                 "1995年04月15日\t1\t恋の歌\tA\t/m/恋.mp3\tplay\t1\t0\n"
                 "1995年04月08日\t1\t恋の歌\tA\t\t\t2\t0\n"
                 "1995年04月08日\t10\t恋の歌\tC\t/m/c.mp3\t\t2\t2\n"));
    const VorqRun exact = runVorq(base("search") << QStringLiteral("--artist") << QStringLiteral("B")
                                                 << QStringLiteral("--exact") << QStringLiteral("--sjis"));
    EXPECT_EQ(exact.out, sj("1995年04月08日\t2\tSolo\tB\t\t\t2\t1\n"));
}

TEST_F(CliLists, SaveAndPlaylistWriteWhatTheWindowWouldWrite) {
    const QString file = dir.filePath(QStringLiteral("out.txt"));
    VorqRun r = runVorq(base("search") << QStringLiteral("--title") << u8("恋") << QStringLiteral("--save")
                                       << file << QStringLiteral("--count") << QStringLiteral("4")
                                       << QStringLiteral("--columns") << QStringLiteral("date,number,file"));
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(readBytes(file),
              sj("日付\t順位\t起動ファイル名\r\n1995年04月15日\t1\t/m/恋.mp3\r\n1995年04月08日\t1\t\r\n"
                 "1995年04月08日\t10\t/m/c.mp3\r\n1995年04月15日\t1\t/m/恋.mp3\r\n"));
    const QString m3u = dir.filePath(QStringLiteral("out.m3u"));
    r = runVorq(base("search") << QStringLiteral("--playlist") << m3u << QStringLiteral("--count")
                               << QStringLiteral("3"));
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(readBytes(m3u), sj("/m/恋.mp3\r\n/m/c.mp3\r\n/m/恋.mp3\r\n"));
    // No associated file: the window's message, nothing written.
    const QString none = dir.filePath(QStringLiteral("none.m3u"));
    r = runVorq(base("search") << QStringLiteral("--title") << QStringLiteral("Solo")
                               << QStringLiteral("--playlist") << none);
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(u8("関連付けされたファイルがありません。")));
    EXPECT_FALSE(QFile::exists(none));
}

TEST_F(CliLists, ListWritesTheChartAsTheMainWindowSavesIt) {
    const VorqRun out =
        runVorq(base("list") << QStringLiteral("--date") << QStringLiteral("1995-04-08")
                             << QStringLiteral("--columns") << QStringLiteral("title,method,date"));
    ASSERT_EQ(out.status, 0) << out.err.constData();
    EXPECT_EQ(QString::fromUtf8(out.out), u8("曲名\tコマンド\n恋の歌\t\nSolo\t\n恋の歌\t\n"));
    const QString file = dir.filePath(QStringLiteral("list.txt"));
    const VorqRun saved = runVorq(base("list") << QStringLiteral("--date") << u8("1995年04月08日")
                                               << QStringLiteral("--save") << file);
    ASSERT_EQ(saved.status, 0) << saved.err.constData();
    EXPECT_EQ(readBytes(file),
              sj("順位\t曲名\tアーティスト名\t起動ファイル名\r\n1\t恋の歌\tA\t\r\n2\tSolo\tB\t\r\n"
                 "10\t恋の歌\tC\t/m/c.mp3\r\n"));
}

TEST_F(CliLists, PrintMakesAPdfAndFailuresLeaveNothing) {
    const QString pdf = dir.filePath(QStringLiteral("chart.pdf"));
    VorqRun r = runVorq(base("print") << QStringLiteral("--date") << QStringLiteral("1995-04-08")
                                      << QStringLiteral("--pdf") << pdf);
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(readBytes(pdf).startsWith("%PDF"));
    if (!QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) {
        QProcess p;
        p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        EXPECT_TRUE(text.startsWith(
            u8("順位 曲名 アーティスト名 起動ファイル名 1 恋の歌 A 2 Solo B 10 恋の歌 C /m/c.mp3")))
            << text.toStdString();
    }
    // An unknown date and an unwritable file: status 1, nothing made.
    const QString other = dir.filePath(QStringLiteral("other.pdf"));
    r = runVorq(base("print") << QStringLiteral("--date") << QStringLiteral("1995-04-29")
                              << QStringLiteral("--pdf") << other);
    EXPECT_EQ(r.status, 1);
    EXPECT_FALSE(QFile::exists(other));
    r = runVorq(base("list") << QStringLiteral("--date") << QStringLiteral("1995-04-08")
                             << QStringLiteral("--save") << dir.filePath(QStringLiteral("no/such/list.txt")));
    EXPECT_EQ(r.status, 1);
    r = runVorq(base("search") << QStringLiteral("--pdf") << dir.filePath(QStringLiteral("no/such/x.pdf")));
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(
        QDir(dir.path()).entryList({QStringLiteral(".*.pdf*")}, QDir::Files | QDir::Hidden).isEmpty());
}

}  // namespace
