// Detection quirks, every conversion direction on small texts, the pair
// arithmetic and the half-width katakana table.
#include <gtest/gtest.h>

#include <QString>

#include "core/text/jconvert.h"
#include "core/text/sjistext.h"
#include "sjtest.h"

using namespace vorq;

namespace {

QByteArray b(const char *s, qsizetype n = -1) { return n < 0 ? QByteArray(s) : QByteArray(s, n); }
const QByteArray kEscB("\x1b$B");
const QByteArray kEscJ("\x1b(J");

}  // namespace

TEST(DetectCodeKind, DecidesEachEncodingAtTheFirstTellingByte) {
    EXPECT_EQ(DetectCodeKind(b("plain ascii text")), 0);
    EXPECT_EQ(DetectCodeKind(b("")), 0);
    EXPECT_EQ(DetectCodeKind(b("abc\x82\xa0xyz")), 5);        // Shift-JIS hiragana
    EXPECT_EQ(DetectCodeKind(b("abc\xa4\xa2\xa4\xa4 ")), 6);  // EUC hiragana only: undecided
    EXPECT_EQ(DetectCodeKind(b("abc\xb0\xf5 ")), 4);          // EUC kanji, second byte 0xF5
    EXPECT_EQ(DetectCodeKind(b("a\x1b$B0!\x1b(Bz")), 2);
    EXPECT_EQ(DetectCodeKind(b("a\x1b$@0!\x1b(Jz")), 3);
    EXPECT_EQ(DetectCodeKind(b("a\x1b(Jxyz")), 0);  // ESC ( tells nothing
    EXPECT_EQ(DetectCodeKind(b("a\xf5\xa1 ")), 4);  // lead 240..254
    EXPECT_EQ(DetectCodeKind(b("a\x8e\xb6 ")), 6);  // SS2 + katakana
    EXPECT_EQ(DetectCodeKind(b("a\x8e\x40 ")), 5);
    EXPECT_EQ(DetectCodeKind(b("a\xe0\x40 ")), 5);
    EXPECT_EQ(DetectCodeKind(b("a\xe0\xfd ")), 4);
    EXPECT_EQ(DetectCodeKind(b("a\xe0\xa1 ")), 6);
    EXPECT_EQ(DetectCodeKind(b("a\xb0"
                               "A ")),
              5);                                   // katakana then ASCII: Shift-JIS
    EXPECT_EQ(DetectCodeKind(b("a\x80\xa0 ")), 0);  // 128 and 160 tell nothing
    // Stops at the first decisive byte: later evidence is ignored.
    EXPECT_EQ(DetectCodeKind(b("\x82\xa0\xb0\xf5")), 5);
}

TEST(DetectCodeKind, BinaryPrescanCoversFirst512BytesButNotTheLast) {
    EXPECT_EQ(DetectCodeKind(b("ab\x05z", 4)), 1);
    EXPECT_EQ(DetectCodeKind(b("abc\x05", 4)), 0);  // last byte is never looked at
    EXPECT_EQ(DetectCodeKind(b("ab\xffz")), 1);
    QByteArray late(600, 'a');
    late[520] = '\x01';
    EXPECT_EQ(DetectCodeKind(late), 1);  // found by the scan instead
    // The prescan ends at position 512; the scan stops at the first kanji.
    QByteArray edge = "\x82\xa0" + QByteArray(600, 'a');
    edge[511] = '\x02';
    EXPECT_EQ(DetectCodeKind(edge), 1);
    edge[511] = 'a';
    edge[512] = '\x02';
    EXPECT_EQ(DetectCodeKind(edge), 5);
}

TEST(DetectCodeKind, LastByteAndTheZeroAfterTheEnd) {
    EXPECT_EQ(DetectCodeKind(b("\x82")), 0);
    EXPECT_EQ(DetectCodeKind(b("abc\x82")), 0);
    EXPECT_EQ(DetectCodeKind(b("\xe0\x40")), 5);
    EXPECT_EQ(DetectCodeKind(b("a\xb0")), 0);
    EXPECT_EQ(DetectCodeKind(b("\xb0\xe0")), 6);  // look-ahead runs into the terminating 0
    EXPECT_EQ(DetectCodeKind(b("\x1b$")), 0);     // truncated escape
}

