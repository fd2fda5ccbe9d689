#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"
#include "core/library/wanted.h"
#include "core/text/jconvert.h"
#include "librarygen.h"
#include "musicfiles.h"
#include "sjtest.h"

using namespace vorq;

namespace {

class CountingReader : public TagReader {
public:
    std::optional<FileTags> read(const QString &path) override {
        ++opens;
        return real.read(path);
    }
    TagLibReader real;
    int opens = 0;
};

LibraryFile libraryFile(const QString &path, const QString &title, const QString &artist) {
    LibraryFile f;
    f.path = path;
    f.storedPath = sjis::fromUnicode(path);
    f.title = title;
    f.artist = artist;
    f.fromTags = true;
    return f;
}

struct Row {
    int rank;
    const char *title, *artist;
    QByteArray file;
};
ChartTab chart(int tag, const QList<Row> &rows) {
    ChartTab t{tag, dateLabelFromTag(tag), {}};
    for (const Row &r : rows)
        t.rows.append({QByteArray::number(r.rank), sj(r.title), sj(r.artist), r.file, {}});
    return t;
}

// A library with every kind of file the scanner meets, and the charts that
// name its songs in the spellings charts use.
struct Library {
    QTemporaryDir dir, outside;
    QString root;
    QByteArray ownedFile;
    Library() : root(dir.filePath(QStringLiteral("music"))) {
        auto tagged = [&](const char *rel, const char *title, const char *artist) {
            EXPECT_TRUE(test::writeTaggedMp3(root + u'/' + u8(rel), u8(title), u8(artist))) << rel;
        };
        tagged("Album/03 - track.mp3", "夜明け星のうた", "星野ミカ");
        tagged("Album/04 - track.mp3", "Love Song", "abc");
        tagged("Album/05.mp3", "Summer Wind (TV size)", "Kaito");
        tagged("Singles/star.mp3", "Starlight", "Rin");
        tagged("Singles/shiny.mp3", "Shinny Day", "Hana");
        tagged("A/twin.mp3", "Twin", "Duo");
        tagged("B/twin.mp3", "Twin", "Duo");
        tagged(".hidden/ghost.mp3", "Hidden Track", "Ghost");
        tagged("Owned/mine.mp3", "Owned Song", "Me");
        for (int i = 0; i < 20; ++i)
            tagged(QByteArray("Fill/f" + QByteArray::number(i) + ".mp3").constData(),
                   QByteArray("Filler Tune " + QByteArray::number(i)).constData(), "Band");
        EXPECT_TRUE(test::writeSilentMp3(root + QStringLiteral("/Loose/Mizuki - Blue Moon.mp3")));
        const QString sjisFile = root + QStringLiteral("/Old/sakura.mp3");
        EXPECT_TRUE(test::writeSilentMp3(sjisFile) && test::appendRawId3v1(sjisFile, sj("桜の雨"), sj("葵")));
        EXPECT_TRUE(
            test::writeTaggedMp3(outside.filePath(QStringLiteral("far.mp3")), u8("Outside"), u8("Far")));
        QFile::link(outside.path(), root + QStringLiteral("/link-out"));
        ownedFile = sjis::fromUnicode(root + QStringLiteral("/Owned/mine.mp3"));
    }
    QList<ChartTab> charts() const {
        return {chart(20000108, {{1, "夜明け星のうた", "星野ミカ", {}},
                                 {2, "Ｌｏｖｅ　Ｓｏｎｇ", "ＡＢＣ", {}},
                                 {3, "Owned Song", "Me", ownedFile},
                                 {4, "Nowhere", "Nobody", {}}}),
                chart(20000101, {{1, "Blue Moon", "Mizuki", {}},
                                 {2, "桜の雨", "葵", {}},
                                 {3, "Summer Wind", "Kaito", {}},
                                 {4, "Starlight", "Rin feat. Sora", {}},
                                 {5, "Shiny Day", "Hana", {}},
                                 {6, "Twin", "Duo", {}},
                                 {7, "Hidden Track", "Ghost", {}},
                                 {8, "Outside", "Far", {}},
                                 {9, "夜明け星のうた", "星野ミカ", "/gone.mp3"}})};
    }
};

}  // namespace

