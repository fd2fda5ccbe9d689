// Medium-rooted associated files ("\music\a.mp3"): where the medium's root
// is, and that nothing stored on it reaches outside.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <random>
#include <tuple>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/charts/mediumpath.h"
#include "core/charts/storedtarget.h"
#include "core/text/sjistext.h"
#include "sjtest.h"

using namespace vorq;

namespace {

class MediumPathTest : public ::testing::Test {
protected:
    QTemporaryDir outer;  // holds the medium and a secret beside it
    QString medium, prog, secret;

    void SetUp() override {
        ASSERT_TRUE(outer.isValid());
        const QString base = QFileInfo(outer.path()).canonicalFilePath();
        medium = base + QStringLiteral("/disc");
        prog = medium + QStringLiteral("/prog");
        secret = base + QStringLiteral("/secret.txt");
        ASSERT_TRUE(QDir().mkpath(prog) && QDir().mkpath(medium + QStringLiteral("/music")));
        touch(medium + QStringLiteral("/AUTORUN.INF"));
        touch(medium + QStringLiteral("/music/a.mp3"));
        touch(secret);
        env::setProgramFolder(sjis::fromUnicode(prog + QLatin1Char('/')));
    }
    void TearDown() override { env::setProgramFolder({}); }
    static void touch(const QString &path) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QString resolve(const char *stored) { return resolveAssociatedPath(sj(stored), prog); }
};

TEST_F(MediumPathTest, RootIsTheNearestFolderWithAutorunElseTheMountPoint) {
    EXPECT_EQ(mediumRoot(prog), medium);
    EXPECT_EQ(mediumRoot(prog + QLatin1Char('/')), medium);
    touch(prog + QStringLiteral("/autorun.inf"));
    EXPECT_EQ(mediumRoot(prog), prog);  // the program in the root of the disc
    QDir(medium).remove(QStringLiteral("AUTORUN.INF"));
    QDir(prog).remove(QStringLiteral("autorun.inf"));
    const QString mount = mediumRoot(prog);
    EXPECT_TRUE(prog.startsWith(mount == QLatin1String("/") ? mount : mount + QLatin1Char('/')))
        << mount.toStdString();
}

TEST_F(MediumPathTest, InsideTheMediumResolvesWithEitherSeparator) {
    EXPECT_TRUE(isMediumRooted("\\music\\a.mp3"));
    EXPECT_FALSE(isMediumRooted("\\\\server\\share\\a.mp3"));
    EXPECT_FALSE(isMediumRooted("/music/a.mp3"));
    EXPECT_EQ(resolve("\\music\\a.mp3"), medium + QStringLiteral("/music/a.mp3"));
    EXPECT_EQ(resolve("\\music/./x\\..\\a.mp3"), medium + QStringLiteral("/music/a.mp3"));
    // A trail byte 0x5C ("ソ" is 83 5C) is not a separator.
    EXPECT_EQ(resolve("\\music\\ソング.mp3"), medium + QString::fromUtf8("/music/ソング.mp3"));
    // Other texts come back as stored.
    EXPECT_EQ(resolve("/abs/a.mp3"), QStringLiteral("/abs/a.mp3"));
    EXPECT_EQ(resolve("http://h/a"), QStringLiteral("http://h/a"));
}

TEST_F(MediumPathTest, EscapesAreRefusedAndDoNotExist) {
    EXPECT_TRUE(resolve("\\music\\..\\..\\etc\\passwd").isEmpty());
    EXPECT_TRUE(resolve("\\..\\secret.txt").isEmpty());
    EXPECT_TRUE(resolve("\\music\\..\\..\\..\\..\\..\\..\\..\\..\\etc\\passwd").isEmpty());
    // Links: one out of the medium (to a file, to a folder, dangling) is
    // refused; one that stays inside is followed.
    ASSERT_TRUE(QFile::link(secret, medium + QStringLiteral("/music/out.mp3")));
    ASSERT_TRUE(QFile::link(QFileInfo(secret).path(), medium + QStringLiteral("/up")));
    ASSERT_TRUE(QFile::link(QFileInfo(secret).path() + QStringLiteral("/new.txt"),
                            medium + QStringLiteral("/music/dangling.txt")));
    ASSERT_TRUE(QFile::link(medium + QStringLiteral("/music"), medium + QStringLiteral("/songs")));
    EXPECT_TRUE(resolve("\\music\\out.mp3").isEmpty());
    EXPECT_TRUE(resolve("\\up\\secret.txt").isEmpty());
    EXPECT_TRUE(resolve("\\music\\dangling.txt").isEmpty());
    EXPECT_EQ(resolve("\\songs\\a.mp3"), medium + QStringLiteral("/songs/a.mp3"));

    // The existence test agrees, and keeps its results for other texts.
    EXPECT_TRUE(existenceTest("\\music\\a.mp3"));
    EXPECT_TRUE(existenceTest("\\songs\\a.mp3"));
    EXPECT_FALSE(existenceTest("\\music\\out.mp3"));
    EXPECT_FALSE(existenceTest("\\music\\..\\..\\secret.txt"));
    EXPECT_FALSE(existenceTest("\\music\\b.mp3"));
    EXPECT_TRUE(existenceTest(sjis::fromUnicode(secret)));
    EXPECT_TRUE(existenceTest("http://h/a"));
}

// One resolver for a task (the automatic update) against one resolution per
// text, on random texts over a tree with links, a file used as a folder,
// folders that are gone, "." and "..", relative and medium-rooted texts:
// the same answers in any order, and a tree that is gone costs one test.
TEST_F(MediumPathTest, OneResolverAnswersAsEachResolutionDoes) {
    const QString base = QFileInfo(outer.path()).canonicalFilePath();
    for (const char *d : {"disc/a/b", "disc/c", "disc/曲"})
        ASSERT_TRUE(QDir(base).mkpath(QString::fromUtf8(d)));
    for (const char *f : {"disc/a/x.mp3", "disc/a/b/y.mp3", "disc/c/z.mp3", "disc/曲/歌.mp3", "disc/f"})
        touch(base + QLatin1Char('/') + QString::fromUtf8(f));
    ASSERT_TRUE(QFile::link(medium + QStringLiteral("/a"), medium + QStringLiteral("/l")));
    ASSERT_TRUE(QFile::link(medium + QStringLiteral("/gone"), medium + QStringLiteral("/d")));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(medium + QStringLiteral("/a")));
    const QList<QByteArray> parts{"a", "b", "c", "l", "d", "f", sj("曲"), "gone", "..", ".", ""},
        names{"x.mp3", "y.mp3", "z.mp3", sj("歌.mp3"), "..", ".", "f", ""},
        starts{sjis::fromUnicode(medium), ".", "", "b", "http://h"};
    std::mt19937 rng(31);
    auto pick = [&](const QList<QByteArray> &from) {
        return from.at(qsizetype(rng() % unsigned(from.size())));
    };
    int found = 0;
    for (int round = 0; round < 40; ++round) {
        StoredTargetResolver resolver(prog);
        for (int i = 0; i < 150; ++i) {
            QByteArray text = pick(starts);
            const char sep = text.isEmpty() ? '\\' : '/';  // "" starts a medium-rooted text
            for (int depth = int(rng() % 4); depth > 0; --depth) text += sep + pick(parts);
            text += sep + pick(names);
            const StoredTarget one = resolveStoredTarget(text, prog), batch = resolver.resolve(text);
            ASSERT_EQ(resolver.exists(text), one.exists) << text.toStdString();
            ASSERT_EQ(std::tie(batch.localPath, batch.exists, batch.kind),
                      std::tie(one.localPath, one.exists, one.kind))
                << text.toStdString();
            found += one.exists;
        }
    }
    EXPECT_GT(found, 300);  // the random texts reach both answers
    StoredTargetResolver resolver(prog);
    for (int i = 0; i < 100; ++i)
        EXPECT_FALSE(
            resolver.exists(sjis::fromUnicode(medium) + "/gone/" + QByteArray::number(i % 7) + "/s.mp3"));
    EXPECT_LE(resolver.fileSystemTests(), 1 + medium.count(QLatin1Char('/')));
    ASSERT_TRUE(QDir::setCurrent(before));
}

}  // namespace
