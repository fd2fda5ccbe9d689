#include "core/library/songmatch.h"

#include <QRegularExpression>
#include <algorithm>
#include <cmath>

#include "core/library/wanted.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

constexpr double kTitleWeight = 0.6, kArtistWeight = 0.3, kExtraWeight = 0.1;
// Bigram overlap (Dice) a file needs before it is scored at all: well under
// what a title at the lowest useful score still shares.
constexpr double kMinOverlap = 0.3;
constexpr qsizetype kShortTitle = 6;
constexpr qsizetype kCandidates = 100;

QString exactKey(const MatchText &title, const MatchText &artist) {
    return title.core + u'\x1f' + title.extra + u'\x1f' + artist.core + u'\x1f' + artist.extra;
}

QString fold(const QString &s) {
    QString out;
    out.reserve(s.size());
    for (QChar c : s)
        if (c.isLetterOrNumber() || c.isMark()) out += c;
    return out;
}

// A set-aside part without its "feat." word: "(feat. X)" and "feat. X"
// compare as X.
QString foldExtra(QString piece) {
    static const QRegularExpression keyword(QStringLiteral("^\\s*(feat\\.?|ft\\.|featuring|with)\\s+"));
    piece.remove(keyword);
    return fold(piece);
}

int closingFor(QChar open) {
    switch (open.unicode()) {
        case u'(': return u')';
        case u'[': return u']';
        case u'{': return u'}';
        case u'【': return u'】';
        case u'〔': return u'〕';
        case u'〈': return u'〉';
        case u'《': return u'》';
        default: return 0;
    }
}

bool isWave(QChar c) { return c == u'~' || c == u'〜'; }

void bigramsOf(const QString &core, QList<quint32> *out) {
    out->clear();
    if (core.size() == 1) out->push_back((quint32(core[0].unicode()) << 16) | 0xFFFFu);
    for (qsizetype i = 0; i + 1 < core.size(); ++i)
        out->push_back((quint32(core[i].unicode()) << 16) | core[i + 1].unicode());
    std::sort(out->begin(), out->end());
    out->erase(std::unique(out->begin(), out->end()), out->end());
}

}  // namespace

MatchText normalizeForMatch(const QString &text, bool isArtist) {
    const QString s = text.normalized(QString::NormalizationForm_KC).toCaseFolded();
    QStringList extras;
    QString kept;
    kept.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const int close = closingFor(s[i]);
        const qsizetype end = close ? s.indexOf(QChar(close), i + 1) : -1;
        if (end > i) {
            extras << s.mid(i + 1, end - i - 1);
            i = end;
        } else {
            kept += s[i];
        }
    }
    // "〜subtitle〜", or a trailing "〜subtitle", after the title proper.
    for (qsizetype i = 1; i < kept.size(); ++i) {
        if (!isWave(kept[i])) continue;
        qsizetype end = i + 1;
        while (end < kept.size() && !isWave(kept[end])) ++end;
        extras << kept.mid(i + 1, end - i - 1);
        kept.remove(i, std::min(end + 1, kept.size()) - i);
        --i;
    }
    static const QRegularExpression feat(QStringLiteral("(^|\\s)(feat\\.?|ft\\.|featuring)\\s"));
    static const QRegularExpression featOrWith(QStringLiteral("(^|\\s)(feat\\.?|ft\\.|featuring|with)\\s"));
    const QRegularExpressionMatch m = (isArtist ? featOrWith : feat).match(kept);
    if (m.hasMatch() && m.capturedStart() > 0) {
        extras << kept.mid(m.capturedStart());
        kept.truncate(m.capturedStart());
    }
    MatchText out;
    out.core = fold(kept);
    QStringList folded;
    for (const QString &e : extras)
        if (QString f = foldExtra(e); !f.isEmpty()) folded << f;
    // A text that is all brackets keeps them as its core.
    if (out.core.isEmpty() && !folded.isEmpty()) {
        out.core = folded.join(QString());
        folded.clear();
    }
    std::sort(folded.begin(), folded.end());
    out.extra = folded.join(u' ');
    return out;
}

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

double matchScore(const MatchText &songTitle, const MatchText &songArtist, const MatchText &fileTitle,
                  const MatchText &fileArtist, bool *sure) {
    const double t = textSimilarity(songTitle.core, fileTitle.core);
    const double a = textSimilarity(songArtist.core, fileArtist.core);
    const double e = 0.5 * textSimilarity(songTitle.extra, fileTitle.extra) +
                     0.5 * textSimilarity(songArtist.extra, fileArtist.extra);
    const bool exact = songTitle == fileTitle && songArtist == fileArtist;
    if (sure) *sure = exact;
    if (exact) return 1.0;
    // Never 1 unless exact: rounding must not turn a near match into a sure one.
    return std::min(kTitleWeight * t + kArtistWeight * a + kExtraWeight * e, 0.999);
}