TEST(DetectCodeKind, LookAheadUsesTheBound156) {
    // After a katakana-range byte and a 224..239 byte, 157..159 do not
    // decide Shift-JIS; 156 does.
    EXPECT_EQ(DetectCodeKind(b("\xb0\xe0\x9d"
                               "A ")),
              6);
    EXPECT_EQ(DetectCodeKind(b("\xb0\xe0\x9f"
                               "A ")),
              6);
    EXPECT_EQ(DetectCodeKind(b("\xb0\xe0\x9c"
                               "A ")),
              5);
    EXPECT_EQ(DetectCodeKind(b("\xb0\xe0\xc0\xfe ")), 4);
}

TEST(ConvertJapanese, LeavesUndecidedBinaryAndSameKindTextsAlone) {
    for (const QByteArray &s :
         {b("ascii only"), b("\xa4\xa2\xa4\xa4 "), b("ab\x05\x82\xa0z", 6), b("abc\x82\xa0xyz")})
        EXPECT_EQ(ConvertJapanese(s, 5), s);
    EXPECT_EQ(ConvertJapanese(b("abc\xb0\xf5 "), 4), b("abc\xb0\xf5 "));
    EXPECT_EQ(ConvertJapanese(b("a\x1b$@0!"), 2), b("a\x1b$@0!"));  // kind 3 to JIS: unchanged
    for (int target : {0, 1, 3, 6, 7, -1}) {
        EXPECT_EQ(ConvertJapanese(b("abc\x82\xa0xyz"), target), b("abc\x82\xa0xyz"));
        EXPECT_EQ(ConvertJapanese(b("abc\xb0\xf5 "), target), b("abc\xb0\xf5 "));
    }
}

TEST(ConvertJapanese, JisInput) {
    EXPECT_EQ(ConvertJapanese(b("\x1b$B0!\x1b(B"), 5), b("\x88\x9f"));
    EXPECT_EQ(ConvertJapanese(b("\x1b$B0!\x1b(B"), 4), b("\xb0\xa1"));
    EXPECT_EQ(ConvertJapanese(b("a\x1b$@$\"\x1b(Jb"), 5), b("a\x82\xa0"
                                                            "b"));
    // Line ends inside two-byte mode are paired like anything else.
    EXPECT_EQ(ConvertJapanese(b("\x1b$B$\"\r\n"), 5), b("\x82\xa0\x77\x29"));
    // JIS to EUC-JP sets the top bit of 33..126 only, byte by byte.
    EXPECT_EQ(ConvertJapanese(b("\x1b$B$\" \x7f"), 4), b("\xa4\xa2 \x7f"));
    // A lone first byte at the end pairs with 0; an escape at the end vanishes.
    EXPECT_EQ(ConvertJapanese(b("\x1b$B0"), 5), QByteArray("\x88\x7e", 2));
    EXPECT_EQ(ConvertJapanese(b("\x1b$Bx\x1b"), 5).size(), 2);
}

TEST(ConvertJapanese, EucInput) {
    EXPECT_EQ(ConvertJapanese(b("abc\xb0\xf5 "), 5), b("abc\x88\xf3 "));
    // SS2 katakana keeps its byte; a trailing SS2 brings the terminating 0.
    EXPECT_EQ(ConvertJapanese(b("\xb0\xf5\x8e\xb6"), 5), b("\x88\xf3\xb6"));
    EXPECT_EQ(ConvertJapanese(b("\xb0\xf5\x8e", 3), 5), QByteArray("\x88\xf3\x00", 3));
    // To JIS: escapes around the kanji, ESC ( J back, none at the end.
    EXPECT_EQ(ConvertJapanese(b("a\xb0\xf5\nb\xb0\xf5"), 2),
              b("a") + kEscB + "0u" + kEscJ + "\nb" + kEscB + "0u");
    EXPECT_EQ(ConvertJapanese(b("\xb0\xf5\x8e\xb6\x8e\xde\x8e\xca\x8e\xdf"), 2), kEscB + "0u%,%Q");
}

TEST(ConvertJapanese, SjisInput) {
    EXPECT_EQ(ConvertJapanese(b("x\x82\xa0\xb6y"), 4), b("x\xa4\xa2\x8e\xb6y"));
    EXPECT_EQ(ConvertJapanese(b("\x82\xa0\xb6\xde"), 2), kEscB + "$\"%,");  // ｶﾞ is ガ, no closing escape
    EXPECT_EQ(ConvertJapanese(b("\x82\xa0\xb3\xde\xdc\xde"), 2), kEscB + "$\"%t%o!+");  // ｳﾞ ﾜ ﾞ
    EXPECT_EQ(ConvertJapanese(b("\x82\xa0 \x82\xa0"), 2), kEscB + "$\"" + kEscJ + " " + kEscB + "$\"");
    EXPECT_EQ(ConvertJapanese(b("\x82\xa0\r"), 2), kEscB + "$\"" + kEscJ + "\r");
    // A lead byte in the last position pairs with 0.
    EXPECT_EQ(ConvertJapanese(b("\x82\xa0\x82"), 4).size(), 4);
}

