#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "core/base/errors.h"
#include "sjtest.h"

using namespace vorq;

TEST(SjisText, LeadByteRangesAndCharacterCount) {
    EXPECT_TRUE(sjis::isLeadByte(0x81));
    EXPECT_TRUE(sjis::isLeadByte(0x9F));
    EXPECT_FALSE(sjis::isLeadByte(0xA0));
    EXPECT_FALSE(sjis::isLeadByte(0xDF));
    EXPECT_TRUE(sjis::isLeadByte(0xE0));
    EXPECT_TRUE(sjis::isLeadByte(0xFC));
    EXPECT_FALSE(sjis::isLeadByte(0xFD));
    EXPECT_EQ(sjis::charCount(sj("aあｱ")), 3);
    // A lone lead byte at the end counts as one character.
    EXPECT_EQ(sjis::charCount(QByteArray("a\x82", 2)), 2);
}

TEST(SjisText, CodecMapsCp932Specifics) {
    EXPECT_EQ(sjis::toUnicode(QByteArray("\x81\x60", 2)), QString(QChar(0xFF5E)));
    EXPECT_EQ(sjis::toUnicode(QByteArray("\x81\x5f", 2)), QString(QChar(0xFF3C)));
    // NEC special: circled digit one.
    EXPECT_EQ(sjis::toUnicode(QByteArray("\x87\x40", 2)), QString(QChar(0x2460)));
    EXPECT_EQ(sjis::fromUnicode(u8("日本語")), QByteArray("\x93\xfa\x96\x7b\x8c\xea"));
    // A lead byte left unfinished never joins the next text's first byte.
    EXPECT_TRUE(sjis::toUnicode(QByteArray("a\x82", 2)).startsWith(QLatin1Char('a')));
    EXPECT_EQ(sjis::toUnicode(QByteArray(1, '\xb1') + 'b'), u8("ｱb"));
}

TEST(SjisText, UnencodableTextIsRefusedNotReplaced) {
    QByteArray out;
    EXPECT_FALSE(sjis::tryFromUnicode(u8("emoji 😀"), &out));
    EXPECT_FALSE(sjis::tryFromUnicode(u8("한국어"), &out));
    try {
        sjis::fromUnicode(u8("ab한"));
        FAIL() << "expected EncodingError";
    } catch (const EncodingError &e) {
        EXPECT_TRUE(e.message().contains(u8("한")));
    }
    EXPECT_TRUE(sjis::tryFromUnicode(u8("a?b"), &out));
    EXPECT_EQ(out, QByteArray("a?b"));
}

TEST(SjisText, SplitLinesAcceptsEveryLineEnd) {
    using L = QList<QByteArray>;
    EXPECT_EQ(sjis::splitLines("a\r\nb\nc\rd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(sjis::splitLines("a\r\n"), (L{"a"}));
    EXPECT_EQ(sjis::splitLines("a\r\n\r\nb"), (L{"a", "", "b"}));
    EXPECT_EQ(sjis::splitLines("\n\r"), (L{"", ""}));
    EXPECT_EQ(sjis::splitLines(""), L{});
    EXPECT_EQ(sjis::joinLines(L{"a", ""}), QByteArray("a\r\n\r\n"));
}

TEST(SjisText, SaveIsAtomicAndWritesCrLf) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("x.txt"));
    sjis::saveLines(path, {"one", sj("二")});
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("one\r\n\x93\xf1\r\n"));
    // No temporary files are left behind.
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
    // A write into a missing folder fails loudly and creates nothing.
    EXPECT_THROW(sjis::saveLines(dir.filePath(QStringLiteral("no/such/x.txt")), {"a"}), FileError);
    EXPECT_THROW(sjis::readLines(dir.filePath(QStringLiteral("missing.txt"))), FileError);
}

TEST(SjisText, TitleNormalisationMapsFullWidthOnBoundaries) {
    EXPECT_EQ(sjis::normalizeTitle(sj("ＡＢＣ０９ａｚ")), QByteArray("ABC09az"));
    EXPECT_EQ(sjis::normalizeTitle(sj("愛　の")), sj("愛 の"));
    // 0x83 0x82 then 'O': the 0x82 0x4F inside is not on a boundary.
    const QByteArray tricky("\x83\x82\x4f", 3);
    EXPECT_EQ(sjis::normalizeTitle(tricky), tricky);
    // Unassigned codes between the ranges map by the same rule.
    EXPECT_EQ(sjis::normalizeTitle(QByteArray("\x82\x59\x82\x7f", 4)), QByteArray("\x3a\x5f"));
    // Half-width katakana and other symbols stay.
    EXPECT_EQ(sjis::normalizeTitle(sj("ｱｲ！")), sj("ｱｲ！"));
}

TEST(SjisText, ArtistNormalisationRemovesSpacesOfJapaneseNames) {
    EXPECT_EQ(sjis::normalizeArtist(sj("山田 太郎")), sj("山田太郎"));
    EXPECT_EQ(sjis::normalizeArtist(sj("山田　花子")), sj("山田花子"));
    EXPECT_EQ(sjis::normalizeArtist("John Smith"), QByteArray("John Smith"));
    EXPECT_EQ(sjis::normalizeArtist(sj("ＴＨＥ ＳＡＭＰＬＥＳ")), QByteArray("THE SAMPLES"));
    EXPECT_EQ(sjis::normalizeArtist(""), QByteArray());
}

TEST(SjisText, IndexOfOnBoundarySkipsTrailingBytes) {
    const QByteArray s("\x83\x82\x4fO", 4);
    EXPECT_EQ(sjis::indexOfOnBoundary(s, "O"), 2);
    EXPECT_EQ(sjis::indexOfOnBoundary(s, "OO"), 2);
    EXPECT_EQ(sjis::indexOfOnBoundary(s, QByteArray("\x82\x4f", 2)), -1);
    EXPECT_EQ(sjis::indexOfOnBoundary(sj("あいう"), sj("う")), 4);
}
