#include "core/cdr/cdrstage.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "sjtest.h"

using namespace vorq;
using namespace vorq::cdr;

// Readable failures: the bytes as text.
void PrintTo(const QByteArray &b, std::ostream *os) { *os << '"' << b.toStdString() << '"'; }

namespace {

// A data folder, a music folder and a program beside which the copy's side
// files may lie.
class Stage : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString data, music, prog;

    void SetUp() override {
        data = dir.filePath(QStringLiteral("data/"));
        music = dir.filePath(QStringLiteral("music/"));
        prog = dir.filePath(QStringLiteral("prog/"));
        for (const QString &f : {data, music, prog}) QDir().mkpath(f);
        writeFile(prog + QStringLiteral("vorqview"), QByteArray(3000, 'x'));
        for (const char *d : {"19950408", "19950415", "19950422", "19950429"})
            writeFile(data + QLatin1String(d) + QStringLiteral(".txt"), QByteArray(100, 'c'));
    }
    static void writeFile(const QString &path, const QByteArray &bytes) { sjis::saveFile(path, bytes); }
    QByteArray m(const char *name) const { return sjis::fromUnicode(music) + sj(name); }
    StageSource source(const char *from = "1995年04月08日", const char *to = "1995年04月29日") const {
        return {sjis::fromUnicode(data), prog + QStringLiteral("vorqview"), sj(from), sj(to)};
    }
};

struct RecordingCopier : StageCopier {
    QList<QPair<QStringList, QString>> calls;
    void copy(const QStringList &sources, const QString &target, const QStringList &) override {
        calls.append({sources, target});
    }
};

}  // namespace

TEST(CdrSizes, SummaryColourBoundariesAndTexts) {
    EXPECT_EQ(summaryColour(671088640), SummaryColour::Black);
    EXPECT_EQ(summaryColour(671088641), SummaryColour::Yellow);
    EXPECT_EQ(summaryColour(734003200), SummaryColour::Yellow);
    EXPECT_EQ(summaryColour(734003201), SummaryColour::Red);
    EXPECT_EQ(kibText(734003200), QStringLiteral("   716,800"));
    EXPECT_EQ(kibText(1023), QStringLiteral("         0"));
    EXPECT_EQ(sizeText(1234567), QStringLiteral("1,234,567"));
    EXPECT_EQ(sizeText(999), QStringLiteral("     999"));
    EXPECT_EQ(sizeFromText(QStringLiteral(" 1,234,567")), 1234567);
}

TEST(CdrText, UpperCaseAndNamesKeepTwoByteCharacters) {
    // 0x83 0x61 is one character whose trailing byte reads as 'a'; 0x83 0x5C
    // ("ソ") ends in a backslash.
    EXPECT_EQ(upperAscii(bytes({0x83, 0x61, 'a', 'b'})), bytes({0x83, 0x61, 'A', 'B'}));
    EXPECT_EQ(lastComponent(sj("C:\\曲\\ソ.mp3")), sj("ソ.mp3"));
    EXPECT_EQ(lastComponent(sj("/x/ソ/y.mp3")), sj("y.mp3"));
    EXPECT_EQ(lastComponent(sj("ソ")), sj("ソ"));
}

TEST_F(Stage, StartCountsSizesAndSkipsNotBroadcastDates) {
    // A not-broadcast date keeps its data file out of the list, the sizes
    // and the copy; the program's notfound.txt is merged in.
    writeFile(data + QStringLiteral("notfound.txt"), sj("1995年04月15日\r\n"));
    writeFile(prog + QStringLiteral("notfound.txt"), sj("1995年05月06日\r\n1995年04月15日\r\n"));
    CdrSession s;
    s.start(source());
    ASSERT_EQ(s.dataDates().size(), 3);
    EXPECT_EQ(s.dataDates().at(1).label, sj("1995年04月22日"));
    EXPECT_EQ(s.notBroadcast().size(), 2);
    EXPECT_EQ(s.programSize(), 3000 + 2 * (14 + 2));
    EXPECT_EQ(s.dataSize(), 300);
    const StagePlan p = planStage(s, {dir.filePath(QStringLiteral("root")), {}, {}});
    EXPECT_EQ(p.dataFiles.size(), 3);
    for (const QString &f : p.dataFiles) EXPECT_FALSE(f.endsWith(QStringLiteral("19950415.txt")));

    // First date after the last: nothing.
    s.setRange(2, 0);
    EXPECT_EQ(s.dataSize(), 0);
    EXPECT_TRUE(s.items().isEmpty());
    EXPECT_TRUE(planStage(s, {dir.path(), {}, {}}).dataFiles.isEmpty());
}

