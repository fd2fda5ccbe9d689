#pragma once
// Reading title, artist and length from music files. The scanner sees only
// the TagReader interface, so tests count the files it opens and the core's
// rules do not depend on the tag library.
#include <QByteArray>
#include <QString>
#include <optional>

namespace vorq {

struct FileTags {
    QString title;    // empty: the file has no title tag
    QString artist;   // empty: no artist tag
    QString album;    // empty: no album tag
    int seconds = 0;  // 0: unknown
    friend bool operator==(const FileTags &, const FileTags &) = default;
};

class TagReader {
public:
    virtual ~TagReader() = default;
    // The tags of one file; nullopt when the reader finds no audio in it
    // (not a music file, or one it cannot open).
    virtual std::optional<FileTags> read(const QString &path) = 0;
};

// The reader over TagLib (MP3 with ID3v1/ID3v2, FLAC, Ogg Vorbis/Opus, M4A,
// WAV). Installs the legacy-text handlers below into TagLib once.
class TagLibReader : public TagReader {
public:
    TagLibReader();
    std::optional<FileTags> read(const QString &path) override;
};

// Text of a tag field stored as "Latin-1" (ID3v1, ID3v2 encoding 0, RIFF
// INFO). Japanese tools wrote Shift-JIS (sometimes EUC-JP) there: when our
// detector says so and the bytes decode cleanly to Japanese text, that is
// the reading; otherwise Latin-1. Cut at the first NUL, spaces trimmed; a
// Shift-JIS lead byte left alone at the end (ID3v1's 30 bytes cut a
// character in two) is dropped.
QString decodeLegacyTagText(const QByteArray &bytes);

}  // namespace vorq