LibraryMatcher::LibraryMatcher(const QList<LibraryFile> &files) {
    m_files.reserve(files.size());
    QList<quint32> grams;
    for (const LibraryFile &f : files) {
        Indexed x{normalizeForMatch(f.title, false), normalizeForMatch(f.artist, true), 0, {}};
        const qint32 id = qint32(m_files.size());
        // A file file.idx cannot name is never proposed.
        if (!f.storedPath.isEmpty() && !x.title.core.isEmpty()) {
            bigramsOf(x.title.core, &grams);
            x.bigrams = grams.size();
            bigramsOf(x.artist.core, &x.artistGrams);
            m_exact[exactKey(x.title, x.artist)].push_back(id);
            for (quint32 g : grams) m_byBigram[g].push_back(id);
            // A one-character song title reaches short titles holding its
            // character ("星" and "星空"); longer ones score too low anyway.
            if (x.title.core.size() > 1 && x.title.core.size() <= kShortTitle) {
                QList<quint32> chars;
                for (QChar c : x.title.core) chars.push_back((quint32(c.unicode()) << 16) | 0xFFFFu);
                std::sort(chars.begin(), chars.end());
                chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
                for (quint32 g : chars) m_byBigram[g].push_back(id);
            }
        }
        m_files.push_back(std::move(x));
    }
    m_counts.assign(m_files.size(), 0);
    m_gramCounts.reserve(m_files.size());
    for (const Indexed &x : m_files) m_gramCounts.push_back(qint32(x.bigrams));
}

QList<MatchProposal> LibraryMatcher::match(const SongKey &song, double minScore) const {
    QList<MatchProposal> best;
    const MatchText title = normalizeForMatch(sjis::toUnicode(song.title), false);
    const MatchText artist = normalizeForMatch(sjis::toUnicode(song.artist), true);
    if (title.core.isEmpty()) return best;
    // An exact normalised match is the best there is: no search.
    if (auto it = m_exact.constFind(exactKey(title, artist)); it != m_exact.constEnd()) {
        for (qint32 f : *it) best.push_back({song, f, 1.0, true});
        return best;
    }
    QList<quint32> grams;
    bigramsOf(title.core, &grams);
    std::vector<qint32> &touched = m_touched;
    touched.clear();
    for (quint32 g : grams) {
        auto it = m_byBigram.constFind(g);
        if (it == m_byBigram.constEnd()) continue;
        for (qint32 f : *it)
            if (m_counts[f]++ == 0) touched.push_back(f);
    }
    double bestScore = minScore;
    auto consider = [&](qint32 f) {
        const Indexed &x = m_files[f];
        // Bounds first: the edit distance is the cost here, and most
        // candidates cannot beat the best already found.
        auto lengthBound = [](const QString &a, const QString &b) {
            const qsizetype hi = std::max(a.size(), b.size());
            return hi ? double(std::min(a.size(), b.size())) / double(hi) : 1.0;
        };
        const double artistBound = lengthBound(artist.core, x.artist.core);
        if (kTitleWeight * lengthBound(title.core, x.title.core) + kArtistWeight * artistBound +
                kExtraWeight <
            bestScore - 1e-9)
            return;
        const double t = textSimilarity(title.core, x.title.core);
        if (kTitleWeight * t + kArtistWeight * artistBound + kExtraWeight < bestScore - 1e-9) return;
        const double score = matchScore(title, artist, x.title, x.artist);
        if (score < bestScore - 1e-9) return;
        if (score > bestScore + 1e-9) best.clear();
        bestScore = std::max(bestScore, score);
        best.push_back({song, f, score, false});
    };
    QList<std::pair<double, qint32>> candidates;
    QList<quint32> artistGrams;
    bigramsOf(artist.core, &artistGrams);
    for (qint32 f : touched) {
        const double dice = 2.0 * m_counts[f] / double(grams.size() + m_gramCounts[f]);
        m_counts[f] = 0;
        if (dice >= kMinOverlap || title.core.size() == 1) candidates.push_back({dice, f});
    }
    auto byOverlap = [](const auto &a, const auto &b) { return a.first > b.first; };
    // The artist overlap only for the best titles: with many similar titles
    // it would otherwise be most of the work.
    if (candidates.size() > 4 * kCandidates) {
        std::nth_element(candidates.begin(), candidates.begin() + 4 * kCandidates, candidates.end(),
                         byOverlap);
        candidates.resize(4 * kCandidates);
    }
    for (auto &c : candidates) {
        const Indexed &x = m_files[c.second];
        qsizetype shared = 0;
        for (auto a = artistGrams.cbegin(), b = x.artistGrams.cbegin();
             a != artistGrams.cend() && b != x.artistGrams.cend();) {
            if (*a < *b)
                ++a;
            else if (*b < *a)
                ++b;
            else
                ++shared, ++a, ++b;
        }
        const qsizetype artistTotal = artistGrams.size() + x.artistGrams.size();
        c.first =
            kTitleWeight * c.first + kArtistWeight * (artistTotal ? 2.0 * shared / double(artistTotal) : 1.0);
    }
    // Only the most overlapping candidates are scored: in a library of
    // many similar titles the rest cannot come close.
    if (candidates.size() > kCandidates) {
        std::nth_element(candidates.begin(), candidates.begin() + kCandidates, candidates.end(), byOverlap);
        candidates.resize(kCandidates);
    }
    for (const auto &c : candidates) consider(c.second);
    std::sort(best.begin(), best.end(),
              [](const MatchProposal &a, const MatchProposal &b) { return a.file < b.file; });
    return best;
}

QList<MatchProposal> LibraryMatcher::matchAll(const QList<SongKey> &songs, double minScore) const {
    QList<MatchProposal> out;
    for (const SongKey &s : songs) out += match(s, minScore);
    std::stable_sort(out.begin(), out.end(), [](const MatchProposal &a, const MatchProposal &b) {
        if (a.score != b.score) return a.score > b.score;
        if (a.song.title != b.song.title) return a.song.title < b.song.title;
        return a.song.artist < b.song.artist;
    });
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

}  // namespace vorq
