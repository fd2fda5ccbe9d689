// TagLib behind the TagReader interface; the only file of the core that
// includes TagLib.
#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2tag.h>
#include <taglib/infotag.h>
#include <taglib/tag.h>

#include <QFile>
#include <algorithm>
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
    bool japanese = false, wide = false;
    int kanaRun = 0, longestKanaRun = 0;
    for (char32_t c : text.toUcs4()) {
        const bool halfWidthKana = c >= 0xFF61 && c <= 0xFF9F;
        kanaRun = halfWidthKana ? kanaRun + 1 : 0;
        longestKanaRun = std::max(longestKanaRun, kanaRun);
        if (c < 0x80) continue;
        if (c == 0xFFFD || !isJapaneseChar(c)) return std::nullopt;
        japanese = true;
        wide = wide || !halfWidthKana;
    }
    if (!japanese) return std::nullopt;
    // One high byte among Latin letters ("Mr.A×B", "Über") is Latin-1; as
    // Shift-JIS it would be a lone half-width kana. Kana-only tags are words.
    if (!wide && longestKanaRun < 2) return std::nullopt;
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
    if (!bytes.isEmpty() && sjis::charLength(bytes, bytes.size() - 1) == 1 &&
        sjis::isLeadByte(static_cast<unsigned char>(bytes.back()))) {
        // Is the last byte the first half of a character? Only when the
        // bytes before it are Shift-JIS on character boundaries.
        qsizetype i = 0;
        while (i < bytes.size() - 1) i += sjis::charLength(bytes, i);
        if (i == bytes.size() - 1)
            if (auto japanese = japaneseReading(bytes.left(bytes.size() - 1))) return *japanese;
    }
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
    // A file without audio (text, an image, a broken download named .mp3)
    // is no music, whatever its tags say. A very short file still has its
    // sample rate.
    TagLib::AudioProperties *audio = ref.audioProperties();
    if (!audio || (audio->sampleRate() <= 0 && audio->lengthInMilliseconds() <= 0)) return std::nullopt;
    tags.seconds = audio->lengthInSeconds();
    if (TagLib::Tag *tag = ref.tag()) {
        tags.title = fromTagLib(tag->title());
        tags.artist = fromTagLib(tag->artist());
        tags.album = fromTagLib(tag->album());
    }
    return tags;
}

}  // namespace vorq
