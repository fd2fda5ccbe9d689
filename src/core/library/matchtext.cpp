#include "core/library/matchtext.h"

#include <algorithm>

namespace vorq {

namespace {

bool isAsciiAlnum(QChar c) {
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z');
}
// A letter or digit outside ASCII: kana, kanji, full-width forms.
bool isWideLetter(QChar c) { return c.unicode() >= 0x80 && (c.isLetterOrNumber() || c.isSurrogate()); }

// What Shift-JIS holds in two bytes. Accented Latin letters it cannot hold
// at all; they stay single like the ASCII around them.
bool isDoubleByte(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80) return false;
    if (u >= 0xFF61 && u <= 0xFF9F) return false;  // half-width katakana
    if (u <= 0x024F)
        return u == 0xA7 || u == 0xA8 || u == 0xB0 || u == 0xB1 || u == 0xB4 || u == 0xB6 || u == 0xD7 ||
               u == 0xF7;
    return true;
}

char16_t closingFor(QChar open) {
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
bool isDash(QChar c) {
    const char16_t u = c.unicode();
    return u == u'-' || u == 0x2010 || u == 0x2011 || u == 0x2013 || u == 0x2014 || u == 0x2015 ||
           u == 0x2212;
}

// Words that join names. The dotted ones are unambiguous wherever they
// stand; the others need a boundary: a space or punctuation on both sides,
// or a Japanese character next to them (the load squeezes the spaces out of
// "雨音 with 北川健太").
struct JoinerWord {
    QStringView word;
    bool dotted;
};
constexpr JoinerWord kArtistJoiners[] = {{u"featuring", false}, {u"feat.", true}, {u"feat", false},
                                         {u"ft.", true},        {u"with", false}, {u"vs.", true},
                                         {u"vs", false}};
constexpr JoinerWord kTitleJoiners[] = {
    {u"featuring", false}, {u"feat.", true}, {u"feat", false}, {u"ft.", true}};

bool boundaryAround(QStringView s, qsizetype start, qsizetype end, bool dotted) {
    if (start == 0 || end >= s.size()) return false;
    const QChar left = s[start - 1], right = s[end];
    if (dotted) return true;
    return (!isAsciiAlnum(left) && !isAsciiAlnum(right)) || isWideLetter(left) || isWideLetter(right);
}

// Length of the joiner word at i, 0 when none.
template <size_t N>
qsizetype joinerWordAt(QStringView s, qsizetype i, const JoinerWord (&words)[N]) {
    // Every joiner word begins with f, w or v.
    const char16_t first = s[i].unicode() | 0x20;
    if (first != u'f' && first != u'w' && first != u'v') return 0;
    for (const JoinerWord &w : words)
        if (s.mid(i).startsWith(w.word, Qt::CaseInsensitive) &&
            boundaryAround(s, i, i + w.word.size(), w.dotted))
            return w.word.size();
    return 0;
}

// Length of a symbol joining names at i, 0 when none: "×", "&", "+", "/",
// "、", ",", and a lone "x" between spaces or between Japanese names.
qsizetype symbolJoinerAt(QStringView s, qsizetype i) {
    switch (s[i].unicode()) {
        case 0xD7:
        case u'&':
        case u'+':
        case u'/':
        case u'、':
        case u',': return i > 0 ? 1 : 0;
        case u'x':
        case u'X':
            if (i == 0 || i + 1 >= s.size()) return 0;
            if (s[i - 1].isSpace() && s[i + 1].isSpace()) return 1;
            return isWideLetter(s[i - 1]) && isWideLetter(s[i + 1]) ? 1 : 0;
        default: return 0;
    }
}

QStringList splitNames(QStringView s) {
    QStringList out;
    qsizetype from = 0;
    for (qsizetype i = 0; i < s.size();) {
        qsizetype n = symbolJoinerAt(s, i);
        if (!n) n = joinerWordAt(s, i, kArtistJoiners);
        if (!n) {
            ++i;
            continue;
        }
        out << s.mid(from, i - from).trimmed().toString();
        i += n;
        from = i;
    }
    out << s.mid(from).trimmed().toString();
    out.removeAll(QString());
    return out;
}

// A name folded, without a leading "The" ("The Boom", "THE BOOM", and the
// chart's squeezed "TheBoom" all read "boom") or "ザ・".
QString nameKey(QString name) {
    name = name.trimmed();
    if (name.size() > 2 && name.startsWith(u"ザ・")) name.remove(0, 2);
    QString key = foldForMatch(name.toCaseFolded());
    if (key.size() > 4 && key.startsWith(QStringLiteral("the"))) key.remove(0, 3);
    return key;
}

void addNames(QStringView text, QStringList *names) {
    for (const QString &n : splitNames(text))
        if (QString key = nameKey(n); !key.isEmpty()) names->push_back(key);
}

// Starts with a word that introduces featured names ("feat. X", "with X"):
// the length of that word and its spaces, else 0.
qsizetype featuringPrefix(QStringView part) {
    for (QStringView w : {QStringView(u"featuring"), QStringView(u"feat."), QStringView(u"feat"),
                          QStringView(u"ft."), QStringView(u"with")}) {
        if (!part.startsWith(w, Qt::CaseInsensitive)) continue;
        const qsizetype end = w.size();
        if (end < part.size() && (w.endsWith(u'.') || !isAsciiAlnum(part[end]))) return end;
    }
    return 0;
}

// ASCII words of a text, lower case ("TV Size Ver." -> tv, size, ver).
QStringList asciiWords(QStringView s) {
    QStringList words;
    QString word;
    for (QChar c : s) {
        if (isAsciiAlnum(c)) {
            word += c.toLower();
        } else if (!word.isEmpty()) {
            words << word;
            word.clear();
        }
    }
    if (!word.isEmpty()) words << word;
    return words;
}

int romanValue(QStringView word, bool singleLetters) {
    static const QHash<QString, int> kRoman{{QStringLiteral("ii"), 2},   {QStringLiteral("iii"), 3},
                                            {QStringLiteral("iv"), 4},   {QStringLiteral("vi"), 6},
                                            {QStringLiteral("vii"), 7},  {QStringLiteral("viii"), 8},
                                            {QStringLiteral("ix"), 9},   {QStringLiteral("xi"), 11},
                                            {QStringLiteral("xii"), 12}, {QStringLiteral("xiii"), 13}};
    if (singleLetters && word.size() == 1) {
        if (word == u"i") return 1;
        if (word == u"v") return 5;
        if (word == u"x") return 10;
    }
    return kRoman.value(word.toString(), 0);
}

// Numbers of a title: digit runs, roman numerals, and a single-letter
// numeral after "part" ("Part I").
void addNumbers(QStringView s, QList<int> *numbers) {
    QString previous;
    for (qsizetype i = 0; i < s.size();) {
        const QChar c = s[i];
        if (c.unicode() >= u'0' && c.unicode() <= u'9') {
            qint64 value = 0;
            while (i < s.size() && s[i].unicode() >= u'0' && s[i].unicode() <= u'9')
                value = (value * 10 + (s[i++].unicode() - u'0')) % 1000000007;
            numbers->push_back(int(value));
            previous.clear();
        } else if (isAsciiAlnum(c)) {
            QString word;
            while (i < s.size() && isAsciiAlnum(s[i]) && !(s[i].unicode() >= u'0' && s[i].unicode() <= u'9'))
                word += s[i++].toLower();
            const bool afterPart = previous == u"part" || previous == u"pt" || previous == u"vol" ||
                                   previous == u"no" || previous == u"chapter";
            if (const int v = romanValue(word, afterPart)) numbers->push_back(v);
            previous = word;
        } else {
            ++i;
        }
    }
}

struct ParsedTitle {
    QString kept;       // the title proper
    QStringList parts;  // bracketed, "～…～" and "-…-" parts, as written
    QString featuring;  // the names after "feat." in the title proper
};

ParsedTitle parseTitle(const QString &s) {
    ParsedTitle p;
    QString &kept = p.kept;
    // Most titles hold no part to set aside and no "feat.".
    if (std::none_of(s.cbegin(), s.cend(), [](QChar c) {
            return closingFor(c) || isWave(c) || isDash(c) || (c.unicode() | 0x20) == u'f';
        })) {
        kept = s;
        return p;
    }
    kept.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        const char16_t close = closingFor(s[i]);
        const qsizetype end = close ? s.indexOf(QChar(close), i + 1) : -1;
        if (end > i) {
            p.parts << s.mid(i + 1, end - i - 1);
            kept += u' ';
            i = end;
        } else {
            kept += s[i];
        }
    }
    // "～subtitle～", or a trailing "～subtitle", after the title proper.
    for (qsizetype i = 1; i < kept.size(); ++i) {
        if (!isWave(kept[i])) continue;
        qsizetype end = i + 1;
        while (end < kept.size() && !isWave(kept[end])) ++end;
        p.parts << kept.mid(i + 1, end - i - 1);
        kept.replace(i, std::min(end + 1, kept.size()) - i, QStringLiteral(" "));
    }
    // " - subtitle", " -subtitle-": a dash after a space sets off what
    // follows, up to a closing dash.
    for (qsizetype i = 1; i < kept.size(); ++i) {
        if (!isDash(kept[i]) || !kept[i - 1].isSpace()) continue;
        qsizetype close = -1;
        for (qsizetype j = i + 1; j < kept.size(); ++j)
            if (isDash(kept[j]) && (j + 1 == kept.size() || kept[j + 1].isSpace())) {
                close = j;
                break;
            }
        const qsizetype end = close >= 0 ? close : kept.size();
        const QString part = kept.mid(i + 1, end - i - 1).trimmed();
        if (part.isEmpty()) continue;
        p.parts << part;
        kept.replace(i, (close >= 0 ? close + 1 : kept.size()) - i, QStringLiteral(" "));
    }
    // "title-subtitle-" without spaces.
    const QString trimmed = kept.trimmed();
    if (trimmed.size() > 2 && isDash(trimmed.back())) {
        qsizetype open = trimmed.size() - 2;
        while (open > 0 && !isDash(trimmed[open])) --open;
        if (open > 0 && trimmed.size() - 1 - open > 1) {
            p.parts << trimmed.mid(open + 1, trimmed.size() - open - 2);
            kept = trimmed.left(open);
        }
    }
    for (qsizetype i = 1; i < kept.size(); ++i)
        if (const qsizetype n = joinerWordAt(kept, i, kTitleJoiners)) {
            p.featuring = kept.mid(i + n);
            kept.truncate(i);
            break;
        }
    return p;
}

}  // namespace

