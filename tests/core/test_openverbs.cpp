// The verb table, the address schemes and executable detection: what a
// stored open method or associated file may make the program do.
#include <gtest/gtest.h>

#include "openverbs.h"

using namespace vorq;

namespace {

TEST(OpenVerbs, EveryRowOfTheTableInAnyLetterCase) {
    const struct {
        const char *method;
        OpenAction action;
    } rows[] = {
        {"", OpenAction::DefaultHandler},
        {"open", OpenAction::DefaultHandler},
        {"OPEN", OpenAction::DefaultHandler},
        {" Open ", OpenAction::DefaultHandler},
        {"play", OpenAction::DefaultHandler},
        {"PlAy", OpenAction::DefaultHandler},
        {"edit", OpenAction::MailcapEdit},
        {"EDIT", OpenAction::MailcapEdit},
        {"print", OpenAction::MailcapPrint},
        {"Print", OpenAction::MailcapPrint},
        {"explore", OpenAction::ContainingFolder},
        {"FIND", OpenAction::ContainingFolder},
        // Program names and near misses are not verbs.
        {"rm", OpenAction::Refused},
        {"sh", OpenAction::Refused},
        {"/bin/rm", OpenAction::Refused},
        {"xdg-open", OpenAction::Refused},
        {"openx", OpenAction::Refused},
        {"open;rm", OpenAction::Refused},
        {"printto", OpenAction::Refused},
        {"runas", OpenAction::Refused},
    };
    for (const auto &r : rows) EXPECT_EQ(openActionFor(QString::fromUtf8(r.method)), r.action) << r.method;
    EXPECT_EQ(mailcapActionName(OpenAction::MailcapEdit), QStringLiteral("edit"));
    EXPECT_EQ(mailcapActionName(OpenAction::MailcapPrint), QStringLiteral("print"));
    EXPECT_TRUE(mailcapActionName(OpenAction::DefaultHandler).isEmpty());

    const QString message = unknownMethodMessage(QStringLiteral("rm"));
    EXPECT_TRUE(message.contains(QStringLiteral("「rm」")));
    EXPECT_TRUE(message.contains(QStringLiteral("open, play, edit, print, explore, find")));
}

TEST(OpenVerbs, OnlyFourSchemesAreAddressesAndDriveLettersArePaths) {
    QString scheme;
    for (const char *t : {"http://h/x", "HTTPS://h/", "ftp://h/f", "mailto:a@b.example", "Http:x"})
        EXPECT_EQ(classifyTarget(QString::fromUtf8(t)), TargetKind::Address) << t;
    for (const char *t : {"file:///etc/passwd", "javascript:alert(1)", "vorq-custom+x://run", "FILE:/x",
                          "data:text/html,x", "smb://host/share"}) {
        EXPECT_EQ(classifyTarget(QString::fromUtf8(t), &scheme), TargetKind::RefusedAddress) << t;
        EXPECT_FALSE(scheme.isEmpty());
    }
    EXPECT_EQ(scheme, QStringLiteral("smb"));
    for (const char *t : {"/music/a.mp3", "/x/http://y", "C:\\music\\a.mp3", "music/a.mp3", "http", "a b:c"})
        EXPECT_EQ(classifyTarget(QString::fromUtf8(t), &scheme), TargetKind::LocalPath) << t;
    EXPECT_TRUE(scheme.isEmpty());
    EXPECT_TRUE(refusedSchemeMessage(QStringLiteral("file:///x"), QStringLiteral("file"))
                    .contains(QStringLiteral("http, https, ftp, mailto")));
}

TEST(OpenVerbs, ExecutablesByBitNameOrContent) {
    EXPECT_FALSE(looksExecutable(QStringLiteral("song.mp3"), "ID3\x03", false));
    EXPECT_FALSE(looksExecutable(QStringLiteral("lyrics.txt"), "words", false));
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"), "ID3\x03", true));  // execute bit
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"), "#!/bin/sh\n", false));
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"),
                                QByteArray("\x7f"
                                           "ELF\x02\x01\x01\0AI\x02",
                                           11),
                                false));
    EXPECT_TRUE(looksExecutable(QStringLiteral("song.mp3"), QByteArray("xxxxxxxxAI\x02", 11), false));
    for (const char *n : {"Player.DESKTOP", "tool.AppImage", "run.sh", "x.py", "setup.exe", "a.BAT"})
        EXPECT_TRUE(looksExecutable(QString::fromUtf8(n), {}, false)) << n;
}

TEST(OpenVerbs, MailcapTakesOnlyPlainAbsoluteNames) {
    EXPECT_TRUE(isMailcapSafePath(QStringLiteral("/music/a-b_c.mp3")));
    EXPECT_TRUE(isMailcapSafePath(QString::fromUtf8("/音楽/曲.mp3")));
    for (const char *p : {"music/a.mp3", "--action=x", "/m/a b.mp3", "/m/a';touch x;'.txt", "/m/$(id).mp3",
                          "/m/%{HOME}.mp3", "/m/a\nb"})
        EXPECT_FALSE(isMailcapSafePath(QString::fromUtf8(p))) << p;
}

}  // namespace
