// Extended playlist writers: exact M3U8 bytes, relative paths, XSPF read
// back the way a player resolves it, and the atomic file overload.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <QXmlStreamReader>

#include "core/base/errors.h"
#include "core/playlist/playlistwriter.h"
#include "sjtest.h"

using namespace vorq;

namespace {

QByteArray render(PlaylistFormat format, const QList<PlaylistEntry> &entries,
                  const PlaylistOptions &options = {}) {
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(writeExtendedPlaylist(&buffer, format, entries, options));
    return buffer.data();
}

struct XspfTrack {
    QString location, title, creator;
};

QList<XspfTrack> readXspf(const QByteArray &xml) {
    QList<XspfTrack> tracks;
    QXmlStreamReader r(xml);
    while (r.readNextStartElement()) {
        if (r.name() == QLatin1String("playlist") || r.name() == QLatin1String("trackList")) continue;
        if (r.name() != QLatin1String("track")) {
            r.skipCurrentElement();
            continue;
        }
        XspfTrack t;
        while (r.readNextStartElement()) {
            const QString text = r.readElementText();
            if (r.name() == QLatin1String("location")) t.location = text;
            if (r.name() == QLatin1String("title")) t.title = text;
            if (r.name() == QLatin1String("creator")) t.creator = text;
        }
        tracks.append(t);
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    EXPECT_EQ(r.namespaceUri(), QLatin1String("http://xspf.org/ns/0/"));
    return tracks;
}

}  // namespace

TEST(PlaylistFormats, M3u8HasHeaderExtinfAndUtf8PathsWithTheChosenLineEnd) {
    const QList<PlaylistEntry> entries = {
        {u8("/music/日本語/歌.mp3"), u8("夜空"), u8("歌手"), -1},
        {u8("/music/Café.ogg"), u8("Déjà vu"), QString(), 215},
        {u8("/music/x.wav"), QString(), QString(), -1},
        {u8("http://www.vorq.example/a.mp3"), u8("two\r\nlines"), u8("A"), -1},
    };
    EXPECT_EQ(render(PlaylistFormat::M3u8, entries),
              QByteArray("#EXTM3U\n"
                         "#EXTINF:-1,歌手 - 夜空\n/music/日本語/歌.mp3\n"
                         "#EXTINF:215,Déjà vu\n/music/Café.ogg\n"
                         "#EXTINF:-1,x.wav\n/music/x.wav\n"
                         "#EXTINF:-1,A - two  lines\nhttp://www.vorq.example/a.mp3\n"));
    PlaylistOptions crlf;
    crlf.lineEnd = "\r\n";
    EXPECT_EQ(render(PlaylistFormat::M3u8, {entries.at(2)}, crlf),
              QByteArray("#EXTM3U\r\n#EXTINF:-1,x.wav\r\n/music/x.wav\r\n"));
}

TEST(PlaylistFormats, RelativePathsOnlyOnTheSameMediumAndNeverForAddresses) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("lists")));
    PlaylistOptions options;
    options.relativePaths = true;
    options.baseFolder = dir.filePath(QStringLiteral("lists"));
    // Files that do not exist yet count on the medium of their folder.
    EXPECT_EQ(playlistPath(dir.filePath(u8("曲/a.wav")), options), u8("../曲/a.wav"));
    EXPECT_EQ(playlistPath(dir.filePath(u8("lists/b.wav")), options), u8("b.wav"));
    // /proc is always a medium of its own.
    EXPECT_EQ(playlistPath(QStringLiteral("/proc/version"), options), QStringLiteral("/proc/version"));
    EXPECT_EQ(playlistPath(QStringLiteral("ftp://host/a.mp3"), options), QStringLiteral("ftp://host/a.mp3"));
    options.relativePaths = false;
    EXPECT_EQ(playlistPath(dir.filePath(u8("lists/b.wav")), options), dir.filePath(u8("lists/b.wav")));
    // A relative name that starts with "#" must not turn into a comment.
    options.relativePaths = true;
    EXPECT_EQ(
        render(PlaylistFormat::M3u8, {{dir.filePath(u8("lists/#1.wav")), u8("t"), QString(), -1}}, options),
        QByteArray("#EXTM3U\n#EXTINF:-1,t\n./#1.wav\n"));
}

TEST(PlaylistFormats, XspfLocationsResolveToTheFilesAndTextIsEscaped) {
    const QList<PlaylistEntry> entries = {
        {u8("/music/日本語 #1 100%.wav"), u8("Rock & <Roll>\x01"), u8("歌手"), -1},
        {u8("/music/Café.ogg"), u8("Déjà"), QString(), 3},
        {u8("http://www.vorq.example/a b.mp3"), QString(), u8("A"), -1},
    };
    const QList<XspfTrack> tracks = readXspf(render(PlaylistFormat::Xspf, entries));
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(QUrl(tracks[0].location, QUrl::StrictMode).toLocalFile(), entries[0].path);
    EXPECT_EQ(tracks[0].title, u8("Rock & <Roll> "));  // no control character breaks the XML
    EXPECT_EQ(tracks[0].creator, u8("歌手"));
    EXPECT_EQ(QUrl(tracks[1].location, QUrl::StrictMode).toLocalFile(), entries[1].path);
    EXPECT_TRUE(tracks[1].creator.isEmpty());
    EXPECT_EQ(tracks[2].location, QStringLiteral("http://www.vorq.example/a%20b.mp3"));
    for (const XspfTrack &t : tracks)
        for (QChar c : t.location)
            EXPECT_LT(c.unicode(), 0x80) << "location is a URI: " << t.location.toStdString();

    // Relative references resolve against the playlist's own URL.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    PlaylistOptions options;
    options.relativePaths = true;
    options.baseFolder = dir.path();
    const QString song = dir.filePath(u8("曲/a:b #2.wav"));
    const QList<XspfTrack> rel =
        readXspf(render(PlaylistFormat::Xspf, {{song, u8("t"), u8("a"), -1}}, options));
    ASSERT_EQ(rel.size(), 1);
    EXPECT_FALSE(rel[0].location.startsWith(QLatin1String("file:")));
    const QUrl playlistUrl = QUrl::fromLocalFile(dir.filePath(QStringLiteral("list.xspf")));
    EXPECT_EQ(playlistUrl.resolved(QUrl(rel[0].location, QUrl::StrictMode)).toLocalFile(), song);
}

TEST(PlaylistFormats, SaveIsAtomicAndRefusesWhatTheFormatCannotHold) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("list.m3u8"));
    PlaylistOptions relative;
    relative.relativePaths = true;
    saveExtendedPlaylist(file, PlaylistFormat::M3u8,
                         {{dir.filePath(QStringLiteral("a.wav")), u8("t"), u8("a"), -1}}, relative);
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    EXPECT_EQ(good, QByteArray("#EXTM3U\n#EXTINF:-1,a - t\na.wav\n"));

    EXPECT_THROW(
        saveExtendedPlaylist(file, PlaylistFormat::M3u8, {{QStringLiteral("/x\ny.wav"), {}, {}, -1}}, {}),
        FileError);
    EXPECT_THROW(
        saveExtendedPlaylist(dir.filePath(QStringLiteral("no/such/list.xspf")), PlaylistFormat::Xspf, {}, {}),
        FileError);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), good);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("list.m3u8")});
}
