// Tag texts, file names and chart texts come from others: any bytes decode
// as a legacy tag text without harm, and any texts go through the matching
// rules keeping their promises: a text is its own sure match, a score stays
// within 0..1 and is 1 only when sure, the load's rules applied twice change
// nothing more, and a file is matched through all its readings.
// Input: a tag field's bytes, a line feed, an artist in UTF-8.
#include <cstdint>
#include <cstdlib>

#include "core/library/libraryscan.h"
#include "core/library/matchtext.h"
#include "core/library/songmatch.h"
#include "core/library/tagreader.h"
#include "core/text/sjistext.h"

using namespace vorq;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const qsizetype cut = bytes.indexOf('\n');
    const QString title = decodeLegacyTagText(bytes.left(cut < 0 ? 64 : std::min<qsizetype>(cut, 64)));
    const QString artist = cut < 0 ? QString() : QString::fromUtf8(bytes.mid(cut + 1, 256));

    const SongText x = songText(title, artist), y = songText(artist, title);
    const MatchVerdict self = judgeMatch(x, x);
    if (!self.sure || self.score != 1.0) std::abort();
    for (const MatchVerdict &v : {judgeMatch(x, y), judgeMatch(y, x)})
        if (v.score < 0 || v.score > 1 || (v.score == 1.0) != v.sure) std::abort();
    if (loadArtistRule(loadArtistRule(artist)) != loadArtistRule(artist)) std::abort();
    if (loadTitleRule(loadTitleRule(title)) != loadTitleRule(title)) std::abort();
    versionMarkerOf(title);
    folderVersionMarkers(artist);

    LibraryFile file;
    file.path = QStringLiteral("/m/") + artist.left(40).remove(u'/') + QStringLiteral("/") +
                title.left(40).remove(u'/') + QStringLiteral(".mp3");
    file.storedPath = "/m/f.mp3";
    file.title = title;
    file.artist = artist;
    file.fromTags = true;
    file.titleMayBeCut = size % 2;
    file.otherReadings = fileNameReadings(file.path);
    const LibraryMatcher matcher({file});
    QByteArray sjisTitle, sjisArtist;
    if (sjis::tryFromUnicode(title, &sjisTitle) && sjis::tryFromUnicode(artist, &sjisArtist))
        for (const MatchProposal &p : matcher.matchAll({{sjisTitle, sjisArtist}, {sjisArtist, sjisTitle}}, 0))
            if (p.file != 0 || p.score < 0 || p.score > 1) std::abort();
    return 0;
}
