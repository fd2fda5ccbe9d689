// vorq scan / wanted / completeness run as the built program: the JSON
// fields and the left-out files, --apply storing what reaches the default
// threshold, and the wanted list after it naming the left-out file.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "musicfiles.h"
#include "sjtest.h"
#include "vorqrun.h"

TEST(CliLibrary, ScanProposesAppliesAndTheWantedListFollows) {
    QTemporaryDir data, music;
    QFile chart(data.filePath(QStringLiteral("20240106.txt")));
    ASSERT_TRUE(chart.open(QIODevice::WriteOnly));
    chart.write(sj("1\t夜明け星のうた\t星野ミカ\r\n2\tSummer Wind\tKaito\r\n3\tRain\tNobody\r\n"));
    chart.close();
    ASSERT_TRUE(vorq::test::writeTaggedMp3(music.filePath(QStringLiteral("a/01.mp3")), u8("夜明け星のうた"),
                                           u8("星野ミカ")));
    ASSERT_TRUE(vorq::test::writeTaggedMp3(music.filePath(QStringLiteral("a/02.mp3")),
                                           u8("Summer Wind (TV size)"), u8("Kaito")));
    const QStringList range{QStringLiteral("--data"), data.path(),
                            QStringLiteral("--from"), QStringLiteral("2024-01-06"),
                            QStringLiteral("--to"),   QStringLiteral("2024-01-06")};
    // A download that failed: an empty file of the song nobody owns.
    QDir().mkpath(music.filePath(QStringLiteral("b")));
    QFile empty(music.filePath(QStringLiteral("b/Nobody - Rain.mp3")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    const QStringList scan =
        QStringList{QStringLiteral("scan"), QStringLiteral("--folder"), music.path(),
                    QStringLiteral("--cache"), data.filePath(QStringLiteral("cache.txt"))} +
        range;
    const VorqRun listed = runVorq(
        scan + QStringList{QStringLiteral("--json"), QStringLiteral("--min-score"), QStringLiteral("0.6")});
    ASSERT_EQ(listed.status, 0) << listed.err.constData();
    const QJsonObject result = QJsonDocument::fromJson(listed.out).object();
    const QJsonArray proposals = result[QStringLiteral("proposals")].toArray();
    ASSERT_EQ(proposals.size(), 2);
    EXPECT_EQ(
        QJsonDocument(proposals[0].toObject()).toJson(QJsonDocument::Compact),
        QByteArray(
            R"({"artist":"星野ミカ","file":")" + music.filePath(QStringLiteral("a/01.mp3")).toUtf8() +
            R"(","marker":"","note":"","score":1,"sure":true,"tag_artist":"星野ミカ","tag_title":"夜明け星のうた","title":"夜明け星のうた"})"));
    const QJsonObject version = proposals[1].toObject();
    EXPECT_EQ(version[QStringLiteral("sure")], false);
    EXPECT_EQ(version[QStringLiteral("note")], u8("variant"));
    EXPECT_EQ(version[QStringLiteral("marker")], u8("TV size"));
    EXPECT_EQ(QJsonDocument(result[QStringLiteral("left_out")].toArray()).toJson(QJsonDocument::Compact),
              R"([{"file":")" + music.filePath(QStringLiteral("b/Nobody - Rain.mp3")).toUtf8() +
                  R"(","reason":"empty"}])");
    EXPECT_FALSE(QFile::exists(data.filePath(QStringLiteral("file.idx"))));  // nothing stored without --apply

    // The default threshold: the sure song is stored, the TV-size version is not.
    const VorqRun applied = runVorq(scan + QStringList{QStringLiteral("--apply")});
    ASSERT_EQ(applied.status, 0);
    const QByteArray listedEmpty = "empty\t" + music.filePath(QStringLiteral("b/Nobody - Rain.mp3")).toUtf8();
    EXPECT_TRUE(applied.err.contains(listedEmpty)) << applied.err.constData();
    const VorqRun wanted = runVorq(QStringList{QStringLiteral("wanted"), QStringLiteral("--json"),
                                               QStringLiteral("--folder"), music.path()} +
                                   range);
    const QByteArray expectedWanted =
        R"([{"artist":"Kaito","first":"2024-01-06","peak":2,"title":"Summer Wind","weeks":1},)"
        R"({"artist":"Nobody","first":"2024-01-06","left_out":{"file":")" +
        music.filePath(QStringLiteral("b/Nobody - Rain.mp3")).toUtf8() +
        R"(","reason":"empty"},"peak":3,"title":"Rain","weeks":1}])";
    EXPECT_EQ(QJsonDocument::fromJson(wanted.out).toJson(QJsonDocument::Compact).toStdString(),
              expectedWanted.toStdString());
    const VorqRun years =
        runVorq(QStringList{QStringLiteral("completeness"), QStringLiteral("--json")} + range);
    EXPECT_EQ(QJsonDocument::fromJson(years.out).toJson(QJsonDocument::Compact),
              R"([{"owned":1,"songs":3,"weeks":3,"weeks_owned":1,"year":2024}])");
}

// File names come from others: one holding a terminal escape is listed
// without it.
TEST(CliLibrary, LeftOutFilesPrintWithoutControlCharacters) {
    QTemporaryDir data, music;
    QFile chart(data.filePath(QStringLiteral("20240106.txt")));
    ASSERT_TRUE(chart.open(QIODevice::WriteOnly));
    chart.write("1\tRain\tNobody\r\n");
    chart.close();
    QFile empty(music.filePath(QStringLiteral("x\x1b]2;owned\x07.mp3")));
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    const VorqRun run =
        runVorq({QStringLiteral("scan"), QStringLiteral("--folder"), music.path(), QStringLiteral("--cache"),
                 data.filePath(QStringLiteral("cache.txt")), QStringLiteral("--data"), data.path(),
                 QStringLiteral("--from"), QStringLiteral("2024-01-06"), QStringLiteral("--to"),
                 QStringLiteral("2024-01-06")});
    ASSERT_EQ(run.status, 0) << run.err.constData();
    EXPECT_TRUE(run.err.contains("empty\t")) << run.err.constData();
    EXPECT_FALSE(run.err.contains('\x1b'));
    EXPECT_FALSE(run.err.contains('\x07'));
}
