#include "core/library/songmatch.h"

#include <QSet>
#include <algorithm>
#include <cmath>

#include "core/library/wanted.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

constexpr double kTitleWeight = 0.6, kArtistWeight = 0.3, kExtraWeight = 0.1;
// A file needs a bigram overlap (Dice) of 0.3 with the song's title before
// it is scored at all: well under what a title at the lowest useful score
// still shares.
constexpr qsizetype kShortTitle = 6;
constexpr qsizetype kCandidates = 100;

// The ceilings that keep a proposal below the default threshold, each for
// its note; the more doubtful, the lower.
constexpr double kTitleDiffersCeiling = 0.79, kPartialArtistCeiling = 0.75, kVariantCeiling = 0.69,
                 kUnknownArtistCeiling = 0.69, kOtherArtistCeiling = 0.59, kOtherNumberCeiling = 0.45;
// Titles less alike than this are not trusted without a look.
constexpr double kCloseTitle = 0.85;

void bigramsOf(const QString &core, QList<quint32> *out) {
    out->clear();
    if (core.size() == 1) out->push_back((quint32(core[0].unicode()) << 16) | 0xFFFFu);
    for (qsizetype i = 0; i + 1 < core.size(); ++i)
        out->push_back((quint32(core[i].unicode()) << 16) | core[i + 1].unicode());
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
}

enum class ArtistRelation { Equal, Near, Subset, Overlap, Other, Unknown };

// Two artists as sets of names: equal; near (every name spelt almost
// alike); one set inside the other (a featured name left out); sharing a
// name; or another artist. *similarity is for the score.
ArtistRelation compareArtists(const SongText &song, const SongText &file, double *similarity) {
    const QStringList &a = song.names, &b = file.names;
    if (b.isEmpty() && file.unknownArtist) {
        *similarity = 0;
        return ArtistRelation::Unknown;
    }
    if (a == b) {
        *similarity = 1;
        return ArtistRelation::Equal;
    }
    if (a.isEmpty() || b.isEmpty()) {
        *similarity = 0;
        return ArtistRelation::Other;
    }
    qsizetype shared = 0;
    for (const QString &n : a) shared += b.contains(n) ? 1 : 0;
    // A file without the featured name ("A feat. B" tagged "A") is the
    // song; "B" alone, or a file with more names than the chart's, is a
    // recording of its own.
    if (shared == b.size() && !song.mainName.isEmpty() && song.mainName == file.mainName) {
        *similarity = 0.85;
        return ArtistRelation::Subset;
    }
    if (shared > 0) {
        *similarity = 0.7;
        return ArtistRelation::Overlap;
    }
    // Spelling noise: each name close to one of the other side. Short names
    // and Japanese names differ by one character between two people
    // ("中村真央", "中村由美"), so they must be longer and closer.
    double sum = 0;
    bool near = a.size() == b.size();
    for (const QString &x : a) {
        double best = 0;
        const QString *closest = nullptr;
        for (const QString &y : b)
            if (const double s = textSimilarity(x, y); s > best) best = s, closest = &y;
        sum += best;
        if (!closest) {
            near = false;
            continue;
        }
        const bool wide = std::any_of(x.cbegin(), x.cend(), [](QChar c) { return c.unicode() >= 0x80; });
        const qsizetype shorter = std::min(x.size(), closest->size());
        if (shorter < 5 || best < (wide ? 0.9 : 0.8)) near = false;
    }
    *similarity = sum / double(a.size());
    return near ? ArtistRelation::Near : ArtistRelation::Other;
}

// Whether two texts differ in a character beyond ASCII: one kanji or kana
// is a word, so "旅★Journey" and "道★Journey" are two songs, while a letter
// more or less in "Shinny Day" is a slip.
bool differInWideCharacter(const QString &a, const QString &b) {
    qsizetype head = 0;
    while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
    qsizetype tail = 0;
    while (tail < a.size() - head && tail < b.size() - head &&
           a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
        ++tail;
    auto wide = [](QStringView v) {
        return std::any_of(v.begin(), v.end(), [](QChar c) { return c.unicode() >= 0x80; });
    };
    return wide(QStringView(a).mid(head, a.size() - head - tail)) ||
           wide(QStringView(b).mid(head, b.size() - head - tail));
}

// Below a ceiling, in order: the better the texts agree, the nearer the
// ceiling, so the best of several doubtful files still comes first.
double underCeiling(double score, double ceiling) {
    return std::min(score, std::max(0.0, ceiling - 0.1 * (1.0 - score)));
}

}  // namespace