// Tags in every spelling, Shift-JIS ID3v1, a name without tags, a tie; no
// proposal from a hidden folder, a link out of the library (listed as left
// out), an owned song; a TV-size version held below the threshold.
TEST(Library, ProposalsAreTheExpectedOnesSureAndNot) {
    Library lib;
    CountingReader reader;
    const ScanResult scan = scanLibrary(lib.root, reader, nullptr);
    EXPECT_EQ(scan.files.size(), 30);  // 9 tagged less the hidden one, 20 fillers, 2 others
    ASSERT_EQ(scan.leftOut.size(), 1);
    EXPECT_EQ(scan.leftOut[0].reason, LeftOutReason::LinkOutside);
    const LibraryMatcher matcher(scan.files);
    QMap<QString, QStringList> got;
    for (const MatchProposal &p : matcher.matchAll(songsWithoutFile(lib.charts()), 0.5))
        got[sjis::toUnicode(p.song.title)]
            << QFileInfo(scan.files[p.file].path).dir().dirName() +
                   (p.sure ? QStringLiteral(" sure") : QStringLiteral(" %1").arg(p.score, 0, 'f', 2));
    const QMap<QString, QStringList> expected{
        {u8("夜明け星のうた"), {u8("Album sure")}}, {u8("Ｌｏｖｅ　Ｓｏｎｇ"), {u8("Album sure")}},
        {u8("Blue Moon"), {u8("Loose sure")}},      {u8("桜の雨"), {u8("Old sure")}},
        {u8("Summer Wind"), {u8("Album 0.69")}},    {u8("Starlight"), {u8("Singles 0.95")}},
        {u8("Shiny Day"), {u8("Singles 0.93")}},    {u8("Twin"), {u8("A sure"), u8("B sure")}}};
    EXPECT_EQ(got, expected);
}

