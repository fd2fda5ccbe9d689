// vorq cdr into a folder holding links never writes through one into the
// running program's files (files of one name: test_cdrwizard).
#include <gtest/gtest.h>
#include <unistd.h>

#include <QDirIterator>

#include "core/text/sjistext.h"
#include "sjtest.h"
#include "vorqrun.h"

namespace {

QByteArray read(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void put(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).path());
    vorq::sjis::saveFile(path, bytes);
}

// Every entry below folder with its content, links not followed.
QMap<QString, QByteArray> tree(const QString &folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString e = it.next();
        out.insert(QDir(folder).relativeFilePath(e), QFileInfo(e).isFile() ? read(e) : QByteArray());
    }
    return out;
}

class CliCdr : public ::testing::Test {
protected:
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data/")),
                  music = dir.filePath(QStringLiteral("music/")),
                  root = dir.filePath(QStringLiteral("root/")),
                  live = QFileInfo(vorqCopy()).path() + QStringLiteral("/");  // the running vorq's folder

    void SetUp() override {
        put(dir.filePath(QStringLiteral("vorqview")), "program");
        put(data + QStringLiteral("19950408.txt"),
            sj("1\tA\tB\r\n2\tC\tD\r\n3\tE\tF\r\n4\tG\tH\r\n5\tI\tJ\r\n"));
        put(live + QStringLiteral("vorqview.ini"), "[Options]\r\n");
        QDir().mkpath(root);
    }
    QByteArray m(const QString &rel) const { return vorq::sjis::fromUnicode(music + rel); }
    VorqRun cdr(const QStringList &extra) const {
        return runVorq(QStringList{QStringLiteral("cdr"), QStringLiteral("--root"), root,
                                   QStringLiteral("--program"), dir.filePath(QStringLiteral("vorqview")),
                                   QStringLiteral("--data"), data, QStringLiteral("--today"),
                                   QStringLiteral("1995-05-01")} +
                       extra);
    }
};

}  // namespace

TEST_F(CliCdr, NeverWritesThroughALinkWithOrWithoutOverwrite) {
    put(music + QStringLiteral("a.mp3"), "song a");
    put(data + QStringLiteral("file.idx"), "19950408001\t" + m(QStringLiteral("a.mp3")) + "\t\r\n");
    put(data + QStringLiteral("backup/file.idx.19950401"), "a kept version");
    const auto liveFiles = [&] {
        return tree(data).values() + tree(music).values() << read(live + QStringLiteral("vorqview.ini"));
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
    for (const auto &c : cases) {
        for (const bool overwrite : {false, true}) {
            const QString at = root + QLatin1String(c.staged);
            SCOPED_TRACE(at.toStdString() + (c.hard ? " hard" : " symbolic") +
                         (overwrite ? " --overwrite" : ""));
            QDir(root).removeRecursively();
            QDir().mkpath(QFileInfo(at).path());
            QDir().mkpath(root + QStringLiteral("music"));
            const QByteArray from = QFile::encodeName(c.target), to = QFile::encodeName(at);
            ASSERT_EQ((c.hard ? ::link : ::symlink)(from.constData(), to.constData()), 0);
            const auto planted = tree(root);
            const VorqRun r = cdr(overwrite ? folders + QStringList{QStringLiteral("--overwrite")} : folders);
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(QString::fromUtf8(r.err).contains(at)) << r.err.constData();
            EXPECT_EQ(liveFiles(), before);
            EXPECT_EQ(tree(root), planted);  // refused before anything was written
        }
    }
    // A hard link to a file not the program's own is replaced, not written
    // through; the data folder's backup/ stays behind.
    QDir(root).removeRecursively();
    QDir().mkpath(root + QStringLiteral("music"));
    ASSERT_EQ(::link(QFile::encodeName(music + QStringLiteral("a.mp3")).constData(),
                     QFile::encodeName(root + QStringLiteral("music/a.mp3")).constData()),
              0);
    const VorqRun r = cdr(folders + QStringList{QStringLiteral("--overwrite")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(liveFiles(), before);
    EXPECT_EQ(tree(root).keys().join(QLatin1Char(' ')),
              QStringLiteral("autorun.inf autorun.sh music music/a.mp3 prog prog/19950408.txt prog/file.idx "
                             "prog/notfound.txt prog/vorqview prog/vorqview.ini"));
}
