// vorq cdr into a folder holding links: nothing is ever written through one
// into the running program's files; and two associated files of one name
// are two files on the disc, each association pointing at its own.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

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

// Every entry below folder, links listed but not followed.
QStringList entries(const QString &folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out.append(QDir(folder).relativeFilePath(it.next()));
    out.sort();
    return out;
}

QMap<QString, QByteArray> contents(const QString &folder) {
    QMap<QString, QByteArray> out;
    for (const QString &e : entries(folder))
        if (QFileInfo(folder + e).isFile()) out.insert(e, read(folder + e));
    return out;
}

class CliCdr : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data, music, root, live;  // live: the folder of the vorq that runs

    void SetUp() override {
        data = dir.filePath(QStringLiteral("data/"));
        music = dir.filePath(QStringLiteral("music/"));
        root = dir.filePath(QStringLiteral("root/"));
        live = QFileInfo(vorqCopy()).path() + QLatin1Char('/');
        put(dir.filePath(QStringLiteral("vorqview")), "program");
        put(data + QStringLiteral("19950408.txt"),
            sj("1\tA\tB\r\n2\tC\tD\r\n3\tE\tF\r\n4\tG\tH\r\n5\tI\tJ\r\n"));
        put(data + QStringLiteral("19950415.txt"), sj("1\tA\tB\r\n"));
        put(live + QStringLiteral("vorqview.ini"), "[Options]\r\n");  // the running program's settings
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
    put(data + QStringLiteral("backup/file.idx.19950401"), "19950408001\tolder\t\r\n");  // a kept version
    struct Case {
        const char *staged;  // below the root
        QString target;
        bool hard;
    };
    const QList<Case> cases{
        {"prog/file.idx", data + QStringLiteral("file.idx"), false},
        {"prog/file.idx", data + QStringLiteral("file.idx"), true},
        {"prog/vorqview.ini", live + QStringLiteral("vorqview.ini"), false},
        {"prog/vorqview.ini", live + QStringLiteral("vorqview.ini"), true},
        {"prog/notfound.txt", data + QStringLiteral("backup/file.idx.19950401"), true},
        {"music/a.mp3", music + QStringLiteral("a.mp3"), false},
        {"prog", data, false},
    };
    const auto liveFiles = [&] {
        return std::make_tuple(contents(data), contents(music), read(live + QStringLiteral("vorqview.ini")));
    };
    const auto before = liveFiles();
    for (const Case &c : cases) {
        for (const bool overwrite : {false, true}) {
            const QString at = root + QLatin1String(c.staged);
            SCOPED_TRACE(at.toStdString() + (c.hard ? " hard link" : " symbolic link") +
                         (overwrite ? " --overwrite" : ""));
            QDir(root).removeRecursively();
            QDir().mkpath(root + QStringLiteral("music"));
            if (at.contains(QStringLiteral("/prog/"))) QDir().mkpath(root + QStringLiteral("prog"));
            const QByteArray from = QFile::encodeName(c.target), to = QFile::encodeName(at);
            ASSERT_EQ(c.hard ? ::link(from.constData(), to.constData())
                             : ::symlink(from.constData(), to.constData()),
                      0);
            const QStringList planted = entries(root);
            QStringList args{QStringLiteral("--program-folder"), QStringLiteral("prog"),
                             QStringLiteral("--assoc-folder"), QStringLiteral("music")};
            if (overwrite) args << QStringLiteral("--overwrite");
            const VorqRun r = cdr(args);
            EXPECT_EQ(r.status, 1);
            EXPECT_TRUE(QString::fromUtf8(r.err).contains(at)) << r.err.constData();
            EXPECT_EQ(liveFiles(), before);
            EXPECT_EQ(entries(root), planted);  // refused before anything was written
        }
    }

    // A hard link to a file that is not the program's own is replaced, not
    // written through; the data folder's backup/ is not staged.
    QDir(root).removeRecursively();
    QDir().mkpath(root + QStringLiteral("music"));
    ASSERT_EQ(::link(QFile::encodeName(music + QStringLiteral("a.mp3")).constData(),
                     QFile::encodeName(root + QStringLiteral("music/a.mp3")).constData()),
              0);
    const VorqRun r =
        cdr({QStringLiteral("--program-folder"), QStringLiteral("prog"), QStringLiteral("--assoc-folder"),
             QStringLiteral("music"), QStringLiteral("--overwrite")});
    EXPECT_EQ(r.status, 0) << r.err.constData();
    EXPECT_EQ(liveFiles(), before);
    EXPECT_EQ(QFileInfo(music + QStringLiteral("a.mp3")).size(), 6);
    EXPECT_EQ(entries(root),
              QStringList({QStringLiteral("autorun.inf"), QStringLiteral("autorun.sh"),
                           QStringLiteral("music"), QStringLiteral("music/a.mp3"), QStringLiteral("prog"),
                           QStringLiteral("prog/19950408.txt"), QStringLiteral("prog/19950415.txt"),
                           QStringLiteral("prog/file.idx"), QStringLiteral("prog/notfound.txt"),
                           QStringLiteral("prog/vorqview"), QStringLiteral("prog/vorqview.ini")}));
}

TEST_F(CliCdr, FilesOfOneNameGetNamesOfTheirOwnOnTheDisc) {
    // Program, data and associated files all at the root: a lyrics file
    // named like a chart must not replace the chart either.
    const QStringList sources{QStringLiteral("a/x.mp3"), QStringLiteral("b/x.mp3"), QStringLiteral("c/X.MP3"),
                              QStringLiteral("d/x (2).mp3"), QStringLiteral("e/19950408.txt")};
    QByteArray idx;
    for (int i = 0; i < sources.size(); ++i) {
        put(music + sources[i], "file " + QByteArray::number(i + 1));
        idx += "1995040800" + QByteArray::number(i + 1) + '\t' + m(sources[i]) + "\t\r\n";
    }
    idx += "19950415001\t" + m(sources[0]) + "\tplay\r\n";  // the same file on another date
    put(data + QStringLiteral("file.idx"), idx);
    const VorqRun r = cdr({});
    ASSERT_EQ(r.status, 0) << r.err.constData();

    const QList<QByteArray> staged = vorq::sjis::readLines(root + QStringLiteral("file.idx"));
    EXPECT_EQ(staged, QList<QByteArray>({"19950408001\t\\x.mp3\t", "19950408002\t\\x (3).mp3\t",
                                         "19950408003\t\\X (4).MP3\t", "19950408004\t\\x (2).mp3\t",
                                         "19950408005\t\\19950408 (2).txt\t", "19950415001\t\\x.mp3\tplay"}));
    // Each association plays its own file.
    for (const QByteArray &line : staged) {
        const QList<QByteArray> f = line.split('\t');
        const int source = f[0].right(3).toInt();
        EXPECT_EQ(read(root + vorq::sjis::path(f[1].mid(1))), "file " + QByteArray::number(source))
            << line.constData();
    }
    EXPECT_EQ(read(root + QStringLiteral("19950408.txt")), read(data + QStringLiteral("19950408.txt")));
}
