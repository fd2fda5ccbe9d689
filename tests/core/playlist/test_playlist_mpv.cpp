// A real player reads our playlists: mpv plays every entry of a generated
// M3U8 with Japanese and accented Latin names and relative paths. mpv
// (0.35) has no XSPF reader, so the XSPF file is resolved the way a player
// does and every location must name one of the generated files.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>
#include <QtEndian>

#include "core/playlist/playlistwriter.h"
#include "sjtest.h"

using namespace vorq;

namespace {

// A tenth of a second of 8 kHz mono 16-bit silence.
bool writeWav(const QString &fileName) {
    const quint32 samples = 800, dataBytes = samples * 2;
    QByteArray wav;
    auto u32 = [&](quint32 v) { wav.append(reinterpret_cast<const char *>(&(v = qToLittleEndian(v))), 4); };
    auto u16 = [&](quint16 v) { wav.append(reinterpret_cast<const char *>(&(v = qToLittleEndian(v))), 2); };
    wav += "RIFF";
    u32(36 + dataBytes);
    wav += "WAVEfmt ";
    u32(16);
    u16(1);  // PCM
    u16(1);
    u32(8000);
    u32(16000);
    u16(2);
    u16(16);
    wav += "data";
    u32(dataBytes);
    wav.append(QByteArray(dataBytes, '\0'));
    QFile f(fileName);
    return f.open(QIODevice::WriteOnly) && f.write(wav) == wav.size();
}

class PlaylistPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(QDir(dir.path()).mkpath(u8("曲/Été")));
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("lists")));
        for (const char *name : {"曲/夜空ノムコウ.wav", "曲/Été/Café Déjà vu.wav", "lists/ｶﾀｶﾅ & #1.wav"}) {
            const QString path = dir.filePath(u8(name));
            ASSERT_TRUE(writeWav(path));
            entries.append({path, QFileInfo(path).completeBaseName(), u8("歌手"), 0});
        }
        options.relativePaths = true;
    }
    QTemporaryDir dir;
    QList<PlaylistEntry> entries;
    PlaylistOptions options;
};

}  // namespace

TEST_F(PlaylistPlayer, MpvPlaysEveryEntryOfTheM3u8) {
    const QString mpv = QStandardPaths::findExecutable(QStringLiteral("mpv"));
    if (mpv.isEmpty())
        GTEST_SKIP() << "mpv is not installed (scripts/install-deps installs it); player check skipped";
    const QString list = dir.filePath(QStringLiteral("lists/日本語のリスト.m3u8"));
    saveExtendedPlaylist(list, PlaylistFormat::M3u8, entries, options);

    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(mpv, {QStringLiteral("--no-config"), QStringLiteral("--ao=null"), QStringLiteral("--vo=null"),
                  QStringLiteral("--term-playing-msg=PLAYED ${path}"), list});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QString out = QString::fromUtf8(p.readAll());
    EXPECT_EQ(p.exitCode(), 0) << out.toStdString();
    // mpv joins the relative paths the playlist holds to its folder.
    const QString folder = dir.filePath(QStringLiteral("lists/"));
    const QStringList played =
        out.split(QLatin1Char('\n')).filter(QRegularExpression(QStringLiteral("^PLAYED ")));
    EXPECT_EQ(played.join(QLatin1Char('\n')).toStdString(),
              QStringList({u8("PLAYED ") + folder + u8("../曲/夜空ノムコウ.wav"),
                           u8("PLAYED ") + folder + u8("../曲/Été/Café Déjà vu.wav"),
                           u8("PLAYED ") + folder + u8("ｶﾀｶﾅ & #1.wav")})
                  .join(QLatin1Char('\n'))
                  .toStdString())
        << out.toStdString();
}

TEST_F(PlaylistPlayer, XspfLocationsResolveToEveryGeneratedFile) {
    const QString list = dir.filePath(QStringLiteral("lists/list.xspf"));
    saveExtendedPlaylist(list, PlaylistFormat::Xspf, entries, options);
    QFile f(list);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QXmlStreamReader r(&f);
    QStringList resolved;
    while (!r.atEnd())
        if (r.readNext() == QXmlStreamReader::StartElement && r.name() == QLatin1String("location"))
            resolved << QUrl::fromLocalFile(list)
                            .resolved(QUrl(r.readElementText(), QUrl::StrictMode))
                            .toLocalFile();
    ASSERT_FALSE(r.hasError());
    QStringList expected;
    for (const PlaylistEntry &e : entries) expected << e.path;
    EXPECT_EQ(resolved, expected);
}