double textSimilarity(const QString &a, const QString &b) {
    const qsizetype n = a.size(), m = b.size();
    if (n == 0 && m == 0) return 1.0;
    if (n == 0 || m == 0) return 0.0;
    if (a == b) return 1.0;
    // One row of the edit-distance table; texts are short.
    QVarLengthArray<int, 64> row(m + 1);
    for (qsizetype j = 0; j <= m; ++j) row[j] = int(j);
    for (qsizetype i = 1; i <= n; ++i) {
        int diagonal = row[0];
        row[0] = int(i);
        for (qsizetype j = 1; j <= m; ++j) {
            const int up = row[j];
            row[j] = std::min({up + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = up;
        }
    }
    return 1.0 - double(row[m]) / double(std::max(n, m));
}

MatchVerdict judgeMatch(const SongText &song, const SongText &file) {
    return judgeMatch(song, file, textSimilarity(song.core, file.core));
}

MatchVerdict judgeMatch(const SongText &song, const SongText &file, double titleSimilarity) {
    // The fields of the exact key, compared without building it.
    if (song.core == file.core && song.subtitles == file.subtitles && song.variants == file.variants &&
        song.neutral == file.neutral && song.names == file.names && song.unknownArtist == file.unknownArtist)
        return {1.0, true, MatchNote::None};
    double t = titleSimilarity;
    // ID3v1 keeps 30 bytes: a title cut there is the start of the chart's.
    const bool cut = file.mayBeCut && file.core.size() >= 4 && song.core.startsWith(file.core);
    if (cut) t = std::max(t, 0.95);
    const bool closeTitle =
        t >= 1.0 || cut || (t >= kCloseTitle && !differInWideCharacter(song.core, file.core));
    double extra = 1;
    if (song.subtitles != file.subtitles)
        extra = song.subtitles.isEmpty() || file.subtitles.isEmpty()
                    ? 0.8
                    : textSimilarity(song.subtitles.join(u' '), file.subtitles.join(u' '));
    if (song.neutral != file.neutral) extra *= 0.8;
    double a = 0;
    const ArtistRelation relation = compareArtists(song, file, &a);
    MatchVerdict v;
    v.score = std::min(kTitleWeight * t + kArtistWeight * a + kExtraWeight * extra, 0.999);
    double ceiling = 1;
    auto hold = [&](bool when, double limit, MatchNote note) {
        if (when && limit < ceiling) ceiling = limit, v.note = note;
    };
    hold(song.numbers != file.numbers, kOtherNumberCeiling, MatchNote::OtherNumber);
    hold(relation == ArtistRelation::Other, kOtherArtistCeiling, MatchNote::OtherArtist);
    hold(relation == ArtistRelation::Unknown, kUnknownArtistCeiling, MatchNote::UnknownArtist);
    hold(song.variants != file.variants, kVariantCeiling, MatchNote::Variant);
    hold(relation == ArtistRelation::Overlap, kPartialArtistCeiling, MatchNote::PartialArtist);
    hold(!closeTitle, kTitleDiffersCeiling, MatchNote::TitleDiffers);
    if (ceiling < 1) v.score = underCeiling(v.score, ceiling);
    return v;
}

QList<SongText> fileReadings(const LibraryFile &file) {
    QList<SongText> out;
    auto add = [&](const QString &title, const QString &artist, bool tagTitle) {
        SongText t = songText(title, artist);
        if (t.core.isEmpty()) return;
        t.mayBeCut = tagTitle && file.titleMayBeCut;
        for (const QString &m : file.versionMarkers)
            if (!t.variants.contains(m)) t.variants << m;
        std::sort(t.variants.begin(), t.variants.end());
        if (!file.versionPlace.isEmpty())
            t.variantText += (t.variantText.isEmpty() ? QString() : QStringLiteral(", ")) + file.versionPlace;
        out.push_back(std::move(t));
    };
    add(file.title, file.artist, file.fromTags);
    const bool compilation = !out.isEmpty() && out.constFirst().unknownArtist;
    if (file.fromTags) {
        // A ripper's title: "03 - title", "03 title", "artist - title".
        qsizetype digits = 0;
        while (digits < file.title.size() && digits < 4 && file.title[digits].isDigit()) ++digits;
        if (digits > 0 && digits < 4) {
            qsizetype after = digits;
            while (after < file.title.size() && (file.title[after].isSpace() || file.title[after] == u'-' ||
                                                 file.title[after] == u'.' || file.title[after] == u'_'))
                ++after;
            if (after > digits && after < file.title.size()) add(file.title.mid(after), file.artist, true);
        }
        if (const qsizetype dash = file.title.indexOf(QStringLiteral(" - ")); dash > 0)
            if (foldForMatch(file.title.left(dash).toCaseFolded()) ==
                foldForMatch(file.artist.toCaseFolded()))
                add(file.title.mid(dash + 3), file.artist, true);
    }
    // A compilation's artist is inside its title.
    if (compilation)
        for (const auto &[title, artist] : compilationReadings(file.title)) add(title, artist, false);
    for (const TextReading &r : file.otherReadings) add(r.title, r.artist, false);
    return out;
}

QString matchNoteText(MatchNote note) {
    switch (note) {
        case MatchNote::None: return {};
        case MatchNote::Variant: return QStringLiteral("版違い");
        case MatchNote::PartialArtist: return QStringLiteral("共演者が違う");
        case MatchNote::TitleDiffers: return QStringLiteral("曲名が違う");
        case MatchNote::UnknownArtist: return QStringLiteral("アーティスト不明");
        case MatchNote::OtherArtist: return QStringLiteral("別のアーティスト");
        case MatchNote::OtherNumber: return QStringLiteral("番号が違う (別の曲)");
        case MatchNote::SureForOther: return QStringLiteral("別の曲に確実に一致");
    }
    return {};
}

QString matchNoteKey(MatchNote note) {
    switch (note) {
        case MatchNote::None: return {};
        case MatchNote::Variant: return QStringLiteral("variant");
        case MatchNote::PartialArtist: return QStringLiteral("partial_artist");
        case MatchNote::TitleDiffers: return QStringLiteral("title_differs");
        case MatchNote::UnknownArtist: return QStringLiteral("unknown_artist");
        case MatchNote::OtherArtist: return QStringLiteral("other_artist");
        case MatchNote::OtherNumber: return QStringLiteral("other_number");
        case MatchNote::SureForOther: return QStringLiteral("sure_for_other_song");
    }
    return {};
}

LibraryMatcher::LibraryMatcher(const QList<LibraryFile> &files) {
    QList<quint32> grams, artistGrams;
    for (qsizetype f = 0; f < files.size(); ++f) {
        m_fileReadings.push_back(qint32(m_readings.size()));
        for (SongText &text : fileReadings(files[f])) {
            Reading r;
            r.file = qint32(f);
            r.key = text.exactKey();
            bigramsOf(text.core, &grams);
            m_gramCounts.push_back(qint32(grams.size()));
            m_coreLength.push_back(qint32(text.core.size()));
            m_mayBeCut.push_back(text.mayBeCut);
            bigramsOf(text.names.join(QString()), &artistGrams);
            m_artistGramStart.push_back(qint32(m_artistGrams.size()));
            m_artistGrams.insert(m_artistGrams.end(), artistGrams.cbegin(), artistGrams.cend());
            const qint32 id = qint32(m_readings.size());
            m_exact[r.key].push_back(id);
            for (quint32 g : grams) m_byBigram[g].push_back(id);
            // A one-character song title reaches short titles holding its
            // character ("星" and "星空"); longer ones score too low anyway.
            if (text.core.size() > 1 && text.core.size() <= kShortTitle) {
                QList<quint32> chars;
                for (QChar c : text.core) chars.push_back((quint32(c.unicode()) << 16) | 0xFFFFu);
                std::sort(chars.begin(), chars.end());
                chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
                for (quint32 g : chars) m_byBigram[g].push_back(id);
            }
            r.text = std::move(text);
            m_readings.push_back(std::move(r));
        }
    }
    m_fileReadings.push_back(qint32(m_readings.size()));
    m_artistGramStart.push_back(qint32(m_artistGrams.size()));
    m_counts.assign(m_readings.size(), 0);
}

QList<MatchProposal> LibraryMatcher::match(const SongKey &key, double minScore) const {
    return matchText(key, songText(sjis::toUnicode(key.title), sjis::toUnicode(key.artist)), minScore);
}

QList<MatchProposal> LibraryMatcher::matchText(const SongKey &key, const SongText &song,
                                               double minScore) const {
    QList<MatchProposal> best;
    if (song.core.isEmpty()) return best;
    // An exact match is the best there is: no search.
    if (auto it = m_exact.constFind(song.exactKey()); it != m_exact.constEnd()) {
        for (qint32 r : *it) {
            const qint32 f = m_readings[r].file;
            if (best.isEmpty() || best.back().file != f)
                best.push_back({key, f, 1.0, true, MatchNote::None, m_readings[r].text.variantText});
        }
        return best;
    }
    QList<quint32> grams;
    bigramsOf(song.core, &grams);
    std::vector<qint32> &touched = m_touched;
    touched.clear();
    qint32 *counts = m_counts.data();  // the hot loop: no reload through this
    for (quint32 g : grams) {
        auto it = m_byBigram.constFind(g);
        if (it == m_byBigram.constEnd()) continue;
        for (qint32 r : *it)
            if (counts[r]++ == 0) touched.push_back(r);
    }
    double bestScore = minScore;
    QHash<qint32, qsizetype> bestOfFile;  // file -> its place in best
    auto consider = [&](qint32 id) {
        // Bounds first: the edit distance is the cost here, and most
        // candidates cannot beat the best already found.
        const qsizetype length = m_coreLength[id], longer = std::max(length, song.core.size());
        const double titleBound =
            m_mayBeCut[id] || !longer ? 1.0 : double(std::min(length, song.core.size())) / double(longer);
        if (kTitleWeight * titleBound + kArtistWeight + kExtraWeight < bestScore - 1e-9) return;
        const Reading &x = m_readings[id];
        const double t = textSimilarity(song.core, x.text.core);
        // What judging could give at most: the weights, and the ceilings
        // that cheap comparisons already show.
        double bound = x.text.mayBeCut ? 1.0 : kTitleWeight * t + kArtistWeight + kExtraWeight;
        if (t < kCloseTitle && !x.text.mayBeCut) bound = std::min(bound, kTitleDiffersCeiling);
        if (song.variants != x.text.variants) bound = std::min(bound, kVariantCeiling);
        if (song.numbers != x.text.numbers) bound = std::min(bound, kOtherNumberCeiling);
        if (bound < bestScore - 1e-9) return;
        const MatchVerdict v = judgeMatch(song, x.text, t);
        if (v.score < bestScore - 1e-9) return;
        if (v.score > bestScore + 1e-9) {
            best.clear();
            bestOfFile.clear();
        }
        bestScore = std::max(bestScore, v.score);
        if (bestOfFile.contains(x.file)) return;
        bestOfFile.insert(x.file, best.size());
        best.push_back({key, x.file, v.score, v.sure, v.note, x.text.variantText});
    };
    QList<std::pair<double, qint32>> candidates;
    QList<quint32> artistGrams;
    bigramsOf(song.names.join(QString()), &artistGrams);
    const qint32 songGrams = qint32(grams.size());
    const bool anyOverlap = song.core.size() == 1;
    for (qint32 r : touched) {
        const qint32 shared = counts[r], total = songGrams + m_gramCounts[r];
        counts[r] = 0;
        // Dice >= 0.3 without a division: 20 * shared >= 3 * total.
        if (anyOverlap || 20 * shared >= 3 * total) candidates.push_back({2.0 * shared / double(total), r});
    }
    auto byOverlap = [](const auto &a, const auto &b) { return a.first > b.first; };
    // The artist overlap only for the best titles: with many similar titles
    // it would otherwise be most of the work.
    if (candidates.size() > 4 * kCandidates) {
        std::nth_element(candidates.begin(), candidates.begin() + 4 * kCandidates, candidates.end(),
                         byOverlap);
        candidates.resize(4 * kCandidates);
    }
    // Few enough candidates are all scored; the artist overlap only chooses.
    for (auto &c : candidates) {
        if (candidates.size() <= kCandidates) break;
        const quint32 *b = m_artistGrams.data() + m_artistGramStart[c.second],
                      *bEnd = m_artistGrams.data() + m_artistGramStart[c.second + 1];
        qsizetype shared = 0;
        for (auto a = artistGrams.cbegin(); a != artistGrams.cend() && b != bEnd;) {
            if (*a < *b)
                ++a;
            else if (*b < *a)
                ++b;
            else
                ++shared, ++a, ++b;
        }
        const qsizetype artistTotal =
            artistGrams.size() + m_artistGramStart[c.second + 1] - m_artistGramStart[c.second];
        c.first =
            kTitleWeight * c.first + kArtistWeight * (artistTotal ? 2.0 * shared / double(artistTotal) : 1.0);
    }
    // Only the most overlapping candidates are scored: in a library of
    // many similar titles the rest cannot come close.
    if (candidates.size() > kCandidates) {
        std::nth_element(candidates.begin(), candidates.begin() + kCandidates, candidates.end(), byOverlap);
        candidates.resize(kCandidates);
    }
    // Best overlap first, so the bounds prune early; ties by reading for a
    // stable result.
    std::sort(candidates.begin(), candidates.end(), [](const auto &a, const auto &b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    for (const auto &c : candidates) consider(c.second);
    std::sort(best.begin(), best.end(),
              [](const MatchProposal &a, const MatchProposal &b) { return a.file < b.file; });
    return best;
}

QList<MatchProposal> LibraryMatcher::matchAll(const QList<SongKey> &songs, double minScore) const {
    QList<MatchProposal> out;
    QHash<QString, SongKey> songOfKey;
    for (const SongKey &s : songs) {
        const SongText text = songText(sjis::toUnicode(s.title), sjis::toUnicode(s.artist));
        songOfKey.insert(text.exactKey(), s);
        out += matchText(s, text, minScore);
    }
    // A file that is exactly another of the songs is that song's.
    for (MatchProposal &p : out) {
        if (p.sure) continue;
        for (qint32 r = m_fileReadings[p.file]; r < m_fileReadings[p.file + 1]; ++r) {
            const auto it = songOfKey.constFind(m_readings[r].key);
            if (it == songOfKey.constEnd() || *it == p.song) continue;
            p.score = underCeiling(p.score, kTitleDiffersCeiling);
            p.note = MatchNote::SureForOther;
            break;
        }
    }
    out.removeIf([&](const MatchProposal &p) { return p.score < minScore - 1e-9; });
    std::stable_sort(out.begin(), out.end(), [](const MatchProposal &a, const MatchProposal &b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.song.title != b.song.title) return a.song.title < b.song.title;
        return a.song.artist < b.song.artist;
    });
    return out;
}

QList<MatchProposal> proposalsToApply(const QList<MatchProposal> &proposals, double threshold) {
    QList<MatchProposal> out;
    QSet<SongKey> taken;
    for (const MatchProposal &p : proposals) {
        if (p.score < threshold - 1e-9 || taken.contains(p.song)) continue;
        taken.insert(p.song);
        out.push_back(p);
    }
    return out;
}

QList<SongKey> songsWithoutFile(const QList<ChartTab> &tabs) {
    const QHash<SongKey, bool> owned = songOwnership(tabs);
    QList<SongKey> out;
    QSet<SongKey> listed;
    for (const ChartTab &tab : tabs)
        for (const ChartEntry &e : tab.rows) {
            const SongKey key{e.title, e.artist};
            if (!owned.value(key) && !listed.contains(key)) {
                listed.insert(key);
                out.push_back(key);
            }
        }
    return out;
}

QList<AssociationChange> applyProposals(QList<ChartTab> &tabs, const QList<MatchProposal> &accepted,
                                        const QList<LibraryFile> &files) {
    QList<AssociationChange> changes;
    QSet<SongKey> done;
    for (const MatchProposal &p : accepted) {
        if (p.file < 0 || p.file >= files.size() || done.contains(p.song)) continue;
        const QByteArray &stored = files[p.file].storedPath;
        if (stored.isEmpty()) continue;
        done.insert(p.song);
        for (const RowRef &r : sameSongRows(tabs, p.song.title, p.song.artist)) {
            ChartEntry &row = tabs[r.tab].rows[r.row];
            // sameSongRows reads "*" as any: only the song itself is set.
            if (row.title != p.song.title || row.artist != p.song.artist || row.file == stored) continue;
            changes.push_back({r, row.file, stored});
            row.file = stored;
        }
    }
    return changes;
}

QHash<SongKey, int> songsOnlyLeftOut(const QList<SongKey> &songs, const ScanResult &scan, double threshold) {
    QHash<SongKey, int> out;
    if (scan.leftOut.isEmpty()) return out;
    QList<LibraryFile> leftOut;
    leftOut.reserve(scan.leftOut.size());
    for (const LeftOutFile &l : scan.leftOut) leftOut.push_back(l.file);
    const LibraryMatcher real(scan.files), excluded(leftOut);
    for (const SongKey &song : songs) {
        if (!real.match(song, threshold).isEmpty()) continue;
        const QList<MatchProposal> best = excluded.match(song, threshold);
        if (!best.isEmpty()) out.insert(song, best.first().file);
    }
    return out;
}

}  // namespace vorq