// The rules, pair by pair: what must be sure, what is applied without being
// sure, what must stay below the threshold and why.
TEST(Library, MatchingRules) {
    enum Expect { Sure, Applied, Held };
    struct Case {
        const char *title, *artist;          // as the chart file holds them
        const char *fileTitle, *fileArtist;  // the tags
        Expect expect;
        MatchNote note;  // for Held
        const char *why;
        bool cut = false;  // a tag title ID3v1 may have cut
    };
    const Case cases[] = {
        {"Song",
         "ガリレオ号feat.桜井瞳",
         "Song",
         "ガリレオ号 feat. 桜井瞳",
         Sure,
         {},
         "the load squeezed the chart's spaces"},
        {"Song", "雨音with北川健太", "Song", "北川健太 with 雨音", Sure, {}, "names in the other order"},
        {"Song", "雨音with北川健太", "Song", "雨音 featuring 北川健太", Sure, {}, "featuring for with"},
        {"Song", "雨音with北川健太", "Song", "雨音 ft. 北川健太", Sure, {}, "ft."},
        {"Song", "雨音with北川健太", "Song", "雨音×北川健太", Sure, {}, "×"},
        {"Song", "雨音with北川健太", "Song", "北川健太 & 雨音", Sure, {}, "& and the other order"},
        {"Song", "雨音with北川健太", "Song", "雨音、北川健太", Sure, {}, "、"},
        {"Song", "Mizuki&山本優", "Song", "Mizuki x 山本　優", Sure, {}, "a Latin x between spaced names"},
        {"Song", "Rin feat. Sora", "Song (feat. Sora)", "Rin", Sure, {}, "the featured name in the title"},
        {"Song", "TheBoom", "Song", "BOOM", Sure, {}, "The dropped, letter case"},
        {"LOVE SONG", "ABC", "ｌｏｖｅ　ｓｏｎｇ", "ＡＢＣ", Sure, {}, "width and case"},
        {"ガリレオ", "中村真央", "ｶﾞﾘﾚｵ", "中村 真央", Sure, {}, "half-width kana, a space in a name"},
        {"セピア★Song～ありがとうの歌～",
         "Rin",
         "セピア★Song -ありがとうの歌-",
         "Rin",
         Sure,
         {},
         "a dash subtitle"},
        {"セピア★Song～ありがとうの歌～",
         "Rin",
         "セピア★Song〜ありがとうの歌〜",
         "Rin",
         Sure,
         {},
         "the wave dash"},
        {"Summer Wind (TV size)",
         "Kaito",
         "Summer Wind (TV Size Ver.)",
         "Kaito",
         Sure,
         {},
         "the chart carries the marker"},
        {"さよなら陽炎",
         "DJ KAZ",
         "DJ KAZ「さよなら陽炎」",
         "V.A.",
         Sure,
         {},
         "a compilation: artist「title」"},
        {"さよなら陽炎",
         "DJ KAZ",
         "さよなら陽炎 / DJ KAZ",
         "オムニバス",
         Sure,
         {},
         "a compilation: title / artist"},
        {"さよなら陽炎",
         "DJ KAZ",
         "DJ KAZ - さよなら陽炎",
         "Various Artists",
         Sure,
         {},
         "a compilation: artist - title"},
        {"夜明け", "Rin", "03 - 夜明け", "Rin", Sure, {}, "a track number in the title tag"},
        {"Midnight Letter!",
         "Rin",
         "Midnight Letter! - Single Version",
         "Rin",
         Applied,
         {},
         "a neutral marker"},
        {"Sweet Love", "Rin", "Sweet Love (2012 Remaster)", "Rin", Applied, {}, "a remaster"},
        {"Shiny Day", "Hana", "Shinny Day", "Hana", Applied, {}, "a slip of a letter"},
        {"Starlight", "Rin feat. Sora", "Starlight", "Rin", Applied, {}, "the featured name left out"},
        {"夜明けのうた～ありがとう～", "Rin", "夜明けのうた", "Rin", Applied, {}, "the subtitle left out"},
        {"ありがとうの気持ちを込めてこの歌を君に",
         "Rin",
         "ありがとうの気持ちを込めてこの",
         "Rin",
         Applied,
         {},
         "a title ID3v1 cut at 30 bytes",
         true},
        {"Song", "Rin", "Song (Live ver.)", "Rin", Held, MatchNote::Variant, "live"},
        {"Song", "Rin", "Song (Instrumental)", "Rin", Held, MatchNote::Variant, "instrumental"},
        {"Song", "Rin", "Song (Original Karaoke)", "Rin", Held, MatchNote::Variant,
         "karaoke, though original"},
        {"Song", "Rin", "Song (TV Size Ver.)", "Rin", Held, MatchNote::Variant, "TV size"},
        {"Song", "Rin", "Song (Remix)", "Rin", Held, MatchNote::Variant, "remix"},
        {"Song", "Rin", "Song - Acoustic Version", "Rin", Held, MatchNote::Variant, "acoustic after a dash"},
        {"Song", "Rin", "Song (English ver.)", "Rin", Held, MatchNote::Variant, "another version"},
        {"Song", "Rin", "Song (ライブ)", "Rin", Held, MatchNote::Variant, "live in Japanese"},
        {"Song (Remix)", "Rin", "Song", "Rin", Held, MatchNote::Variant, "the chart's remix is not the song"},
        {"涙", "中村真央", "涙", "中村由美", Held, MatchNote::OtherArtist,
         "another artist of the same family name"},
        {"Starlight", "Rin feat. Sora", "Starlight", "Sora", Held, MatchNote::PartialArtist,
         "the guest's own"},
        {"君と雪", "田中遥", "君と雪", "田中遥 & 清水陽菜", Held, MatchNote::PartialArtist, "a duet of it"},
        {"輝きたい", "Rin", "輝きたい (Part 2)", "Rin", Held, MatchNote::OtherNumber, "Part 2"},
        {"Smile for 蛍2", "Rin", "Smile for 蛍", "Rin", Held, MatchNote::OtherNumber, "a number"},
        {"Sky of Wind", "Rin", "Sky of Wind II", "Rin", Held, MatchNote::OtherNumber, "a roman numeral"},
        {"旅★Journey", "Rin", "道★Journey", "Rin", Held, MatchNote::TitleDiffers,
         "one kanji is another word"},
        {"さよなら陽炎", "DJ KAZ", "さよなら陽炎", "V.A.", Held, MatchNote::UnknownArtist,
         "a compilation naming no one"},
    };
    for (const Case &c : cases) {
        LibraryFile file = libraryFile(QStringLiteral("/m/f.mp3"), u8(c.fileTitle), u8(c.fileArtist));
        file.titleMayBeCut = c.cut;
        const LibraryMatcher matcher({file});
        const SongKey song{sjis::normalizeTitle(sj(c.title)), sjis::normalizeArtist(sj(c.artist))};
        const QList<MatchProposal> got = matcher.match(song, 0);
        ASSERT_EQ(got.size(), 1) << c.why;
        const MatchProposal &p = got[0];
        const Expect is = p.sure ? Sure : p.score >= kDefaultMatchThreshold ? Applied : Held;
        EXPECT_EQ(is, c.expect) << c.why << ": " << p.score;
        EXPECT_EQ(p.sure, p.score == 1.0) << c.why;
        if (c.expect == Held) {
            EXPECT_EQ(p.note, c.note) << c.why;
        }
    }
}

