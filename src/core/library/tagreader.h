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
    int seconds = 0;  // 0: unknown
    friend bool operator==(const FileTags &, const FileTags &) = default;
};

class TagReader {
public:
    virtual ~TagReader() = default;
    // The tags of one file; nullopt when it is not a music file the reader
    // understands (then the scanner falls back to the file's name).
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
// the reading; otherwise Latin-1. Cut at the first NUL, spaces trimmed.
QString decodeLegacyTagText(const QByteArray &bytes);

}  // namespace vorq