TEST_F(Stage, AssociatedListTakesEachFileOnceByPathWithoutLetterCase) {
    writeFile(music + QStringLiteral("a.mp3"), QByteArray(2048, 'a'));
    writeFile(music + QStringLiteral("b.mp3"), QByteArray(10, 'b'));
    QByteArray upperA = sjis::fromUnicode(music) + "A.MP3";  // same full path, other case
    writeFile(data + QStringLiteral("file.idx"), "19950408001\t" + m("a.mp3") + "\t\r\n19950415001\t" +
                                                     upperA + "\tprint\r\n19950422001\t" + m("b.mp3") +
                                                     "\r\n19950429001\t" + m("gone.mp3") +
                                                     "\t\r\n19950429002\thttp://e.example/\t\r\n");
    CdrSession s;
    s.start(source());
    ASSERT_EQ(s.items().size(), 2);
    EXPECT_EQ(s.items().at(0).name, QByteArray("a.mp3"));
    EXPECT_EQ(s.assocSize(), 2058);
    EXPECT_FALSE(s.addFile(upperA));  // a dropped duplicate changes nothing
    EXPECT_EQ(s.assocSize(), 2058);

    // Both dates of a.mp3 point at the one copy; the missing file is dropped,
    // the address kept as it is.
    EXPECT_EQ(s.stagedIndex("\\music\\"),
              QList<QByteArray>({"19950408001\t\\music\\a.mp3\t", "19950415001\t\\music\\a.mp3\tprint",
                                 "19950422001\t\\music\\b.mp3\t", "19950429002\thttp://e.example/\t"}));
    s.setRange(2, 3);
    EXPECT_EQ(s.items().size(), 1);
    EXPECT_EQ(s.stagedIndex("\\").first(), QByteArray("19950422001\t\\b.mp3\t"));

    // The column sort: the first click is descending.
    s.setRange(0, 3);
    s.sortBy(2);
    EXPECT_EQ(s.items().first().name, QByteArray("a.mp3"));
    s.sortBy(2);
    EXPECT_EQ(s.items().first().name, QByteArray("b.mp3"));
}

TEST_F(Stage, FilterKeepsNamesOfAListOrAFolder) {
    for (const char *n : {"a.mp3", "b.mp3", "c.mp3"}) writeFile(music + QLatin1String(n), "x");
    writeFile(data + QStringLiteral("file.idx"), "19950408001\t" + m("a.mp3") + "\t\r\n19950408002\t" +
                                                     m("b.mp3") + "\t\r\n19950408003\t" + m("c.mp3") +
                                                     "\t\r\n");
    writeFile(dir.filePath(QStringLiteral("list.m3u")), "#EXTM3U\r\nD:\\other\\A.MP3\r\n/x/c.mp3\r\n");
    CdrSession s;
    s.start(source());
    s.keepOnlyNames(namesFromListFile(dir.filePath(QStringLiteral("list.m3u"))));
    ASSERT_EQ(s.items().size(), 2);
    EXPECT_EQ(s.items().at(1).name, QByteArray("c.mp3"));
    EXPECT_EQ(s.assocSize(), 2);

    QDir().mkpath(dir.filePath(QStringLiteral("other/b.mp3")));  // a folder is no name
    writeFile(dir.filePath(QStringLiteral("other/c.mp3")), "y");
    s.rebuildAssociated();
    s.keepOnlyNames(namesInFolder(dir.filePath(QStringLiteral("other"))));
    ASSERT_EQ(s.items().size(), 1);
    EXPECT_EQ(s.items().at(0).name, QByteArray("c.mp3"));
}