// The bigram index only saves work: every song gets, at the threshold, what
// scoring every reading of every file would give it.
TEST(Library, IndexedMatchingAgreesWithScoringEveryFile) {
    QList<LibraryFile> files;
    QList<SongKey> songs;
    const QStringList words{u8("Love"),  u8("Night"), u8("夜"),  u8("星"),
                            u8("Dream"), u8("雨の"),  u8("Sky"), u8("Ｂｌｕｅ")};
    for (int i = 0; i < 300; ++i) {
        QString title =
            words[i % 8] + u' ' + words[(i / 8) % 8] + (i % 5 ? QString() : QStringLiteral(" (Remix)"));
        if (i % 7 == 0) title += QStringLiteral(" 2");
        const QString artist =
            words[(i / 3) % 8] + QString::number(i % 4) + (i % 6 ? QString() : QStringLiteral(" & Rin"));
        files.push_back(libraryFile(QString::number(i), i % 9 ? title : QStringLiteral("V.A."), artist));
        if (i % 9 == 0) files.back().title = artist + QStringLiteral("「") + title + QStringLiteral("」");
        if (i % 11 == 0) files.back().otherReadings.push_back({artist, title});
        if (i % 3 == 0)
            songs.push_back({sjis::fromUnicode(title.left(title.size() - i % 2)), sjis::fromUnicode(artist)});
    }
    const LibraryMatcher matcher(files);
    for (const SongKey &song : songs) {
        const SongText s = songText(sjis::toUnicode(song.title), sjis::toUnicode(song.artist));
        double best = kDefaultMatchThreshold;
        QList<int> literal;
        for (int f = 0; f < files.size(); ++f) {
            double score = 0;
            for (const SongText &r : fileReadings(files[f])) score = std::max(score, judgeMatch(s, r).score);
            if (score > best + 1e-9) literal.clear(), best = score;
            if (score >= best - 1e-9) literal << f;
        }
        QList<int> indexed;
        for (const MatchProposal &p : matcher.match(song, kDefaultMatchThreshold)) indexed << p.file;
        EXPECT_EQ(indexed, literal) << sjis::toUnicode(song.title).toStdString();
    }
}

// Tag texts stored as "Latin-1" by Japanese tools, and by others.
TEST(Library, LegacyTagTextsReadAsTheyWereWritten) {
    const QByteArray cut = sj("ありがとうの気持ちを込めてこの歌").left(29);  // 30 bytes cut a character
    const struct {
        QByteArray bytes;
        const char *text;
    } cases[] = {
        {sj("桜の雨"), "桜の雨"},
        {ConvertJapanese(sj("桜の雨"), CodeEuc), "桜の雨"},
        {cut, "ありがとうの気持ちを込めてこ"},
        {"\xBB\xD6\xC5\xD7", "ｻﾖﾅﾗ"},                             // half-width kana words are Japanese
        {"Mr.Sunshine\xD7TheSamples", "Mr.Sunshine×TheSamples"},  // one high byte among letters is Latin-1
        {"\xDC"
         "ber",
         "Über"},
        {QByteArray("M\xFCller\0\0 ", 10), "Müller"},  // Latin-1 that looks like EUC-JP
    };
    for (const auto &c : cases) EXPECT_EQ(decodeLegacyTagText(c.bytes), u8(c.text)) << c.text;
}

// The cache makes a rescan of an unchanged library open nothing; a changed
// file is read again; a corrupt cache is ignored.
TEST(Library, RescanOfUnchangedLibraryOpensNoFile) {
    Library lib;
    const QString cachePath = lib.dir.filePath(QStringLiteral("settings/library-cache.txt"));
    CountingReader reader;
    ScanCache cache;
    const ScanResult first = scanLibrary(lib.root, reader, &cache);
    EXPECT_EQ(reader.opens, 30);
    cache.save(cachePath);

    ScanCache reloaded;
    reloaded.load(cachePath);
    reader.opens = 0;
    const ScanResult second = scanLibrary(lib.root, reader, &reloaded);
    EXPECT_EQ(reader.opens, 0);
    EXPECT_FALSE(reloaded.changed());
    ASSERT_EQ(second.files.size(), first.files.size());
    for (qsizetype i = 0; i < first.files.size(); ++i)
        EXPECT_EQ(second.files[i].title + second.files[i].artist,
                  first.files[i].title + first.files[i].artist);

    ASSERT_TRUE(
        test::writeTaggedMp3(lib.root + QStringLiteral("/Singles/shiny.mp3"), u8("Shiny Day"), u8("Hana")));
    QFile(lib.root + QStringLiteral("/Singles/shiny.mp3"))
        .setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    scanLibrary(lib.root, reader, &reloaded);
    EXPECT_EQ(reader.opens, 1);

    QFile corrupt(cachePath);
    ASSERT_TRUE(corrupt.open(QIODevice::Append));
    corrupt.write("not\ta cache line\n");
    corrupt.close();
    ScanCache broken;
    broken.load(cachePath);
    EXPECT_EQ(broken.size(), 0);
}