QString loadTitleRule(const QString &text) {
    // Most texts have nothing to change: no copy then.
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) {
            const char16_t u = c.unicode();
            return u == 0x3000 || (u >= 0xFF10 && u <= 0xFF5A);
        }))
        return text;
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF10 && u <= 0xFF19)
            c = QChar(char16_t(u - 0xFF10 + u'0'));
        else if (u >= 0xFF21 && u <= 0xFF3A)
            c = QChar(char16_t(u - 0xFF21 + u'A'));
        else if (u >= 0xFF41 && u <= 0xFF5A)
            c = QChar(char16_t(u - 0xFF41 + u'a'));
        else if (u == 0x3000)
            c = QChar(u' ');
    }
    return out;
}

QString loadArtistRule(const QString &text) {
    QString out = loadTitleRule(text);
    if (out.contains(u' ') && std::any_of(out.cbegin(), out.cend(), isDoubleByte)) out.remove(u' ');
    return out;
}

QString foldForMatch(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            const char32_t ucs = QChar::surrogateToUcs4(c, text[i + 1]);
            if (QChar::isLetterOrNumber(ucs) || QChar::isMark(ucs)) out += text.mid(i, 2);
            ++i;
        } else if (c.isLetterOrNumber() || c.isMark()) {
            out += c;
        }
    }
    return out;
}