TEST_F(Stage, LayoutAtTheRootAndInSubfolders) {
    writeFile(music + QStringLiteral("a.mp3"), "x");
    writeFile(data + QStringLiteral("file.idx"), "19950408001\t" + m("a.mp3") + "\t\r\n");
    writeFile(prog + QStringLiteral("readme.txt"), "r");
    CdrSession s;
    s.start(source());
    const QString root = dir.filePath(QStringLiteral("root"));
    QDir().mkpath(root);

    const StagePlan flat = planStage(s, {root, {}, {}});
    EXPECT_EQ(flat.autorunInf, QList<QByteArray>({"[autorun]", "OPEN=vorqview", "ICON=vorqview,0"}));
    EXPECT_EQ(flat.index, QList<QByteArray>({"19950408001\t\\a.mp3\t"}));
    EXPECT_EQ(flat.programFolder, root + QLatin1Char('/'));

    const StagePlan nested =
        planStage(s, {root, {QStringLiteral("prog")}, {QStringLiteral("曲"), QStringLiteral("mp3")}});
    EXPECT_EQ(nested.autorunInf.at(1), QByteArray("OPEN=prog\\vorqview"));
    EXPECT_EQ(nested.autorunInf.at(2), QByteArray("ICON=prog\\vorqview,0"));
    EXPECT_EQ(nested.index, QList<QByteArray>({"19950408001\t" + sj("\\曲\\mp3\\a.mp3") + "\t"}));
    EXPECT_TRUE(nested.autorunSh.contains("'prog/vorqview'"));

    RecordingCopier copier;
    runStage(nested, copier);
    EXPECT_EQ(sjis::readLines(root + QStringLiteral("/prog/vorqview.ini")),
              QList<QByteArray>({"[Restrictions]", "WriteMode=1"}));
    EXPECT_EQ(sjis::readFile(root + QStringLiteral("/autorun.inf")),
              QByteArray("[autorun]\r\nOPEN=prog\\vorqview\r\nICON=prog\\vorqview,0\r\n"));
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/autorun.sh")).isExecutable());
    // The program, readme.txt, the data files, the associated files: in
    // order, each side file in a copy of its own.
    ASSERT_EQ(copier.calls.size(), 4);
    EXPECT_TRUE(copier.calls[0].first.first().endsWith(QStringLiteral("/vorqview")));
    EXPECT_TRUE(copier.calls[1].first.first().endsWith(QStringLiteral("/readme.txt")));
    EXPECT_EQ(copier.calls[2].first.size(), 4);
    EXPECT_EQ(copier.calls[3].second, root + QStringLiteral("/曲/mp3/"));
}

TEST_F(Stage, AFailedTextWriteEndsTheFinish) {
    CdrSession s;
    s.start(source());
    const QString root = dir.filePath(QStringLiteral("root"));
    QDir().mkpath(root + QStringLiteral("/prog"));
    // notfound.txt cannot be written: a folder holds its name.
    QDir().mkpath(root + QStringLiteral("/prog/notfound.txt/x"));
    RecordingCopier copier;
    EXPECT_THROW(runStage(planStage(s, {root, {QStringLiteral("prog")}, {}}), copier), FileError);
    ASSERT_EQ(copier.calls.size(), 1);  // the program; the data files came after
    EXPECT_TRUE(QFile::exists(root + QStringLiteral("/prog/vorqview.ini")));
}

TEST_F(Stage, RestoreTakesTheProgramAndTheSideFilesPresent) {
    EXPECT_EQ(restoreSources(prog + QStringLiteral("vorqview")),
              QStringList{prog + QStringLiteral("vorqview")});
    writeFile(prog + QStringLiteral("notfound.txt"), "");
    writeFile(prog + QStringLiteral("src.lzh"), "");
    EXPECT_EQ(restoreSources(prog + QStringLiteral("vorqview")),
              QStringList({prog + QStringLiteral("vorqview"), prog + QStringLiteral("notfound.txt"),
                           prog + QStringLiteral("src.lzh")}));
}

TEST_F(Stage, FolderTreeIsDepthFirstAndIgnoresLinks) {
    const QString root = dir.filePath(QStringLiteral("root"));
    QDir().mkpath(root + QStringLiteral("/a/b"));
    QDir().mkpath(root + QStringLiteral("/c"));
    QFile::link(root, root + QStringLiteral("/a/loop"));
    const QList<FolderNode> tree = folderTree(root);
    ASSERT_EQ(tree.size(), 4);
    EXPECT_EQ(tree[0].depth, 0);
    for (int i = 1; i < tree.size(); ++i) {
        if (tree[i].names == QStringList{QStringLiteral("a"), QStringLiteral("b")}) {
            EXPECT_EQ(tree[i - 1].names, QStringList{QStringLiteral("a")});
            EXPECT_EQ(tree[i].depth, 2);
        }
    }
}

