// TagLib behind the TagReader interface; the only file of the core that
// includes TagLib.
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tag.h>

#include <QFile>
#include <mutex>

#include "core/library/tagreader.h"
#include "core/text/jconvert.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

bool isJapaneseChar(char32_t c) {
    return (c >= 0x3000 && c <= 0x30FF) ||  // CJK punctuation, kana
           (c >= 0x3400 && c <= 0x9FFF) ||  // ideographs
           (c >= 0xFF00 && c <= 0xFFEF) ||  // full-width and half-width forms
           (c >= 0x2010 && c <= 0x266F) ||  // dashes, quotes, symbols of JIS X 0208
           (c >= 0x0391 && c <= 0x0451) ||  // Greek and Cyrillic rows
           c == 0x00A7 || c == 0x00A8 || c == 0x00B0 || c == 0x00B1 || c == 0x00B4 || c == 0x00B6 ||
           c == 0x00D7 || c == 0x00F7;
}

// The Japanese reading of bytes when it is clean: no replacement character
// and every non-ASCII character one that Japanese text holds. Latin-1 text
// such as "Müller" can look like EUC-JP to the detector; this keeps it.
std::optional<QString> japaneseReading(const QByteArray &bytes) {
    const int kind = DetectCodeKind(bytes);
    QByteArray sjisBytes;
    if (kind == CodeSjis || kind == CodeEucOrSjis)
        sjisBytes = bytes;
    else if (kind == CodeEuc || kind == CodeJis || kind == CodeJis78)
        sjisBytes = ConvertJapanese(bytes, CodeSjis);
    else
        return std::nullopt;
    const QString text = sjis::toUnicode(sjisBytes);
    bool japanese = false;
    for (char32_t c : text.toUcs4()) {
        if (c < 0x80) continue;
        if (c == 0xFFFD || !isJapaneseChar(c)) return std::nullopt;
        japanese = true;
    }
    if (!japanese) return std::nullopt;
    return text;
}

QByteArray toBytes(const TagLib::ByteVector &v) { return QByteArray(v.data(), int(v.size())); }

class Id3v1Handler : public TagLib::ID3v1::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override {
        return TagLib::String(decodeLegacyTagText(toBytes(data)).toStdWString());
    }
};

class Id3v2Handler : public TagLib::ID3v2::Latin1StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override {
        return TagLib::String(decodeLegacyTagText(toBytes(data)).toStdWString());
    }
};

class InfoHandler : public TagLib::RIFF::Info::StringHandler {
public:
    TagLib::String parse(const TagLib::ByteVector &data) const override {
        return TagLib::String(decodeLegacyTagText(toBytes(data)).toStdWString());
    }
};

QString fromTagLib(const TagLib::String &s) { return QString::fromStdWString(s.toWString()).trimmed(); }

}  // namespace

QString decodeLegacyTagText(const QByteArray &raw) {
    QByteArray bytes = raw;
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) bytes.truncate(nul);
    bytes = bytes.trimmed();
    if (auto japanese = japaneseReading(bytes)) return *japanese;
    return QString::fromLatin1(bytes);
}

TagLibReader::TagLibReader() {
    // TagLib keeps these handlers in globals; they are installed once and
    // live as long as the program.
    static std::once_flag once;
    std::call_once(once, [] {
        TagLib::ID3v1::Tag::setStringHandler(new Id3v1Handler);
        TagLib::ID3v2::Tag::setLatin1StringHandler(new Id3v2Handler);
        TagLib::RIFF::Info::Tag::setStringHandler(new InfoHandler);
    });
}

std::optional<FileTags> TagLibReader::read(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Fast);
    if (ref.isNull()) return std::nullopt;
    FileTags tags;
    if (TagLib::Tag *tag = ref.tag()) {
        tags.title = fromTagLib(tag->title());
        tags.artist = fromTagLib(tag->artist());
    }
    if (TagLib::AudioProperties *audio = ref.audioProperties()) tags.seconds = audio->lengthInSeconds();
    return tags;
}

}  // namespace vorq
