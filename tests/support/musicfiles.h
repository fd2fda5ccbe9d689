#pragma once
// Music files for library tests, benchmarks and the library generator: a
// few silent MPEG frames or a FLAC stream header, tags written by TagLib,
// or a raw ID3v1 tag in bytes given as they are.
#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

namespace vorq::test {

// MPEG-1 Layer III, 128 kbit/s, 44.1 kHz: 417-byte frames, about 0.5 s.
inline bool writeSilentMp3(const QString &path, int frames = 20) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray frame(417, '\0');
    frame[0] = char(0xFF), frame[1] = char(0xFB), frame[2] = char(0x90), frame[3] = char(0x64);
    for (int i = 0; i < frames; ++i) f.write(frame);
    return true;
}

// A FLAC stream of three seconds: its STREAMINFO block and no frames.
inline bool writeSilentFlac(const QString &path) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) return false;
    QByteArray info("fLaC\x80\x00\x00\x22", 8);
    info += QByteArray("\x10\x00\x10\x00", 4) + QByteArray(6, '\0');  // block sizes, frame sizes
    const quint64 fields =
        (quint64(44100) << 44) | (quint64(1) << 41) | (quint64(15) << 36) | quint64(3 * 44100);
    for (int shift = 56; shift >= 0; shift -= 8) info += char((fields >> shift) & 0xFF);
    info += QByteArray(16, '\0');  // MD5
    return f.write(info) == info.size();
}

// Tags written by TagLib into a file already there.
inline bool writeTags(const QString &path, const QString &title, const QString &artist,
                      const QString &album = QString()) {
    TagLib::FileRef ref(QFile::encodeName(path).constData());
    if (ref.isNull()) return false;
    ref.tag()->setTitle(TagLib::String(title.toStdWString()));
    ref.tag()->setArtist(TagLib::String(artist.toStdWString()));
    if (!album.isEmpty()) ref.tag()->setAlbum(TagLib::String(album.toStdWString()));
    return ref.save();
}

inline bool writeTaggedMp3(const QString &path, const QString &title, const QString &artist) {
    return writeSilentMp3(path) && writeTags(path, title, artist);
}

// An ID3v1 tag whose fields hold these bytes as they are (Shift-JIS from a
// Japanese tool, say).
inline bool appendRawId3v1(const QString &path, const QByteArray &title, const QByteArray &artist) {
    QFile f(path);
    if (!f.open(QIODevice::Append)) return false;
    QByteArray tag = "TAG";
    tag += title.left(30).leftJustified(30, '\0');
    tag += artist.left(30).leftJustified(30, '\0');
    tag += QByteArray(30 + 4 + 30, '\0');
    tag += char(255);
    return f.write(tag) == 128;
}

}  // namespace vorq::test
