// Differential tests against independent converters (glibc iconv, nkf -x,
// ICU uconv), installed by scripts/install-deps. Wherever detection decides
// the true encoding, the output must equal theirs, except for what the
// conversion rules imply:
//  - JIS output returns to single-byte with ESC ( J where they write
//    ESC ( B, and has no closing escape at the end of the text;
//  - texts detected as undecided (6) come back unchanged.
// Only characters defined in JIS X 0208 are compared: the arithmetic maps
// the undefined cells too, which the others refuse.
#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QString>

#include "core/text/jconvert.h"
#include "sjtest.h"

using namespace vorq;

namespace {

QByteArray run(const QString &program, const QStringList &args, const QByteArray &input) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForStarted(10000)) {
        ADD_FAILURE() << program.toStdString() << " is missing (scripts/install-deps installs it)";
        return {};
    }
    p.write(input);
    p.closeWriteChannel();
    p.waitForFinished(60000);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    return p.readAllStandardOutput();
}

QByteArray iconv(const char *from, const char *to, const QByteArray &in, bool dropInvalid = false) {
    QStringList args{QStringLiteral("-f"), QString::fromLatin1(from), QStringLiteral("-t"),
                     QString::fromLatin1(to)};
    if (dropInvalid) args.prepend(QStringLiteral("-c"));
    return run(QStringLiteral("iconv"), args, in);
}

// Their JIS output in our form: ESC ( J for the return, none at the end.
QByteArray asOurJis(QByteArray jis) {
    jis.replace("\x1b(B", "\x1b(J");
    if (jis.endsWith("\x1b(J")) jis.chop(3);
    return jis;
}

// The same text in the three encodings, produced by iconv.
struct Texts {
    QByteArray sjis, euc, jis;
};

Texts fromEuc(const QByteArray &euc) {
    return {iconv("EUC-JP", "SHIFT_JIS", euc), euc, iconv("EUC-JP", "ISO-2022-JP", euc)};
}

// Every defined JIS X 0208 character, 40 to a line. iconv -c drops the
// undefined cells but keeps each one's line end, which tells which they are.
QByteArray allJisX0208AsEuc() {
    QByteArray probe;
    for (int a = 0x21; a <= 0x7E; ++a)
        for (int c = 0x21; c <= 0x7E; ++c) probe += bytes({char(a | 0x80), char(c | 0x80), '\n'});
    const QList<QByteArray> decoded = iconv("EUC-JP", "UTF-8", probe, true).split('\n');
    QByteArray out;
    int n = 0, i = 0;
    for (int a = 0x21; a <= 0x7E; ++a) {
        for (int c = 0x21; c <= 0x7E; ++c, ++i) {
            if (i >= decoded.size() || decoded.at(i).isEmpty()) continue;
            out += bytes({char(a | 0x80), char(c | 0x80)});
            if (++n % 40 == 0) out += '\n';
        }
    }
    return out;
}

// Compares every direction on one text; returns how many were compared.
int compareAllDirections(const Texts &t, const std::string &what) {
    int compared = 0;
    const int ks = DetectCodeKind(t.sjis), ke = DetectCodeKind(t.euc), kj = DetectCodeKind(t.jis);
    if (ks == 5) {
        EXPECT_EQ(ConvertJapanese(t.sjis, 4), t.euc) << what << " sjis to euc";
        EXPECT_EQ(ConvertJapanese(t.sjis, 2), asOurJis(t.jis)) << what << " sjis to jis";
        compared += 2;
    } else {
        EXPECT_EQ(ConvertJapanese(t.sjis, 4), t.sjis) << what;
    }
    if (ke == 4) {
        EXPECT_EQ(ConvertJapanese(t.euc, 5), t.sjis) << what << " euc to sjis";
        EXPECT_EQ(ConvertJapanese(t.euc, 2), asOurJis(t.jis)) << what << " euc to jis";
        compared += 2;
    } else {
        EXPECT_EQ(ConvertJapanese(t.euc, 5), t.euc) << what;
    }
    if (kj == 2) {
        EXPECT_EQ(ConvertJapanese(t.jis, 5), t.sjis) << what << " jis to sjis";
        EXPECT_EQ(ConvertJapanese(t.jis, 4), t.euc) << what << " jis to euc";
        compared += 2;
    }
    return compared;
}