TEST(ConvertJapanese, OutputStaysWithinFiveTimesTheInput) {
    // Alternating katakana and ASCII is the worst case for JIS output.
    QByteArray s("\x82\xa0");
    for (int i = 0; i < 1000; ++i)
        s += "\xb1"
             "a";
    const QByteArray out = ConvertJapanese(s, 2);
    EXPECT_EQ(out.size(), 5 + (2 + 3 + 1) + 999 * (3 + 2 + 3 + 1));
    EXPECT_LE(out.size(), 5 * s.size() + 8);
}

TEST(PairArithmetic, RoundTripsEveryRowAndCell) {
    for (int a = 0x21; a <= 0x7E; ++a) {
        for (int c = 0x21; c <= 0x7E; ++c) {
            const auto s = JisToSjis(uchar(a), uchar(c));
            EXPECT_TRUE(sjis::isLeadByte(s.first)) << a << ' ' << c;
            EXPECT_GE(s.second, 0x40);
            EXPECT_NE(s.second, 0x7F);
            const auto j = SjisToJis(s.first, s.second);
            ASSERT_EQ(j.first, a);
            ASSERT_EQ(j.second, c);
        }
    }
    EXPECT_EQ(JisToSjis(0x30, 0x21), std::make_pair(uchar(0x88), uchar(0x9F)));
    EXPECT_EQ(JisToSjis(0x24, 0x22), std::make_pair(uchar(0x82), uchar(0xA0)));
}

// The katakana table against Unicode's compatibility decomposition: each
// half-width letter (with a sound mark where it combines) must become the
// same full-width character. Differences the rules imply: ﾞ and ﾟ alone
// become the spacing marks ゛ ゜ (NFKC gives combining marks), and ﾜﾞ ｦﾞ stay
// two characters (ヷ ヺ are not in JIS X 0208).
TEST(HalfKanaToJis, MatchesCompatibilityDecomposition) {
    auto viaJis = [](std::pair<uchar, uchar> jis) {
        const auto s = JisToSjis(jis.first, jis.second);
        return sjis::toUnicode(bytes({char(s.first), char(s.second)}));
    };
    for (int k = 0xA1; k <= 0xDF; ++k) {
        const QByteArray half(1, char(k));
        qsizetype pos = 0;
        const QString got = viaJis(HalfKanaToJisSjis(half, pos));
        EXPECT_EQ(pos, 1);
        QString want = sjis::toUnicode(half).normalized(QString::NormalizationForm_KC);
        if (k == 0xDE) want = QString(QChar(0x309B));
        if (k == 0xDF) want = QString(QChar(0x309C));
        EXPECT_EQ(got, want) << k;

        for (int mark : {0xDE, 0xDF}) {
            const QByteArray pair = half + char(mark);
            const QString composed = sjis::toUnicode(pair).normalized(QString::NormalizationForm_KC);
            const bool combines = composed.size() == 1 && k != 0xDC && k != 0xA6;
            pos = 0;
            const QString g = viaJis(HalfKanaToJisSjis(pair, pos));
            EXPECT_EQ(pos, combines ? 2 : 1) << k << ' ' << mark;
            if (combines) {
                EXPECT_EQ(g, composed) << k << ' ' << mark;
            }
            // EUC-JP form: SS2 before the letter and before the mark.
            const QByteArray euc = QByteArray("\x8e") + char(k) + '\x8e' + char(mark);
            qsizetype epos = 0;
            EXPECT_EQ(viaJis(HalfKanaToJisEuc(euc, epos)), g);
            EXPECT_EQ(epos, combines ? 4 : 2);
        }
    }
}

TEST(HalfKanaToJis, MalformedSs2GivesTheGetaMark) {
    qsizetype pos = 0;
    EXPECT_EQ(HalfKanaToJisEuc(b("\x8e\x10"), pos), std::make_pair(uchar(0x22), uchar(0x2E)));
    EXPECT_EQ(pos, 2);
    EXPECT_EQ(ConvertJapanese(b("\xb0\xf5\x8e"), 2), kEscB + "0u\".");  // SS2 at the end: 0 is no katakana
}
