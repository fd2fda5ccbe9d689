// A real disc: a staged folder burnt into an ISO 9660 image, mounted
// read-only without privileges, the staged vorqview started from it, then
// restored to the hard disk.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "fakeshell.h"
#include "sjtest.h"
#include "ui/cdr/cdrwizard.h"

using namespace vorq;

namespace {

struct ToolRun {
    int status = -1;
    QByteArray out, err;
};

ToolRun run(const QString &program, const QStringList &args, const QProcessEnvironment &env = {}) {
    QProcess p;
    if (!env.isEmpty()) p.setProcessEnvironment(env);
    p.start(program, args);
    ToolRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QStringList listing(const QString &folder) {
    QStringList out;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) out.append(it.next());
    out.sort();
    return out;
}

QByteArray sha256(const QString &file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash h(QCryptographicHash::Sha256);
    h.addData(&f);
    return h.result();
}

// Why the disc cannot be made here, or empty when it can.
QString missingTools() {
    for (const char *tool : {"xorriso", "fuseiso", "fusermount"})
        if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
            return QStringLiteral("%1 is not installed (scripts/install-deps installs it)")
                .arg(QLatin1String(tool));
    if (access("/dev/fuse", R_OK | W_OK) != 0)
        return QStringLiteral(
            "/dev/fuse cannot be opened: FUSE is not usable here, so the image cannot be mounted "
            "without privileges");
    return {};
}

class Disc : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString mount;
    bool mounted = false;

    void TearDown() override {
        if (mounted) run(QStringLiteral("fusermount"), {QStringLiteral("-u"), mount});
    }
    QString path(const char *rel) const { return dir.filePath(QString::fromUtf8(rel)); }
};

}  // namespace

