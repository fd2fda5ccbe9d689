// vorq scan / wanted / completeness run as the built program: the JSON
// fields, --apply storing what was printed, and the wanted list after it.
#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "../core/library/musicfiles.h"
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
    const QStringList scan = QStringList{QStringLiteral("scan"), QStringLiteral("--folder"), music.path(),
                                         QStringLiteral("--min-score"), QStringLiteral("0.9")} +
                             range;
    const VorqRun listed = runVorq(scan + QStringList{QStringLiteral("--json")});
    ASSERT_EQ(listed.status, 0) << listed.err.constData();
    const QJsonArray proposals = QJsonDocument::fromJson(listed.out).array();
    ASSERT_EQ(proposals.size(), 2);
    EXPECT_EQ(
        QJsonDocument(proposals[0].toObject()).toJson(QJsonDocument::Compact),
        QByteArray(
            R"({"artist":"星野ミカ","file":")" + music.filePath(QStringLiteral("a/01.mp3")).toUtf8() +
            R"(","score":1,"sure":true,"tag_artist":"星野ミカ","tag_title":"夜明け星のうた","title":"夜明け星のうた"})"));
    const QJsonObject near = proposals[1].toObject();
    EXPECT_EQ(near[QStringLiteral("sure")], false);
    EXPECT_EQ(near[QStringLiteral("tag_title")], u8("Summer Wind (TV size)"));
    EXPECT_FALSE(QFile::exists(data.filePath(QStringLiteral("file.idx"))));  // nothing stored without --apply

    ASSERT_EQ(runVorq(scan + QStringList{QStringLiteral("--apply")}).status, 0);
    const VorqRun wanted = runVorq(QStringList{QStringLiteral("wanted"), QStringLiteral("--json")} + range);
    EXPECT_EQ(QJsonDocument::fromJson(wanted.out).toJson(QJsonDocument::Compact),
              R"([{"artist":"Nobody","first":"2024-01-06","peak":3,"title":"Rain","weeks":1}])");
    const VorqRun years =
        runVorq(QStringList{QStringLiteral("completeness"), QStringLiteral("--json")} + range);
    EXPECT_EQ(QJsonDocument::fromJson(years.out).toJson(QJsonDocument::Compact),
              R"([{"owned":2,"songs":3,"weeks":3,"weeks_owned":2,"year":2024}])");
}
