// Where the program finds its README: installed beside it, or in the source
// tree of a build folder, or nowhere (a copy on a disc).
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/base/appenv.h"

using namespace vorq;

TEST(AppEnv, ReadmeIsTheInstalledOneElseTheSourceTreesElseNone) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString root = QDir(dir.path()).canonicalPath();
    auto touch = [](const QString &path) {
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    };
    const QString doc = QStringLiteral("share/doc/vorqview");
    // A build folder: build/src/app/ under the source tree.
    QDir().mkpath(root + QStringLiteral("/src/build/src/app"));
    EXPECT_EQ(env::findReadme(root + QStringLiteral("/src/build/src/app/"), doc), QString());
    touch(root + QStringLiteral("/src/README.md"));
    EXPECT_EQ(env::findReadme(root + QStringLiteral("/src/build/src/app/"), doc),
              root + QStringLiteral("/src/README.md"));
    // Installed: PREFIX/bin and PREFIX/share/doc/vorqview/README.md, which wins.
    QDir().mkpath(root + QStringLiteral("/prefix/bin"));
    EXPECT_EQ(env::findReadme(root + QStringLiteral("/prefix/bin"), doc), QString());
    touch(root + QStringLiteral("/prefix/share/doc/vorqview/README.md"));
    EXPECT_EQ(env::findReadme(root + QStringLiteral("/prefix/bin"), doc),
              root + QStringLiteral("/prefix/share/doc/vorqview/README.md"));
    // A folder of that name is no README.
    QDir().mkpath(root + QStringLiteral("/other/share/doc/vorqview/README.md"));
    QDir().mkpath(root + QStringLiteral("/other/bin"));
    EXPECT_EQ(env::findReadme(root + QStringLiteral("/other/bin"), doc), QString());
}