VersionMarker versionMarkerOf(QStringView part) {
    const QString lower = part.toString().toCaseFolded();
    QStringList words = asciiWords(lower);
    auto has = [&](QStringView w) { return words.contains(w); };
    auto japanese = [&](QStringView w) { return lower.contains(w); };
    // Neutral: the song as released, only named ("Single Version", "2011
    // Remaster", "Radio Edit", "Original Mix"). Its words are spent.
    const bool versionWord = has(u"version") || has(u"ver");
    bool neutral = false;
    auto spend = [&](std::initializer_list<QStringView> spent) {
        neutral = true;
        for (QStringView w : spent) words.removeAll(w.toString());
    };
    if (has(u"single") && (versionWord || has(u"mix") || has(u"edit") || has(u"cut")))
        spend({u"single", u"version", u"ver", u"mix", u"edit", u"cut"});
    if ((has(u"original") || has(u"album")) && (versionWord || has(u"mix")))
        spend({u"original", u"album", u"version", u"ver", u"mix"});
    if (has(u"radio") && has(u"edit")) spend({u"radio", u"edit"});
    if (has(u"remaster") || has(u"remastered") || has(u"remastering"))
        spend({u"remaster", u"remastered", u"remastering", u"digital", u"version", u"ver"});
    if (has(u"mono") || has(u"stereo")) spend({u"mono", u"stereo", u"version", u"ver", u"mix"});
    if (has(u"bonus") && has(u"track")) spend({u"bonus", u"track"});

    QStringList keys;
    auto key = [&](bool present, const QString &k) {
        if (present && !keys.contains(k)) keys << k;
    };
    key(has(u"live") || japanese(u"ライブ") || japanese(u"ライヴ"), QStringLiteral("live"));
    key(has(u"remix") || has(u"remixed") || has(u"remixes") || has(u"rmx") || has(u"mix") || has(u"mixed") ||
            has(u"extended") || has(u"dub") || japanese(u"リミックス"),
        QStringLiteral("remix"));
    key(has(u"instrumental") || has(u"instrumentals") || has(u"inst") || has(u"instr") ||
            (has(u"off") && has(u"vocal")) || has(u"offvocal") || has(u"backing") || japanese(u"インスト") ||
            japanese(u"オフボーカル") || japanese(u"オフ・ボーカル"),
        QStringLiteral("instrumental"));
    key(has(u"karaoke") || japanese(u"カラオケ"), QStringLiteral("karaoke"));
    key(has(u"tv") || has(u"tvsize") || (has(u"short") && (versionWord || has(u"size") || has(u"edit"))) ||
            japanese(u"サイズ"),
        QStringLiteral("tvsize"));
    key(has(u"acoustic") || has(u"unplugged") || japanese(u"アコースティック") || japanese(u"弾き語り"),
        QStringLiteral("acoustic"));
    key(has(u"demo") || japanese(u"デモ"), QStringLiteral("demo"));
    key(has(u"acappella") || has(u"cappella"), QStringLiteral("acappella"));
    key(has(u"orchestra") || has(u"orchestral") || japanese(u"オーケストラ"), QStringLiteral("orchestra"));
    if (!keys.isEmpty()) {
        std::sort(keys.begin(), keys.end());
        return {VersionMarker::Variant, keys.join(u'+')};
    }
    if (neutral) return {VersionMarker::Neutral, {}};
    // "English ver.", "Piano Version", "別バージョン": some other version.
    if (has(u"version") || has(u"ver") || japanese(u"バージョン") || japanese(u"ヴァージョン")) {
        words.removeAll(QStringLiteral("version"));
        words.removeAll(QStringLiteral("ver"));
        return {VersionMarker::Variant, QStringLiteral("version:") + words.join(u' ')};
    }
    return {};
}

