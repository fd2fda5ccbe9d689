// Address schemes, executable detection and the names run-mailcap may see.
// (Every row of the verb table is run through the shell in test_opensafety.)
#include <gtest/gtest.h>

#include "core/charts/openverbs.h"

using namespace vorq;

namespace {

TEST(OpenVerbs, SchemesAreRecognisedButDriveLettersAndPathsAreNot) {
    QString scheme;
    EXPECT_EQ(classifyTarget(QStringLiteral("vorq-x+y.z://run"), &scheme), TargetKind::RefusedAddress);
    EXPECT_EQ(scheme, QStringLiteral("vorq-x+y.z"));
    EXPECT_EQ(classifyTarget(QStringLiteral("MailTo:a@b"), &scheme), TargetKind::Address);
    EXPECT_EQ(scheme, QStringLiteral("mailto"));
    for (const char *t : {"/x/http://y", "C:\\music\\a.mp3", "music/a.mp3", "http", "a b:c", "1ab:c"})
        EXPECT_EQ(classifyTarget(QString::fromUtf8(t), &scheme), TargetKind::LocalPath) << t;
    EXPECT_TRUE(scheme.isEmpty());
}

TEST(OpenVerbs, ExecutablesByBitNameOrContent) {
    EXPECT_FALSE(looksExecutable(QStringLiteral("song.mp3"), "ID3\x03", false));
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"), "ID3\x03", true));
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"),
                                QByteArray("\x7f"
                                           "ELF\x02\x01\x01\0",
                                           8),
                                false));
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"), QByteArray("xxxxxxxxAI\x02", 11), false));
    for (const char *n : {"tool.AppImage", "x.py", "setup.exe", "a.BAT"})
        EXPECT_TRUE(looksExecutable(QString::fromUtf8(n), {}, false)) << n;
}

TEST(OpenVerbs, MailcapTakesOnlyPlainAbsoluteNames) {
    EXPECT_TRUE(isMailcapSafePath(QString::fromUtf8("/音楽/a-b_c.mp3")));
    for (const char *p : {"music/a.mp3", "--action=x", "/m/a b.mp3", "/m/a';touch x;'.txt", "/m/$(id).mp3",
                          "/m/%{HOME}.mp3", "/m/a\nb"})
        EXPECT_FALSE(isMailcapSafePath(QString::fromUtf8(p))) << p;
}

}  // namespace
