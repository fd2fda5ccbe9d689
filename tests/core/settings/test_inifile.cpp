// The ini text format and the self-saving ini file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/settings/inifile.h"
#include "core/text/sjistext.h"
#include "sjtest.h"

using namespace vorq;

namespace {

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeBytes(const QString &path, const QByteArray &data) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

TMemIniFile parsed(const QByteArray &text) {
    TMemIniFile ini{QByteArray()};
    ini.setContent(text);
    return ini;
}

}  // namespace

TEST(IniFormat, ReadsSectionsEntriesAndValuesAsWritten) {
    TMemIniFile ini{QByteArray()};
    ini.setContent(
        "orphan=dropped\r\n"
        "[Web]\r\n"
        "; a comment\r\n"
        "URL_Home= http://a/?x=1 \r\n"
        "Empty=\r\n"
        "\r\n"
        "[web]\r\n"  // the same section again continues it
        "Port=80\r\n");
    EXPECT_EQ(ini.ReadString("WEB", "url_home", "d"), " http://a/?x=1 ");  // no trimming, first "=" splits
    EXPECT_EQ(ini.ReadString("Web", "Empty", "d"), "");  // present and empty: not the default
    EXPECT_EQ(ini.ReadString("Web", "Missing", "d"), "d");
    EXPECT_EQ(ini.ReadString("Web", "Port", "d"), "80");
    EXPECT_EQ(ini.ReadString("", "orphan", "d"), "d");
    QList<QByteArray> sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections, QList<QByteArray>({"Web"}));
}

TEST(IniFormat, WritesInPlaceAppendsKeysAndSectionsWithCrLf) {
    TMemIniFile ini = parsed("[A]\nk1=1\nk2=2\n[B]\nx=y");
    ini.WriteString("a", "K1", "one");  // replaced in place, name kept
    ini.WriteString("A", "k3", "3");    // end of its section
    ini.WriteString("C", "z", "");      // new section at the end
    EXPECT_EQ(ini.content(),
              QByteArray("[A]\r\nk1=one\r\nk2=2\r\nk3=3\r\n\r\n[B]\r\nx=y\r\n\r\n[C]\r\nz=\r\n\r\n"));
    // What is written reads back the same.
    EXPECT_EQ(parsed(ini.content()).content(), ini.content());
}

TEST(IniFormat, AcceptsCrLfAndMixedLineEndsAndNoFinalNewline) {
    for (const QByteArray &text :
         {QByteArray("[S]\ra=1\rb=2"), QByteArray("[S]\na=1\r\nb=2\r"), QByteArray("[S]\r\na=1\nb=2\n")}) {
        TMemIniFile ini = parsed(text);
        EXPECT_EQ(ini.ReadString("S", "a", ""), "1") << text.toHex().constData();
        EXPECT_EQ(ini.ReadString("S", "b", ""), "2") << text.toHex().constData();
    }
}

TEST(IniFormat, IntegersAndBooleans) {
    TMemIniFile ini = parsed(
        "[N]\nd=42\nneg=-7\nhex=0x1F\nhex2=0XFF\nshort=0x\nbad=12a\nspace= 5\nbig=99999999999\n"
        "allones=0xFFFFFFFF\ntoolong=0x100000000\nt=2\nf=0\nempty=\n");
    EXPECT_EQ(ini.ReadInteger("N", "d", -1), 42);
    EXPECT_EQ(ini.ReadInteger("N", "neg", -1), -7);
    EXPECT_EQ(ini.ReadInteger("N", "hex", -1), 31);
    EXPECT_EQ(ini.ReadInteger("N", "hex2", -1), 255);
    EXPECT_EQ(ini.ReadInteger("N", "short", -1), -1);  // "0x" alone is not hexadecimal, nor decimal
    EXPECT_EQ(ini.ReadInteger("N", "bad", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "space", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "big", -1), -1);
    EXPECT_EQ(ini.ReadInteger("N", "allones", 0), -1);
    EXPECT_EQ(ini.ReadInteger("N", "toolong", 3), 3);
    EXPECT_TRUE(ini.ReadBool("N", "t", false));  // any non-zero integer
    EXPECT_FALSE(ini.ReadBool("N", "f", true));
    EXPECT_TRUE(ini.ReadBool("N", "empty", true));
    EXPECT_FALSE(ini.ReadBool("N", "bad", false));
    ini.WriteBool("N", "w", true);
    ini.WriteInteger("N", "i", -12);
    EXPECT_EQ(ini.ReadString("N", "w", ""), "1");
    EXPECT_EQ(ini.ReadString("N", "i", ""), "-12");
}

TEST(IniFormat, DoubleByteTextIsNeverSplitOrFolded) {
    // 0x835D ends in "]" and 0x8341 in "A": neither is an ASCII character.
    const QByteArray zo = sj("ゾ"), a = sj("ア");
    ASSERT_EQ(zo.at(1), ']');
    ASSERT_EQ(a.at(1), 'A');
    TMemIniFile ini = parsed("[S]\n[x" + zo + "\n" + a + "=upper\nKEY=" + sj("値") + "\n");
    EXPECT_FALSE(ini.SectionExists("x" + zo.left(1)));
    EXPECT_EQ(ini.ReadString("S", a, ""), "upper");
    EXPECT_EQ(ini.ReadString("S", sj("ア").left(1) + "a", "none"), "none");  // not the same name
    EXPECT_EQ(ini.ReadString("s", "key", ""), sj("値"));
}