// Japanese prose with kanji, kana, full-width and ASCII, no line end at the
// end (so JIS output ends in two-byte mode).
const char kProse[] =
    "週間チャートの集計について。\n"
    "毎週土曜日の放送で発表された順位（第１位から第１００位まで）を、"
    "曲名とアーティスト名の組で記録します。\n"
    "記録は Shift-JIS のテキストファイル（タブ区切り、CR LF）で保存され、"
    "関連付けたファイルは「開く」で起動できます。\n"
    "漢字・ひらがな・カタカナ・記号〒〓※→←↑↓、ギリシャ文字αβγ、ロシア文字абв、罫線─│┌┐。\n"
    "鷗外は使えないが森鴎外は使える";

}  // namespace

TEST(JconvertDifferential, EveryJisX0208CharacterAgreesWithIconv) {
    const QByteArray euc = allJisX0208AsEuc();
    ASSERT_GT(euc.size(), 2 * 6000);  // 6879 characters in glibc's table
    const Texts t = fromEuc(euc);
    ASSERT_EQ(DetectCodeKind(t.euc), 4);
    ASSERT_EQ(DetectCodeKind(t.sjis), 5);
    ASSERT_EQ(DetectCodeKind(t.jis), 2);
    EXPECT_EQ(compareAllDirections(t, "JIS X 0208 table"), 6);
}

TEST(JconvertDifferential, EveryJisX0208CharacterAgreesWithNkfAndUconv) {
    const QByteArray euc = allJisX0208AsEuc();
    const QByteArray sjis = ConvertJapanese(euc, 5);
    EXPECT_EQ(sjis, run(QStringLiteral("nkf"),
                        {QStringLiteral("-x"), QStringLiteral("-E"), QStringLiteral("-s")}, euc));
    EXPECT_EQ(
        ConvertJapanese(sjis, 4),
        run(QStringLiteral("nkf"), {QStringLiteral("-x"), QStringLiteral("-S"), QStringLiteral("-e")}, sjis));
    EXPECT_EQ(ConvertJapanese(sjis, 2),
              asOurJis(run(QStringLiteral("nkf"),
                           {QStringLiteral("-x"), QStringLiteral("-S"), QStringLiteral("-j")}, sjis)));
    EXPECT_EQ(sjis, run(QStringLiteral("uconv"),
                        {QStringLiteral("-f"), QStringLiteral("EUC-JP"), QStringLiteral("-t"),
                         QStringLiteral("Shift_JIS")},
                        euc));
}

// Half-width katakana: nkf without -x turns them into full-width JIS X 0208
// characters, combining the sound marks, as HalfKanaToJis does.
TEST(JconvertDifferential, HalfWidthKatakanaAgreesWithNkfAndIconv) {
    QByteArray sjis("\x88\xf3");  // 印 first: it decides both Shift-JIS and EUC-JP
    for (int k = 0xA1; k <= 0xDF; ++k)
        sjis += bytes({char(k), ' ', char(k), '\xde', ' ', char(k), '\xdf', '\n'});
    ASSERT_EQ(DetectCodeKind(sjis), 5);
    const QByteArray euc = iconv("SHIFT_JIS", "EUC-JP", sjis);
    EXPECT_EQ(ConvertJapanese(sjis, 4), euc);
    ASSERT_EQ(DetectCodeKind(euc), 4);
    EXPECT_EQ(ConvertJapanese(euc, 5), sjis);
    const QByteArray nkfJis =
        asOurJis(run(QStringLiteral("nkf"), {QStringLiteral("-S"), QStringLiteral("-j")}, sjis));
    EXPECT_EQ(ConvertJapanese(sjis, 2), nkfJis);
    EXPECT_EQ(ConvertJapanese(euc, 2), nkfJis);
}

TEST(JconvertDifferential, RealJapaneseTextAgreesWithIconv) {
    // Our own prose, then whatever Japanese manual pages the system has.
    QList<QPair<std::string, QByteArray>> sources{{"prose", QByteArray(kProse)}};
    const QDir man(QStringLiteral("/usr/share/man/ja/man1"));
    for (const QString &f : man.entryList({QStringLiteral("*.gz")}, QDir::Files, QDir::Name))
        sources.append(
            {f.toStdString(), run(QStringLiteral("gzip"), {QStringLiteral("-dc"), man.filePath(f)}, {})});
    int compared = 0;
    for (const auto &[name, utf8] : sources) {
        // Keep what ISO-2022-JP can hold, so that all three hold the same text.
        const QByteArray jis = iconv("UTF-8", "ISO-2022-JP", utf8, true);
        const QByteArray euc = iconv("ISO-2022-JP", "EUC-JP", jis);
        if (euc.isEmpty()) continue;
        compared += compareAllDirections({iconv("ISO-2022-JP", "SHIFT_JIS", jis), euc, jis}, name);
    }
    EXPECT_GE(compared, 6);  // the prose at least
}
