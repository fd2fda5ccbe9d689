// vorq cdr says what it leaves out, and refuses a file it cannot put on the
// disc; vorq associate --auto stores absolute paths for a relative folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "sjtest.h"
#include "vorqrun.h"

TEST(CliCdr, ListsWhatTheDiscLeavesOutRefusesNamesItCannotHoldAndStoresAbsolutePaths) {
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data/")), music = dir.filePath(QStringLiteral("music"));
    QDir().mkpath(data);
    QDir().mkpath(music);
    vorq::sjis::saveFile(data + QStringLiteral("19950408.txt"), "1\tHit\tStar\r\n2\tSolo\tOne\r\n");
    vorq::sjis::saveFile(music + QStringLiteral("/a.mp3"), "a");
    vorq::sjis::saveFile(music + QStringLiteral("/One-Solo.mp3"), "s");
    vorq::sjis::saveFile(dir.filePath(QStringLiteral("vorqview")), "program");
    const QByteArray m = music.toUtf8();
    vorq::sjis::saveFile(
        data + QStringLiteral("file.idx"),
        "19950408001\t" + m + "\t\r\n19950408002\t/nowhere/x.mp3\t\r\n19950408003\thttp://w/x\t\r\n");
    const QStringList common{QStringLiteral("cdr"),
                             QStringLiteral("--data"),
                             data,
                             QStringLiteral("--program"),
                             dir.filePath(QStringLiteral("vorqview")),
                             QStringLiteral("--today"),
                             QStringLiteral("1995-04-20"),
                             QStringLiteral("--root")};
    auto root = [&](const char *name) {
        const QString r = dir.filePath(QLatin1String(name));
        QDir().mkpath(r);
        return r;
    };

    VorqRun r = runVorq(common + QStringList{root("r1")});
    ASSERT_EQ(r.status, 0) << r.err.constData();
    EXPECT_TRUE(r.out.endsWith(QByteArray("left-out\tfolder\t" + m + "\nleft-out\tmissing\t/nowhere/x.mp3\n" +
                                          "left-out\tweb\thttp://w/x\n")))
        << r.out.constData();

    for (const QString &name : {QString::fromUtf8("\xF0\x9F\x8E\xB5.mp3"), QStringLiteral("a\\b.mp3")}) {
        const QString file = music + QLatin1Char('/') + name;
        vorq::sjis::saveFile(file, "x");
        r = runVorq(common + QStringList{root("r2"), QStringLiteral("--add"), file});
        EXPECT_EQ(r.status, 1) << r.err.constData();
        EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("r2"))).isEmpty());
    }
    EXPECT_TRUE(r.err.contains("\\")) << r.err.constData();

    r = runVorqAt(vorqCopy(),
                  {QStringLiteral("associate"), QStringLiteral("--auto"), QStringLiteral("--data"), data,
                   QStringLiteral("--today"), QStringLiteral("1995-04-20"), QStringLiteral("--pattern"),
                   QStringLiteral("%a-%t.mp3"), QStringLiteral("--folder"), QStringLiteral("music"),
                   QStringLiteral("--auto-add"), QStringLiteral("on")},
                  dir.path());
    ASSERT_EQ(r.status, 0) << r.err.constData();
    QFile idx(data + QStringLiteral("file.idx"));
    ASSERT_TRUE(idx.open(QIODevice::ReadOnly));
    EXPECT_TRUE(idx.readAll().contains(QByteArray("19950408002\t" + m + "/One-Solo.mp3\t")))
        << r.out.constData();
}