TEST_F(Disc, StagedFolderRunsFromAMountedImageAndRestores) {
    if (const QString why = missingTools(); !why.isEmpty()) GTEST_SKIP() << why.toStdString();

    // A data folder with associated files in a music folder.
    for (const char *f : {"data", "music", "root/prog", "root/music", "mnt", "home", "restored", "again"})
        QDir().mkpath(path(f));
    sjis::saveFile(path("data/19950408.txt"), sj("1\t曲A\t歌手A\r\n2\t曲B\t歌手B\r\n"));
    sjis::saveFile(path("data/19950415.txt"), sj("1\t曲B\t歌手B\r\n"));
    sjis::saveFile(path("data/notfound.txt"), sj("1995年04月22日\r\n"));
    sjis::saveFile(path("music/a.mp3"), QByteArray(4096, 'a'));
    const QByteArray music = sjis::fromUnicode(path("music/"));
    sjis::saveFile(path("data/file.idx"),
                   "19950408001\t" + music + "a.mp3\t\r\n19950415001\thttp://www.vorq.example/\t\r\n");

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), path("home"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), path("home/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), path("home/config"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString bin = QStringLiteral(VORQ_BINARY_DIR "/src/app/");
    const ToolRun staged =
        run(bin + QStringLiteral("vorq"),
            {QStringLiteral("cdr"), QStringLiteral("--root"), path("root"),
             QStringLiteral("--program-folder"), QStringLiteral("prog"), QStringLiteral("--assoc-folder"),
             QStringLiteral("music"), QStringLiteral("--data"), path("data"), QStringLiteral("--program"),
             bin + QStringLiteral("vorqview"), QStringLiteral("--today"), QStringLiteral("1995-05-01")},
            env);
    ASSERT_EQ(staged.status, 0) << staged.err.constData();
    // vorq beside the staged program resolves against the medium it runs from.
    ASSERT_TRUE(QFile::copy(bin + QStringLiteral("vorq"), path("root/prog/vorq")));

    const QString iso = path("disc.iso");
    const ToolRun burnt = run(QStringLiteral("xorriso"),
                              {QStringLiteral("-as"), QStringLiteral("mkisofs"), QStringLiteral("-R"),
                               QStringLiteral("-J"), QStringLiteral("-o"), iso, path("root")});
    ASSERT_EQ(burnt.status, 0) << burnt.err.constData();
    // What an image holds does not need a mount: check it first.
    const ToolRun listed =
        run(QStringLiteral("xorriso"), {QStringLiteral("-indev"), iso, QStringLiteral("-find"),
                                        QStringLiteral("/"), QStringLiteral("-type"), QStringLiteral("f")});
    for (const char *f : {"'/autorun.inf'", "'/autorun.sh'", "'/prog/vorqview'", "'/prog/vorqview.ini'",
                          "'/prog/file.idx'", "'/prog/19950408.txt'", "'/music/a.mp3'"})
        EXPECT_TRUE(listed.out.contains(f)) << f;

    mount = path("mnt");
    const ToolRun mountRun = run(QStringLiteral("fuseiso"), {iso, mount});
    // A mount refused by the system (no FUSE permission in a container) is
    // the machine's limit, not a fault: the image's contents were checked.
    if (mountRun.status != 0)
        GTEST_SKIP() << "fuseiso could not mount the image without privileges: " << mountRun.err.constData();
    mounted = true;
    const QByteArray isoBefore = sha256(iso);
    const QStringList mediumBefore = listing(mount);
    ASSERT_TRUE(mediumBefore.contains(mount + QStringLiteral("/prog/vorqview")));
    EXPECT_TRUE(QFileInfo(mount + QStringLiteral("/prog/vorqview")).isExecutable());

    // The staged program starts from the medium, loads its charts and keeps
    // its settings in the user settings folder.
    QProcessEnvironment viewerEnv = env;
    viewerEnv.insert(QStringLiteral("VORQVIEW_QUIT_WHEN_IDLE"), QStringLiteral("1"));
    const ToolRun viewer = run(mount + QStringLiteral("/prog/vorqview"), {}, viewerEnv);
    EXPECT_EQ(viewer.status, 0) << viewer.err.constData();
    const QString userFolder = path("home/share/Brelon/vorqview/");
    EXPECT_TRUE(QFileInfo::exists(userFolder + QStringLiteral("vorqview.ini")));
    const QStringList ownSettings =
        QDir(userFolder).entryList({QStringLiteral("{*}")}, QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(ownSettings.size(), 1);
    EXPECT_TRUE(QFileInfo::exists(userFolder + ownSettings.first() + QStringLiteral("/vorqview.ini")));

    const ToolRun loaded =
        run(mount + QStringLiteral("/prog/vorq"),
            {QStringLiteral("load"), QStringLiteral("--data"), mount + QStringLiteral("/prog"),
             QStringLiteral("--today"), QStringLiteral("1995-05-01"), QStringLiteral("--resolve")},
            env);
    EXPECT_EQ(loaded.status, 0) << loaded.err.constData();
    // The stored "\music\a.mp3" lands in the mount, wherever that is.
    EXPECT_EQ(QString::fromUtf8(loaded.out), u8("1995年04月15日\t1\t曲B\t歌手B\thttp://www.vorq.example/\t\n"
                                                "1995年04月08日\t1\t曲A\t歌手A\t") +
                                                 QFileInfo(mount).canonicalFilePath() +
                                                 u8("/music/a.mp3\t\n"
                                                    "1995年04月08日\t2\t曲B\t歌手B\t\t\n"));

    // Staging again from the running copy finds the "\\"-rooted file on the medium.
    const ToolRun again =
        run(mount + QStringLiteral("/prog/vorq"),
            {QStringLiteral("cdr"), QStringLiteral("--root"), path("again"), QStringLiteral("--assoc-folder"),
             QStringLiteral("music"), QStringLiteral("--data"), mount + QStringLiteral("/prog"),
             QStringLiteral("--program"), mount + QStringLiteral("/prog/vorqview"), QStringLiteral("--today"),
             QStringLiteral("1995-05-01")},
            env);
    EXPECT_EQ(again.status, 0) << again.err.constData();
    EXPECT_EQ(QFileInfo(path("again/music/a.mp3")).size(), 4096);
    EXPECT_TRUE(sjis::readFile(path("again/file.idx")).contains("19950408001\t\\music\\a.mp3\t"));

    EXPECT_EQ(listing(mount), mediumBefore);
    EXPECT_EQ(sha256(iso), isoBefore);

    // Restore from the medium onto the hard disk.
    test::ScopedFakes fakes;
    std::unique_ptr<Shell> desktop = makeDesktopShell();
    setShell(desktop.get());
    fakes.prompter.files.push_back(path("restored"));
    restoreFromCdr(nullptr, mount + QStringLiteral("/prog/vorqview"));
    EXPECT_EQ(QDir(path("restored")).entryList(QDir::Files),
              QStringList({QStringLiteral("notfound.txt"), QStringLiteral("vorqview")}));
    EXPECT_TRUE(QFileInfo(path("restored/vorqview")).isExecutable());
    EXPECT_EQ(sha256(path("restored/vorqview")), sha256(bin + QStringLiteral("vorqview")));
}
