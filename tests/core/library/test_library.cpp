#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "core/library/libraryscan.h"
#include "core/library/songmatch.h"
#include "core/library/wanted.h"
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
// proposal from a hidden folder, a link out of the library, an owned song.
TEST(Library, ProposalsAreTheExpectedOnesSureAndNot) {
    Library lib;
    CountingReader reader;
    const ScanResult scan = scanLibrary(lib.root, reader, nullptr);
    EXPECT_EQ(scan.files.size(), 30);  // 9 tagged less the hidden one, 20 fillers, 2 others
    const LibraryMatcher matcher(scan.files);
    QMap<QString, QStringList> got;
    for (const MatchProposal &p : matcher.matchAll(songsWithoutFile(lib.charts()), 0.5))
        got[sjis::toUnicode(p.song.title)]
            << QFileInfo(scan.files[p.file].path).dir().dirName() +
                   (p.sure ? QStringLiteral(" sure") : QStringLiteral(" %1").arg(p.score, 0, 'f', 2));
    const QMap<QString, QStringList> expected{
        {u8("夜明け星のうた"), {u8("Album sure")}}, {u8("Ｌｏｖｅ　Ｓｏｎｇ"), {u8("Album sure")}},
        {u8("Blue Moon"), {u8("Loose sure")}},      {u8("桜の雨"), {u8("Old sure")}},
        {u8("Summer Wind"), {u8("Album 0.95")}},    {u8("Starlight"), {u8("Singles 0.95")}},
        {u8("Shiny Day"), {u8("Singles 0.93")}},    {u8("Twin"), {u8("A sure"), u8("B sure")}}};
    EXPECT_EQ(got, expected);
    EXPECT_EQ(decodeLegacyTagText("M\xFCller\0\0 "), u8("Müller"));  // Latin-1 that looks like EUC-JP
}

// The bigram index only saves work: every song gets what scoring every
// file would give it.
TEST(Library, IndexedMatchingAgreesWithScoringEveryFile) {
    QList<LibraryFile> files;
    QList<SongKey> songs;
    const QStringList words{u8("Love"),  u8("Night"), u8("夜"),  u8("星"),
                            u8("Dream"), u8("雨の"),  u8("Sky"), u8("Ｂｌｕｅ")};
    for (int i = 0; i < 300; ++i) {
        const QString title =
            words[i % 8] + u' ' + words[(i / 8) % 8] + (i % 5 ? QString() : QStringLiteral(" (Remix)"));
        const QString artist = words[(i / 3) % 8] + QString::number(i % 4);
        files.push_back({QString::number(i), sjis::fromUnicode(QString::number(i)), title, artist, 0, true});
        if (i % 3 == 0)
            songs.push_back({sjis::fromUnicode(title.left(title.size() - i % 2)), sjis::fromUnicode(artist)});
    }
    const LibraryMatcher matcher(files);
    for (const SongKey &song : songs) {
        const MatchText t = normalizeForMatch(sjis::toUnicode(song.title), false);
        const MatchText a = normalizeForMatch(sjis::toUnicode(song.artist), true);
        double best = 0.6;
        QList<int> literal;
        for (int f = 0; f < files.size(); ++f) {
            const double s = matchScore(t, a, normalizeForMatch(files[f].title, false),
                                        normalizeForMatch(files[f].artist, true));
            if (s > best + 1e-9) literal.clear(), best = s;
            if (s >= best - 1e-9) literal << f;
        }
        QList<int> indexed;
        for (const MatchProposal &p : matcher.match(song, 0.6)) indexed << p.file;
        EXPECT_EQ(indexed, literal) << sjis::toUnicode(song.title).toStdString();
    }
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
    const QList<LibraryFile> files{{u8("/m/twin.mp3"), "/m/twin.mp3", u8("Twin"), u8("Duo"), 0, true},
                                   {u8("/m/twin2.mp3"), "/m/twin2.mp3", u8("Twin"), u8("Duo"), 0, true}};
    QList<ChartTab> expected = tabs;
    expected[0].rows[0].file = expected[1].rows[1].file = expected[2].rows[0].file = "/m/twin.mp3";
    const QList<AssociationChange> changes =
        applyProposals(tabs, {{{"Twin", "Duo"}, 0, 1, true}, {{"Twin", "Duo"}, 1, 1, true}}, files);
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