TEST(IniFormat, HostileBytesAreKeptAndWrittenBack) {
    QByteArray nul("[S]\nk=a\0b\n", 10);
    EXPECT_EQ(parsed(nul).ReadString("S", "k", ""), QByteArray("a\0b", 3));
    const QByteArray longValue(1 << 20, 'x');
    EXPECT_EQ(parsed("[S]\nk=" + longValue + "\n").ReadString("S", "k", "").size(), longValue.size());
    // A lone lead byte at the end of a line stays a byte of that line.
    TMemIniFile lone = parsed("[S]\nk=abc\x83\r\nnext=1\r\n");
    EXPECT_EQ(lone.ReadString("S", "k", ""), "abc\x83");
    EXPECT_EQ(lone.ReadString("S", "next", ""), "1");
    // A line without "=" is kept, reads as an empty value and is written back.
    TMemIniFile noEq = parsed("[S]\njust text\n");
    EXPECT_EQ(noEq.ReadString("S", "just text", "d"), "");
    EXPECT_EQ(noEq.content(), QByteArray("[S]\r\njust text\r\n\r\n"));
    noEq.WriteString("S", "JUST TEXT", "v");
    EXPECT_EQ(noEq.content(), QByteArray("[S]\r\njust text=v\r\n\r\n"));
}

TEST(IniFormat, RefusesWritesThatWouldChangeTheFileStructure) {
    TMemIniFile ini{QByteArray()};
    EXPECT_THROW(ini.WriteString("S", "k", "two\nlines"), Error);
    EXPECT_THROW(ini.WriteString("S\r", "k", "v"), Error);
    EXPECT_THROW(ini.WriteString("S", "a=b", "v"), Error);
    EXPECT_THROW(ini.WriteString("S", ";k", "v"), Error);
    EXPECT_THROW(ini.WriteString("S", "[k", "v]"), Error);
    EXPECT_TRUE(ini.content().isEmpty());
}

TEST(IniFormat, SectionListsAndDeletion) {
    TMemIniFile ini = parsed("[A]\nx=1\ny\n[B]\nz=2\n");
    QList<QByteArray> list{"stale"};
    ini.ReadSection("a", list);
    EXPECT_EQ(list, QList<QByteArray>({"x", "y"}));
    ini.ReadSectionValues("A", list);
    EXPECT_EQ(list, QList<QByteArray>({"x=1", "y"}));
    ini.DeleteKey("A", "X");
    ini.EraseSection("b");
    EXPECT_EQ(ini.content(), QByteArray("[A]\r\ny\r\n\r\n"));
    EXPECT_EQ(ini.ReadString("B", "z", "gone"), "gone");
}

class MyMemIniFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray path(const char *rel) const { return sjis::fromUnicode(dir.path()) + '/' + rel; }
};

TEST_F(MyMemIniFileTest, MissingFileReadsEmptyAndEveryChangeReachesDiskInItsNewFolder) {
    TMyMemIniFile ini(path("a/b/settings.ini"));
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    EXPECT_FALSE(QFile::exists(sjis::path(path("a/b/settings.ini"))));
    ini.WriteString("S", "k", sj("値"));
    EXPECT_EQ(bytesOf(sjis::path(path("a/b/settings.ini"))), "[S]\r\nk=" + sj("値") + "\r\n\r\n");
    ini.DeleteKey("S", "k");
    EXPECT_EQ(bytesOf(sjis::path(path("a/b/settings.ini"))), QByteArray("[S]\r\n\r\n"));
    ini.EraseSection("S");
    EXPECT_EQ(bytesOf(sjis::path(path("a/b/settings.ini"))), QByteArray());
    EXPECT_EQ(TMyMemIniFile(path("a/b/settings.ini")).content(), QByteArray());
}

TEST_F(MyMemIniFileTest, UnwritableFolderRaisesAndKeepsTheChangeInMemory) {
    writeBytes(sjis::path(path("file")), "x");
    TMyMemIniFile ini(path("file/sub/settings.ini"));  // a folder under a file cannot exist
    EXPECT_THROW(ini.WriteString("S", "k", "v"), FileError);
    EXPECT_EQ(ini.ReadString("S", "k", ""), "v");
    TMyMemIniFile unnamed{QByteArray()};
    EXPECT_THROW(unnamed.WriteString("S", "k", "v"), FileError);
}

TEST_F(MyMemIniFileTest, FileTooLargeToReadIsNeverOverwritten) {
    const QString big = sjis::path(path("big.ini"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[S]\r\nk=1\r\n");
        ASSERT_TRUE(f.resize(TMemIniFile::kMaxFileSize + 1));  // sparse
    }
    TMyMemIniFile ini(path("big.ini"));
    EXPECT_TRUE(ini.loadFailed());
    EXPECT_EQ(ini.ReadString("S", "k", "d"), "d");
    EXPECT_THROW(ini.WriteString("S", "k", "2"), FileError);
    EXPECT_EQ(QFileInfo(big).size(), TMemIniFile::kMaxFileSize + 1);
    EXPECT_TRUE(bytesOf(big).startsWith("[S]\r\nk=1\r\n"));
}

TEST_F(MyMemIniFileTest, BinaryFileLoadsWithoutFailing) {
    QByteArray junk;
    for (int i = 0; i < 4096; ++i) junk += char((i * 131 + 7) % 256);
    writeBytes(sjis::path(path("junk.ini")), junk);
    TMyMemIniFile ini(path("junk.ini"));
    EXPECT_FALSE(ini.loadFailed());
    ini.WriteString("New", "k", "v");
    EXPECT_EQ(TMyMemIniFile(path("junk.ini")).ReadString("New", "k", ""), "v");
}