// ---- differential: the indexed list against the literal algorithm ---------------

namespace {

struct LiteralItem {
    QByteArray name, location;
    qint64 size;
};

// Each file.idx line in order; a file in range is added unless an item with
// the same upper-cased full path is listed (a linear search).
QList<LiteralItem> literalList(const QList<QByteArray> &lines, int firstTag, int lastTag) {
    QList<LiteralItem> items;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.split('\t');
        const int tag = f[0].left(8).toInt();
        if (tag < firstTag || tag > lastTag || f.size() < 2) continue;
        const QByteArray file = f[1];
        if (isWebTarget(file) || !QFileInfo(sjis::path(file)).isFile()) continue;
        bool listed = false;
        for (const LiteralItem &i : items)
            listed = listed || upperAscii(i.location + i.name) == upperAscii(file);
        if (listed) continue;
        const qsizetype slash = file.lastIndexOf('/');
        items.append({file.mid(slash + 1), file.left(slash + 1), QFileInfo(sjis::path(file)).size()});
    }
    return items;
}

QList<QByteArray> literalIndex(const QList<QByteArray> &lines, const QList<LiteralItem> &items, int firstTag,
                               int lastTag) {
    QList<QByteArray> out;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> f = line.split('\t');
        const int tag = f[0].left(8).toInt();
        if (tag < firstTag || tag > lastTag) continue;
        if (isWebTarget(f[1])) {
            out.append(f[0] + '\t' + f[1] + '\t' + f.value(2));
            continue;
        }
        for (const LiteralItem &i : items) {
            if (upperAscii(i.location + i.name) == upperAscii(f[1])) {
                out.append(f[0] + "\t\\m\\" + i.name + '\t' + f.value(2));
                break;
            }
        }
    }
    return out;
}

}  // namespace

TEST_F(Stage, IndexedListMatchesTheLiteralAlgorithm) {
    QRandomGenerator rng(7);
    const QByteArray base = sjis::fromUnicode(music);
    QList<QByteArray> names;
    for (int i = 0; i < 30; ++i) {
        const QByteArray n = "f" + QByteArray::number(i) + (i % 3 ? ".mp3" : ".MP3");
        names.append(n);
        if (i % 7 != 6) writeFile(sjis::path(base + n), QByteArray(int(rng.bounded(5000)), 'z'));
    }
    const int tags[] = {19950408, 19950415, 19950422, 19950429};
    QList<QByteArray> lines;
    for (int i = 0; i < 200; ++i) {
        const QByteArray key =
            QByteArray::number(tags[rng.bounded(4)]) + QByteArray::number(100 + i).right(3);
        QByteArray file = base + names[rng.bounded(names.size())];
        if (rng.bounded(4) == 0) file = upperAscii(file);  // the same path in capitals
        if (rng.bounded(10) == 0) file = "http://e.example/" + QByteArray::number(i);
        lines.append(key + '\t' + file + (rng.bounded(2) ? QByteArray("\tplay") : QByteArray("\t")));
    }
    writeFile(data + QStringLiteral("file.idx"), sjis::joinLines(lines));
    CdrSession s;
    s.start(source());
    for (int round = 0; round < 12; ++round) {
        const int first = int(rng.bounded(4)), last = int(rng.bounded(4));
        s.setRange(first, last);
        const QList<LiteralItem> expected = literalList(lines, tags[first], first > last ? 0 : tags[last]);
        ASSERT_EQ(s.items().size(), expected.size()) << round;
        qint64 size = 0;
        for (int i = 0; i < expected.size(); ++i) {
            EXPECT_EQ(s.items()[i].fullPath(), expected[i].location + expected[i].name);
            size += expected[i].size;
        }
        EXPECT_EQ(s.assocSize(), size);
        if (first <= last) {
            EXPECT_EQ(s.stagedIndex("\\m\\"), literalIndex(lines, expected, tags[first], tags[last]));
        }
    }
}