QStringList folderVersionMarkers(QStringView text) {
    const QString lower = text.toString().toCaseFolded();
    const QStringList words = asciiWords(lower);
    auto has = [&](QStringView w) { return words.contains(w); };
    QStringList keys;
    if (has(u"live") || lower.contains(u"ライブ") || lower.contains(u"ライヴ"))
        keys << QStringLiteral("live");
    if (has(u"remix") || has(u"remixes") || lower.contains(u"リミックス")) keys << QStringLiteral("remix");
    if (has(u"instrumental") || has(u"instrumentals") || (has(u"off") && has(u"vocal")) ||
        lower.contains(u"インスト") || lower.contains(u"オフボーカル"))
        keys << QStringLiteral("instrumental");
    if (has(u"karaoke") || lower.contains(u"カラオケ")) keys << QStringLiteral("karaoke");
    if (has(u"acoustic") || has(u"unplugged") || lower.contains(u"アコースティック"))
        keys << QStringLiteral("acoustic");
    std::sort(keys.begin(), keys.end());
    return keys;
}

namespace {
bool isCompilationKey(const QString &key) {
    static const QStringList kNames{QStringLiteral("va"),
                                    QStringLiteral("various"),
                                    QStringLiteral("variousartists"),
                                    QStringLiteral("variousartist"),
                                    QStringLiteral("compilation"),
                                    QStringLiteral("オムニバス"),
                                    QStringLiteral("コンピレーション"),
                                    QStringLiteral("ヴァリアスアーティスト"),
                                    QStringLiteral("ヴァリアスアーティスツ")};
    return key.size() <= 16 && kNames.contains(key);
}
}  // namespace

bool isCompilationArtist(const QString &artist) {
    return isCompilationKey(foldForMatch(artist.normalized(QString::NormalizationForm_KC).toCaseFolded()));
}