// Applying sets the file on every loaded date of the accepted songs, keeps
// methods, and leaves every other row as it was.
TEST(Library, ApplyingSetsEveryDateOfTheSongAndNothingElse) {
    QList<ChartTab> tabs{
        chart(20000108, {{1, "Twin", "Duo", {}}, {2, "Twin", "Other", {}}, {3, "*", "*", {}}}),
        chart(20000101, {{1, "Solo", "Duo", {}}, {2, "Twin", "Duo", "/old.mp3"}}),
        chart(19991225, {{5, "Twin", "Duo", {}}})};
    tabs[1].rows[1].method = "play";
    const QList<LibraryFile> files{libraryFile(u8("/m/twin.mp3"), u8("Twin"), u8("Duo")),
                                   libraryFile(u8("/m/twin2.mp3"), u8("Twin"), u8("Duo"))};
    QList<ChartTab> expected = tabs;
    expected[0].rows[0].file = expected[1].rows[1].file = expected[2].rows[0].file = "/m/twin.mp3";
    const QList<AssociationChange> changes = applyProposals(
        tabs, {{{"Twin", "Duo"}, 0, 1, true, {}, {}}, {{"Twin", "Duo"}, 1, 1, true, {}, {}}}, files);
    EXPECT_EQ(changes.size(), 3);
    for (int t = 0; t < tabs.size(); ++t) EXPECT_EQ(tabs[t].rows, expected[t].rows) << t;
}

// The wanted list's order and filters and the yearly figures on a history
// across a new year: an existing file owns its song, a dead one does not.
TEST(Library, WantedListAndCompletenessFigures) {
    QTemporaryDir dir;
    const QByteArray have = sjis::fromUnicode(dir.filePath(QStringLiteral("have.mp3")));
    QFile(sjis::toUnicode(have)).open(QIODevice::WriteOnly);
    const QList<ChartTab> tabs{
        chart(20000108, {{1, "A", "x", {}}, {2, "B", "x", have}, {3, "D", "x", {}}}),
        chart(20000101, {{1, "B", "x", {}}, {2, "A", "x", {}}, {9, "E", "x", {}}}),
        chart(19991225, {{2, "C", "x", "/dead.mp3"}, {3, "B", "x", {}}, {4, "A", "x", {}}})};
    const ChartHistory history(tabs);
    const QHash<SongKey, bool> owned = songOwnership(tabs);
    auto titles = [](const QList<WantedSong> &list) {
        QByteArray out;
        for (const WantedSong &w : list)
            out += w.song.title + QByteArray::number(w.peak) + QByteArray::number(w.weeks) + ' ';
        return out;
    };
    // A and C share peaks 1/2 apart; D and C tie on peak 2..3 by weeks, then debut.
    EXPECT_EQ(titles(wantedSongs(history, owned)), "A13 C21 D31 E91 ");
    EXPECT_EQ(titles(wantedSongs(history, owned, {0, 2})), "A13 C21 ");
    EXPECT_EQ(titles(wantedSongs(history, owned, {2000, 0})), "D31 E91 ");
    const QList<YearCompleteness> years = completenessByYear(history, owned);
    ASSERT_EQ(years.size(), 2);
    EXPECT_EQ(
        (QList<int>{years[0].year, years[0].songs, years[0].owned, years[0].weeks, years[0].weeksOwned}),
        (QList<int>{1999, 3, 1, 3, 1}));
    EXPECT_EQ(
        (QList<int>{years[1].year, years[1].songs, years[1].owned, years[1].weeks, years[1].weeksOwned}),
        (QList<int>{2000, 4, 1, 6, 2}));
    EXPECT_EQ(wantedLines(wantedSongs(history, owned, {0, 1})).value(0),
              "1\tA\tx\t3\t" + dateLabelFromTag(19991225));
}