QList<std::pair<QString, QString>> compilationReadings(const QString &title) {
    QList<std::pair<QString, QString>> out;
    const QString t = title.normalized(QString::NormalizationForm_KC).trimmed();
    for (const auto &[open, close] : {std::pair{u'「', u'」'}, std::pair{u'『', u'』'}}) {
        const qsizetype a = t.indexOf(QChar(open));
        const qsizetype b = t.lastIndexOf(QChar(close));
        if (a > 0 && b > a + 1) out.push_back({t.mid(a + 1, b - a - 1), t.left(a).trimmed()});
    }
    if (const qsizetype slash = t.lastIndexOf(QStringLiteral(" / ")); slash > 0)
        out.push_back({t.left(slash).trimmed(), t.mid(slash + 3).trimmed()});
    if (const qsizetype dash = t.indexOf(QStringLiteral(" - ")); dash > 0) {
        out.push_back({t.mid(dash + 3).trimmed(), t.left(dash).trimmed()});
        out.push_back({t.left(dash).trimmed(), t.mid(dash + 3).trimmed()});
    }
    return out;
}

SongText songText(const QString &title, const QString &artist) {
    SongText out;
    const ParsedTitle p = parseTitle(loadTitleRule(title).normalized(QString::NormalizationForm_KC));
    QStringList variantTexts;
    QString numbered = p.kept;
    for (const QString &part : p.parts) {
        const QString trimmed = part.trimmed();
        if (const qsizetype n = featuringPrefix(trimmed)) {
            addNames(QStringView(trimmed).mid(n), &out.names);
            continue;
        }
        const VersionMarker m = versionMarkerOf(trimmed);
        if (m.kind == VersionMarker::Neutral) {
            out.neutral = true;
        } else if (m.kind == VersionMarker::Variant) {
            if (!out.variants.contains(m.key)) out.variants << m.key;
            variantTexts << trimmed;
        } else if (QString f = foldForMatch(trimmed.toCaseFolded()); !f.isEmpty()) {
            out.subtitles << f;
            numbered += u' ' + trimmed;
        }
    }
    addNames(p.featuring, &out.names);
    out.core = foldForMatch(p.kept.toCaseFolded());
    // A title that is all brackets keeps them as its name.
    if (out.core.isEmpty() && !out.subtitles.isEmpty()) {
        out.core = out.subtitles.join(QString());
        out.subtitles.clear();
    }
    addNumbers(numbered, &out.numbers);
    std::sort(out.numbers.begin(), out.numbers.end());
    std::sort(out.subtitles.begin(), out.subtitles.end());
    std::sort(out.variants.begin(), out.variants.end());
    out.variantText = variantTexts.join(QStringLiteral(", "));

    // The joiners are found before the load's rule squeezes the spaces out
    // of a Japanese artist ("Mizuki x 山本 優"); the names come out folded,
    // without spaces, as that rule would leave them.
    const QString a = loadTitleRule(artist).normalized(QString::NormalizationForm_KC);
    if (isCompilationKey(foldForMatch(a.toCaseFolded()))) {
        out.unknownArtist = true;
    } else {
        // Brackets in an artist: featured names count, notes ("CV: ...") do not.
        QString kept;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const char16_t close = closingFor(a[i]);
            const qsizetype end = close ? a.indexOf(QChar(close), i + 1) : -1;
            if (end <= i) {
                kept += a[i];
                continue;
            }
            const QString inner = a.mid(i + 1, end - i - 1).trimmed();
            if (const qsizetype n = featuringPrefix(inner)) addNames(QStringView(inner).mid(n), &out.names);
            kept += u' ';
            i = end;
        }
        QStringList own;
        addNames(kept, &own);
        if (!own.isEmpty()) out.mainName = own.constFirst();
        out.unknownArtist = own.isEmpty() && out.names.isEmpty();
        out.names += own;
    }
    std::sort(out.names.begin(), out.names.end());
    out.names.erase(std::unique(out.names.begin(), out.names.end()), out.names.end());
    return out;
}

QString SongText::exactKey() const {
    QString key = core;
    key += u'\x1f' + subtitles.join(u'\x1e') + u'\x1f' + variants.join(u'\x1e') + u'\x1f' +
           (neutral ? u'n' : u'-') + u'\x1f' + names.join(u'\x1e');
    if (unknownArtist) key += QStringLiteral("\x1f?");
    return key;
}

}  // namespace vorq