// A generated library with every kind of mess and every kind of file the
// scan must leave out: each left-out file listed with its reason, nothing
// else left out; no wrong file applied, no version over a plain copy, no
// other artist's song; the identical-tag collaborations sure; a song whose
// only copies were left out says which; the rescan through the cache opens
// nothing and reads the same.
TEST(Library, GeneratedLibraryEndToEnd) {
    QTemporaryDir dir;
    const test::GeneratedLibrary lib = test::generateLibrary(dir.path(), {160, 3});
    const QString music = QFileInfo(lib.music).canonicalFilePath();
    auto canonical = [&](const QString &path) -> QString { return music + path.mid(lib.music.size()); };
    CountingReader reader;
    ScanCache cache;
    const ScanResult scan = scanLibrary(lib.music, reader, &cache);

    QMap<QString, QString> leftOut, expectedLeftOut;
    for (const LeftOutFile &l : scan.leftOut) leftOut.insert(l.file.path, leftOutReasonKey(l.reason));
    for (const test::GeneratedFile &f : lib.files)
        if (!f.leftOut.isEmpty()) expectedLeftOut.insert(canonical(f.path), f.leftOut);
    EXPECT_EQ(leftOut, expectedLeftOut);
    EXPECT_EQ(
        QSet<QString>(expectedLeftOut.cbegin(), expectedLeftOut.cend()),
        (QSet<QString>{u8("empty"), u8("unreadable"), u8("not_audio"), u8("unnamable"), u8("link_outside")}));
    EXPECT_EQ(scan.files.size() + scan.leftOut.size(), lib.files.size());

    QList<SongKey> songs;
    QHash<SongKey, const test::GeneratedSong *> truth;
    for (const test::GeneratedSong &s : lib.songs) songs << s.key, truth.insert(s.key, &s);
    const QList<MatchProposal> proposals = LibraryMatcher(scan.files).matchAll(songs, 0.5);
    int found = 0, owning = 0, collaborations = 0;
    QSet<SongKey> given, sure;
    for (const MatchProposal &p : proposalsToApply(proposals)) {
        const test::GeneratedSong &s = *truth.value(p.song);
        const QString file = scan.files[p.file].path;
        given.insert(p.song);
        if (p.sure) sure.insert(p.song);
        bool right = false;
        for (const QString &f : s.plainFiles) right = right || canonical(f) == file;
        EXPECT_TRUE(right) << qPrintable(sjis::toUnicode(p.song.title)) << " <- " << qPrintable(file);
    }
    for (const test::GeneratedSong &s : lib.songs) {
        owning += s.plainFiles.isEmpty() ? 0 : 1;
        found += given.contains(s.key) ? 1 : 0;
        if (s.collaboration && !s.exactTagFiles.isEmpty()) {
            ++collaborations;
            EXPECT_TRUE(sure.contains(s.key)) << qPrintable(s.title + u'/' + s.artist);
        }
    }
    EXPECT_GE(found, owning * 9 / 10);
    EXPECT_GT(collaborations, 0);

    // The wanted list's notes: songs whose only copies were left out.
    const QHash<SongKey, int> only = songsOnlyLeftOut(songs, scan);
    int onlyLeftOut = 0;
    for (const test::GeneratedSong &s : lib.songs) {
        if (!s.plainFiles.isEmpty() || !s.variantFiles.isEmpty() || s.leftOutFiles.isEmpty()) {
            EXPECT_FALSE(only.contains(s.key) && !s.plainFiles.isEmpty()) << qPrintable(s.title);
            continue;
        }
        ++onlyLeftOut;
        ASSERT_TRUE(only.contains(s.key)) << qPrintable(s.title + u'/' + s.artist);
        EXPECT_EQ(scan.leftOut[only.value(s.key)].file.path, canonical(s.leftOutFiles.constFirst()));
    }
    EXPECT_GT(onlyLeftOut, 0);

    reader.opens = 0;
    const ScanResult again = scanLibrary(lib.music, reader, &cache);
    EXPECT_EQ(reader.opens, 0);
    ASSERT_EQ(again.files.size(), scan.files.size());
    for (qsizetype i = 0; i < scan.files.size(); ++i)
        EXPECT_EQ(again.files[i].title + again.files[i].artist + again.files[i].versionPlace,
                  scan.files[i].title + scan.files[i].artist + scan.files[i].versionPlace);
    EXPECT_EQ(again.leftOut.size(), scan.leftOut.size());
}
