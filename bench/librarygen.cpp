#include "librarygen.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <random>

#include "core/text/sjistext.h"
#include "musicfiles.h"

namespace vorq::test {

namespace {

QStringList split(QStringView joined) { return joined.toString().split(u'|'); }

const QStringList kFamily = split(
    u"中村|佐藤|鈴木|高橋|田中|渡辺|伊藤|山本|小林|加藤|吉田|山田|松本|井上|木村|清水|北川|桜井|星野|藤原|"
    u"岡田|森|石川|前田");
const QStringList kGiven =
    split(u"真央|由美|健太|瞳|美咲|翔|大輔|彩|愛|舞|優|拓也|さくら|ミカ|あゆみ|結衣|陽菜|蓮|葵|遥");
const QStringList kBands = split(
    u"ガリレオ号|雨音|風見鶏|青い鳥|ひまわり団|月光楽団|夜間飛行|赤い風船|銀河鉄道|紙ヒコーキ|三日月|"
    u"ネオン街|花鳥風月|雪月花|スピカ|カナリア|パレード|ソラシド");
const QStringList kLatinBands = split(
    u"Starlight|The Boom|Galaxy Express|Mr.Sunshine|BLUE HEARTS|The Samples|m-flow|Dream "
    u"Catcher|Kaito|Rinne|Sorano|Hanabi|Mizuki|Lucky Seven|Orange Days|Night Flight|Paper Moon|Sweet "
    u"Rain|The Candles|Stereo Jack|Morning Glory|Blue Velvet|Silver Bells|Electric Cats");
const QStringList kNouns = split(
    u"涙|桜|夢|星|空|風|雨|恋|愛|光|夜明け|約束|永遠|奇跡|未来|花火|春|夏|秋|冬|月|海|虹|雪|翼|絆|声|道|旅|"
    u"心|陽炎|蛍|向日葵|物語|季節|記憶|笑顔|明日|太陽|天使");
const QStringList kKatakana =
    split(u"サヨナラ|アイシテル|メロディ|ハーモニー|ダンス|ラブソング|ドリーム|スマイル|キセキ|ミライ");
const QStringList kAdjectives = split(
    u"Sweet|Blue|Endless|Brand New|Silent|Golden|Crazy|Lonely|Happy|Secret|Little|Eternal|Shining|Midnight");
const QStringList kEnglishNouns = split(
    u"Love|Night|Day|Dream|Rain|Heart|Road|Story|Memories|Wind|Sky|Song|World|Letter|Island|Garden|Smile|"
    u"Journey");
const QStringList kAlbumWords = split(u"Best Selection|Singles|Collection|Colors|Diary|Portrait");
const QStringList kVariantMarks = split(
    u" (Live ver.)| (Live)| (Instrumental)| (Original Karaoke)| (TV Size Ver.)| (Remix)| - Acoustic Version| "
    u"(Off Vocal)| [Live at Budokan]| (English ver.)| (Demo)| (ライブ)| (カラオケ)| (オリジナル・カラオケ)| "
    u"(TVサイズ)");
const QStringList kNeutralMarks =
    split(u" (Single Version)| - Single Version| (2012 Remaster)| (Radio Edit)");
const QStringList kJoiners = split(u" feat. | featuring | ft. | with | × | & |、| x ");

struct Artist {
    QString family, given;  // a person
    QString name;           // a band
    QString id;
    bool latin = false;
    bool person() const { return !family.isEmpty(); }
};

struct Song {
    QString title, subtitle;  // the chart's, without the subtitle's waves
    Artist a, b;              // b: the collaborator, when there is one
    QString joiner;
    QString titleId;
    bool latinTitle = false;
    bool wideTitle = false;  // the chart writes it in full-width letters
    int spaced = 0;          // the chart's space in a person's name: none, space, ideographic
    int debut = 0, weeks = 1;
};

QString fullWidth(const QString &s) {
    QString out;
    for (QChar c : s)
        out += c == u' '                                    ? QChar(0x3000)
               : (c.unicode() > 0x20 && c.unicode() < 0x7F) ? QChar(char16_t(c.unicode() + 0xFEE0))
                                                            : c;
    return out;
}

QString halfWidthKatakana(const QString &s) {
    static const QString full = QStringLiteral(
        "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンァィゥェ"
        "ォッャュョー");
    static const QString half = QStringLiteral("ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｧｨｩｪｫｯｬｭｮｰ");
    static const QString voiced = QStringLiteral("ガギグゲゴザジズゼゾダヂヅデドバビブベボ");
    static const QString voicedBase = QStringLiteral("カキクケコサシスセソタチツテトハヒフヘホ");
    static const QString semi = QStringLiteral("パピプペポ"), semiBase = QStringLiteral("ハヒフヘホ");
    QString out;
    for (QChar c : s) {
        if (qsizetype i = voiced.indexOf(c); i >= 0)
            out += half[full.indexOf(voicedBase[i])] + QStringLiteral("ﾞ");
        else if (qsizetype j = semi.indexOf(c); j >= 0)
            out += half[full.indexOf(semiBase[j])] + QStringLiteral("ﾟ");
        else if (qsizetype k = full.indexOf(c); k >= 0)
            out += half[k];
        else
            out += c;
    }
    return out;
}

QString safeName(QString s) { return s.replace(u'/', u'_').replace(u'\\', u'_').trimmed(); }

class Generator {
public:
    Generator(const QString &dir, const LibraryGenOptions &o) : m_rng(o.seed), m_options(o) {
        m_lib.data = dir + QStringLiteral("/data");
        m_lib.music = dir + QStringLiteral("/music");
        m_outside = dir + QStringLiteral("/outside");
        QDir().mkpath(m_lib.data);
        QDir().mkpath(m_lib.music);
        QDir().mkpath(m_outside);
    }
    GeneratedLibrary run();

private:
    int pick(qsizetype n) { return std::uniform_int_distribution<int>(0, int(n) - 1)(m_rng); }
    bool chance(double p) { return std::uniform_real_distribution<double>(0, 1)(m_rng) < p; }
    template <class T>
    const T &any(const QList<T> &l) {
        return l[pick(l.size())];
    }
    Artist newArtist();
    QString newTitle(bool *latin);
    QString artistText(const Artist &a, int spaced) const;
    QString chartArtist(const Song &s) const;
    QString chartTitle(const Song &s) const;
    QString tagArtist(const Song &s);
    QString tagTitle(const Song &s, const QString &subtitleStyle);
    QString folderOf(const Song &s, const QString &artist);
    void addFile(const QString &path, int song, bool variant, const QString &leftOut,
                 const Song *truth = nullptr);
    // The path, or another in the same folder when it is taken.
    QString unique(const QString &path);
    void writePlainCopy(int i);
    void writeVariant(int i);
    void writeLeftOut(int i, bool alone);
    void writeCharts();

    std::mt19937 m_rng;
    LibraryGenOptions m_options;
    GeneratedLibrary m_lib;
    QString m_outside;
    QList<Artist> m_artists;
    QList<Song> m_songs;
    QSet<QString> m_titles;        // the charted titles
    QSet<QString> m_titleArtists;  // title|artist of each charted song and its collaborators
    int m_serial = 0;
};

Artist Generator::newArtist() {
    Artist a;
    const int kind = pick(10);
    if (kind < 5) {
        a.family = any(kFamily);
        a.given = any(kGiven);
        a.id = a.family + a.given;
    } else if (kind < 7) {
        a.name = any(kBands);
        a.id = a.name;
    } else {
        a.name = any(kLatinBands);
        a.latin = true;
        a.id = a.name;
    }
    return a;
}

QString Generator::newTitle(bool *latin) {
    *latin = false;
    switch (pick(12)) {
        case 0: return any(kNouns);
        case 1: return any(kNouns) + u"の" + any(kNouns);
        case 2: return any(kNouns) + u"に" + any(kNouns) + u"を";
        case 3: return QStringLiteral("さよなら") + any(kNouns);
        case 4: return any(kNouns) + u"のうた";
        case 5: return any(kKatakana);
        case 6: return any(kKatakana) + u"・" + any(kNouns);
        case 7: return QStringLiteral("君と") + any(kNouns);
        case 8: return any(kNouns) + QStringLiteral("★") + any(kEnglishNouns);
        default:
            *latin = true;
            return any(kAdjectives) + u' ' + any(kEnglishNouns) +
                   (chance(0.2) ? QStringLiteral("!") : QString());
    }
}

QString Generator::artistText(const Artist &a, int spaced) const {
    if (!a.person()) return a.name;
    return a.family +
           (spaced == 1   ? QStringLiteral(" ")
            : spaced == 2 ? QStringLiteral("\u3000")
                          : QString()) +
           a.given;
}

QString Generator::chartArtist(const Song &s) const {
    if (s.joiner.isEmpty()) return artistText(s.a, s.spaced);
    return artistText(s.a, s.spaced) + s.joiner + artistText(s.b, s.spaced);
}

QString Generator::chartTitle(const Song &s) const {
    QString t = s.wideTitle ? fullWidth(s.title) : s.title;
    if (!s.subtitle.isEmpty()) t += QStringLiteral("～") + s.subtitle + QStringLiteral("～");
    return t;
}

// The artist as a tag spells it: the spacing of a name, the letter case,
// "The", the joiner of a collaboration and the order of its names.
QString Generator::tagArtist(const Song &s) {
    auto one = [&](const Artist &a) {
        QString t = artistText(a, pick(3));
        if (a.latin) {
            const int k = pick(8);
            if (k == 0) t = t.toUpper();
            if (k == 1) t = t.toLower();
            if (k == 2 && t.startsWith(QStringLiteral("The "))) t = t.mid(4);
            if (k == 3 && t.contains(u'.')) t.replace(u'.', QStringLiteral(". "));
        } else if (chance(0.15)) {
            t = halfWidthKatakana(t);
        }
        return t;
    };
    if (s.joiner.isEmpty()) return one(s.a);
    const QString joiner = chance(0.5) ? s.joiner : any(kJoiners);
    const bool swap = chance(0.4);
    QString t = swap ? one(s.b) + joiner + one(s.a) : one(s.a) + joiner + one(s.b);
    if (chance(0.2)) t.remove(u' ');
    return t;
}

QString Generator::tagTitle(const Song &s, const QString &subtitleStyle) {
    QString t = s.title;
    if (s.latinTitle) {
        const int k = pick(6);
        if (k == 0) t = t.toUpper();
        if (k == 1) t = t.toLower();
        if (k == 2) t = fullWidth(t);
    } else if (chance(0.1)) {
        t = halfWidthKatakana(t);
    }
    if (!s.subtitle.isEmpty()) t += QString(subtitleStyle).replace(QStringLiteral("%s"), s.subtitle);
    return t;
}

QString Generator::folderOf(const Song &, const QString &artist) {
    switch (pick(4)) {
        case 0: return safeName(artist) + u'/' + any(kAlbumWords) + u' ' + QString::number(2000 + pick(8));
        case 1: return safeName(artist);
        case 2: return QStringLiteral("Singles");
        default: return QStringLiteral("Misc/Disc %1").arg(1 + pick(9));
    }
}

QString Generator::unique(const QString &path) {
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return path;
    const qsizetype dot = path.lastIndexOf(u'.');
    return unique(path.left(dot) + QStringLiteral(" (%1)").arg(++m_serial) + path.mid(dot));
}

void Generator::addFile(const QString &path, int song, bool variant, const QString &leftOut,
                        const Song *truth) {
    GeneratedFile f{path, {}, {}, variant, leftOut};
    const Song &s = truth ? *truth : m_songs[song];
    f.titleId = s.titleId;
    f.artistId = s.joiner.isEmpty() ? s.a.id : s.a.id + u'+' + s.b.id;
    m_lib.files.push_back(f);
    if (song < 0) return;
    GeneratedSong &g = m_lib.songs[song];
    if (!leftOut.isEmpty())
        g.leftOutFiles << path;
    else if (variant)
        g.variantFiles << path;
    else
        g.plainFiles << path;
}

// One right copy of song i, spelt one of the ways collections spell.
void Generator::writePlainCopy(int i) {
    const Song &s = m_songs[i];
    const QString n = QStringLiteral("%1").arg(1 + pick(14), 2, 10, QChar(u'0'));
    const bool flac = chance(0.12);
    const QString ext = flac ? QStringLiteral(".flac") : QStringLiteral(".mp3");
    QString title = tagTitle(s, any(split(u"～%s～|～%s～| -%s-| (%s)| - %s|")));
    QString artist = tagArtist(s);
    QString album;
    bool exact = false;
    // Collaborations are tagged as the chart writes them more often: their
    // tags are where squeezed joiners once made sure matches fail.
    const int style = !s.joiner.isEmpty() && chance(0.25) ? 0 : pick(100);
    QString path;
    auto tagged = [&](const QString &p) {
        const QString full = unique(m_lib.music + u'/' + p);
        const bool ok =
            (flac ? writeSilentFlac(full) : writeSilentMp3(full, 4)) && writeTags(full, title, artist, album);
        if (!ok) qFatal("cannot write %s", qPrintable(full));
        path = full;
    };
    if (style < 24) {  // exactly as the chart writes it
        title = chartTitle(s);
        artist = chartArtist(s);
        exact = true;
        tagged(folderOf(s, artist) + u'/' + n + QStringLiteral(" - ") + safeName(s.title) + ext);
    } else if (style < 34) {  // Shift-JIS ID3v1, cut at 30 bytes
        path = unique(m_lib.music + u'/' + folderOf(s, artist) + u'/' + safeName(s.title) +
                      QStringLiteral(".mp3"));
        if (!writeSilentMp3(path, 4) ||
            !appendRawId3v1(path, sjis::fromUnicode(chartTitle(s)), sjis::fromUnicode(chartArtist(s))))
            qFatal("cannot write %s", qPrintable(path));
    } else if (style < 48) {  // untagged: the name says it
        const QString a = safeName(artist), t = safeName(title);
        QString rel;
        switch (pick(5)) {
            case 0:
                rel = QStringLiteral("Incoming/") + n + QStringLiteral(" - ") + a + QStringLiteral(" - ") + t;
                break;
            case 1: rel = QStringLiteral("Incoming/") + a + QStringLiteral(" - ") + t; break;
            case 2: rel = QStringLiteral("Incoming/") + t + QStringLiteral(" - ") + a; break;
            case 3: rel = a + u'/' + any(kAlbumWords) + u'/' + n + u' ' + t; break;
            default: rel = a + u'/' + t; break;
        }
        path = m_lib.music + u'/' + rel + QStringLiteral(".mp3");
        // The name is the tag here: a name already taken gets tags instead.
        if (QFileInfo::exists(path))
            tagged(folderOf(s, artist) + u'/' + n + QStringLiteral(" - ") + safeName(title) + ext);
        else if (!writeSilentMp3(path, 4))
            qFatal("cannot write %s", qPrintable(path));
    } else if (style < 54 && s.joiner == QStringLiteral(" feat. ")) {  // the featured artist in the title
        title =
            tagTitle(s, QStringLiteral("～%s～")) + QStringLiteral(" (feat. ") + artistText(s.b, 1) + u')';
        artist = artistText(s.a, pick(3));
        tagged(folderOf(s, artist) + u'/' + n + u' ' + safeName(s.title) + ext);
    } else if (style < 60) {  // a neutral marker
        title = tagTitle(s, QStringLiteral("～%s～")) + any(kNeutralMarks);
        tagged(folderOf(s, artist) + u'/' + safeName(s.title) + ext);
    } else if (style < 65) {  // a compilation: the artist inside the title
        const QString plainTitle = tagTitle(s, QStringLiteral("～%s～"));
        title = chance(0.5) ? QString(artist + QStringLiteral("「") + plainTitle + QStringLiteral("」"))
                            : QString(plainTitle + QStringLiteral(" / ") + artist);
        artist = any(split(u"V.A.|オムニバス|Various Artists"));
        album = QStringLiteral("Hit Parade %1").arg(2000 + pick(8));
        tagged(QStringLiteral("Compilations/") + album + u'/' + n + u' ' + safeName(plainTitle) + ext);
    } else if (style < 68) {  // a title without artist tag in Artist/Album
        const QString folderArtist =
            artistText(s.a, 0) + (s.joiner.isEmpty() ? QString() : s.joiner + artistText(s.b, 0));
        album = any(kAlbumWords);
        const QString full = unique(m_lib.music + u'/' + safeName(folderArtist) + u'/' + album + u'/' + n +
                                    u' ' + safeName(title) + ext);
        if (!(flac ? writeSilentFlac(full) : writeSilentMp3(full, 4)) || !writeTags(full, title, QString()))
            qFatal("cannot write %s", qPrintable(full));
        path = full;
    } else if (style < 71) {  // a ripper's title: the track number, or the artist, in it
        title = chance(0.5) ? n + QStringLiteral(" - ") + title : artist + QStringLiteral(" - ") + title;
        tagged(folderOf(s, artist) + u'/' + n + u' ' + safeName(s.title) + ext);
    } else if (style < 73 && s.latinTitle && s.title.size() > 8) {  // a typing error
        const int at = 3 + pick(s.title.size() - 5);
        title = s.title.left(at) + s.title.at(at) + s.title.mid(at);
        tagged(folderOf(s, artist) + u'/' + n + u' ' + safeName(title) + ext);
    } else {  // tags in their own spelling
        tagged(folderOf(s, artist) + u'/' + n + QStringLiteral(" - ") + safeName(title) + ext);
    }
    addFile(path, i, false, {});
    if (exact) m_lib.songs[i].exactTagFiles << path;
}

void Generator::writeVariant(int i) {
    const Song &s = m_songs[i];
    const QString n = QStringLiteral("%1").arg(1 + pick(14), 2, 10, QChar(u'0'));
    const QString artist = chance(0.5) ? chartArtist(s) : tagArtist(s);
    QString title = tagTitle(s, QStringLiteral("～%s～"));
    QString folder = folderOf(s, artist), album;
    if (chance(0.2)) {  // tagged exactly, but a live recording by its folder or album
        title = chartTitle(s);
        if (chance(0.5))
            folder = safeName(artist) + QStringLiteral("/LIVE TOUR 200%1").arg(pick(9));
        else
            album = artistText(s.a, 1) + QStringLiteral(" Live at Budokan");
    } else {
        title += any(kVariantMarks);
    }
    const QString path =
        unique(m_lib.music + u'/' + folder + u'/' + n + u' ' + safeName(title) + QStringLiteral(".mp3"));
    if (!writeSilentMp3(path, 4) || !writeTags(path, title, artist, album))
        qFatal("cannot write %s", qPrintable(path));
    addFile(path, i, true, {});
}

// A copy of song i that the scan must leave out; alone: the song's only one.
void Generator::writeLeftOut(int i, bool alone) {
    const Song &s = m_songs[i];
    const QString base = safeName(artistText(s.a, 1)) + QStringLiteral(" - ") + safeName(s.title);
    const int kind = alone ? pick(5) : 0;
    QString path;
    QString reason;
    if (kind == 0) {  // an empty file where a download failed
        path = unique(m_lib.music + QStringLiteral("/Incoming/") + base + QStringLiteral(".mp3"));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        reason = QStringLiteral("empty");
    } else if (kind == 1) {  // a name Shift-JIS cannot hold: a wave dash, an accent, an emoji
        const QString odd = any(split(u"\u301c|é|\U0001F338"));
        path = unique(m_lib.music + QStringLiteral("/Singles/") + base + u' ' + odd + QStringLiteral(".mp3"));
        if (!writeSilentMp3(path, 4) || !writeTags(path, chartTitle(s), chartArtist(s)))
            qFatal("cannot write %s", qPrintable(path));
        reason = QStringLiteral("unnamable");
    } else if (kind == 2) {  // a web page saved as .mp3
        path = unique(m_lib.music + QStringLiteral("/Incoming/") + base + QStringLiteral(".mp3"));
        QDir().mkpath(QFileInfo(path).path());
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write %s", qPrintable(path));
        f.write("<html><body>404 Not Found</body></html>\n");
        reason = QStringLiteral("not_audio");
    } else if (kind == 3) {  // a link to nothing
        path = unique(m_lib.music + QStringLiteral("/Links/") + base + QStringLiteral(".mp3"));
        QDir().mkpath(QFileInfo(path).path());
        QFile::link(m_outside + QStringLiteral("/gone/") + base + QStringLiteral(".mp3"), path);
        reason = QStringLiteral("unreadable");
    } else {  // a link out of the library
        const QString target = m_outside + u'/' + base + QString::number(++m_serial) + QStringLiteral(".mp3");
        if (!writeSilentMp3(target, 4) || !writeTags(target, chartTitle(s), chartArtist(s)))
            qFatal("cannot write %s", qPrintable(target));
        path = unique(m_lib.music + QStringLiteral("/Links/") + base + QStringLiteral(".mp3"));
        QDir().mkpath(QFileInfo(path).path());
        QFile::link(target, path);
        reason = QStringLiteral("link_outside");
    }
    addFile(path, i, false, reason);
}

void Generator::writeCharts() {
    int weeks = 0;
    for (const Song &s : m_songs) weeks = std::max(weeks, s.debut + s.weeks);
    // Broadcast weeks from 2004-01-03 (a date of the broadcast calendar).
    m_lib.first = QDate(1995, 4, 8).addDays(7 * 456);
    m_lib.last = m_lib.first.addDays(7 * (weeks - 1));
    for (int w = 0; w < weeks; ++w) {
        QList<int> on;
        for (int i = 0; i < m_songs.size(); ++i)
            if (m_songs[i].debut <= w && w < m_songs[i].debut + m_songs[i].weeks) on << i;
        std::shuffle(on.begin(), on.end(), m_rng);
        QList<QByteArray> lines;
        for (int r = 0; r < on.size(); ++r)
            lines << QByteArray::number(r + 1) + '\t' + sjis::fromUnicode(chartTitle(m_songs[on[r]])) + '\t' +
                         sjis::fromUnicode(chartArtist(m_songs[on[r]]));
        const QDate date = m_lib.first.addDays(7 * w);
        sjis::saveLines(
            m_lib.data + u'/' + date.toString(QStringLiteral("yyyyMMdd")) + QStringLiteral(".txt"), lines);
    }
}

GeneratedLibrary Generator::run() {
    for (int i = 0; i < 260; ++i) {
        Artist a = newArtist();
        bool known = false;
        for (const Artist &o : m_artists) known = known || o.id == a.id;
        if (!known) m_artists << a;
    }
    QSet<QString> keys;
    const int weeksSpan = std::max(10, m_options.songs * 6 / 90);
    while (m_songs.size() < m_options.songs) {
        Song s;
        const int kind = pick(100);
        if (kind < 4 && !m_songs.isEmpty()) {  // the same title, another artist
            const Song &o = any(m_songs);
            s = o;
            s.joiner.clear();
            s.a = newArtist();
            if (o.a.person() && chance(0.6)) {
                s.a = o.a;
                while (s.a.given == o.a.given) s.a.given = any(kGiven);
                s.a.id = s.a.family + s.a.given;
            }
        } else if (kind < 6 && !m_songs.isEmpty()) {  // a sequel by the same artist
            s = any(m_songs);
            s.subtitle.clear();
            s.title += any(split(u" (Part 2)|2| II"));
        } else {
            s.a = m_artists[pick(std::min<qsizetype>(m_artists.size(), 20 + pick(m_artists.size())))];
            if (chance(0.12)) {
                do s.b = any(m_artists);
                while (s.b.id == s.a.id);
                s.joiner = any(split(u" feat. | with |×| & "));
            }
            s.title = newTitle(&s.latinTitle);
            if (!s.latinTitle && chance(0.12)) s.subtitle = any(kNouns) + u"の" + any(kKatakana);
        }
        s.wideTitle = s.latinTitle && chance(0.1);
        s.spaced = pick(4) == 0 ? 2 : pick(2);
        s.titleId = s.title + u'|' + s.subtitle;
        s.debut = pick(weeksSpan);
        s.weeks = 1 + pick(12);
        const QString key = sjis::toUnicode(sjis::normalizeTitle(sjis::fromUnicode(chartTitle(s)))) + u'\t' +
                            sjis::toUnicode(sjis::normalizeArtist(sjis::fromUnicode(chartArtist(s))));
        // One artist's titles differ by more than a "!".
        const QString titleArtist = QString(s.title).remove(u'!') + u'|' + s.a.id;
        if (keys.contains(key) || (s.joiner.isEmpty() && m_titleArtists.contains(titleArtist))) continue;
        keys.insert(key);
        GeneratedSong g;
        g.title = chartTitle(s);
        g.artist = chartArtist(s);
        g.key = {sjis::normalizeTitle(sjis::fromUnicode(g.title)),
                 sjis::normalizeArtist(sjis::fromUnicode(g.artist))};
        g.titleId = s.titleId;
        g.artistId = s.joiner.isEmpty() ? s.a.id : s.a.id + u'+' + s.b.id;
        g.collaboration = !s.joiner.isEmpty();
        m_songs << s;
        m_titles.insert(QString(s.title).remove(u'!'));
        m_titleArtists.insert(QString(s.title).remove(u'!') + u'|' + s.a.id);
        if (!s.joiner.isEmpty()) m_titleArtists.insert(QString(s.title).remove(u'!') + u'|' + s.b.id);
        m_lib.songs << g;
    }
    for (int i = 0; i < m_songs.size(); ++i) {
        const int own = pick(100);
        if (own < 62) {
            writePlainCopy(i);
            if (chance(0.12)) writePlainCopy(i);
            if (chance(0.25)) writeVariant(i);
            if (chance(0.04)) writeLeftOut(i, false);
        } else if (own < 70) {
            writeVariant(i);
            if (chance(0.3)) writeVariant(i);
        } else if (own < 75) {
            writeLeftOut(i, true);
        }
        // Songs of others and of the same artist that never charted.
        const Song &s = m_songs[i];
        Song cover = s;
        cover.joiner.clear();
        cover.a = newArtist();
        // A cover: the same title by someone else (who did not chart with it).
        if (chance(0.06) && !m_titleArtists.contains(QString(s.title).remove(u'!') + u'|' + cover.a.id)) {
            const QString path = unique(m_lib.music + QStringLiteral("/Covers/") + safeName(cover.a.id) +
                                        u'/' + safeName(s.title) + QStringLiteral(".mp3"));
            if (!writeSilentMp3(path, 4) || !writeTags(path, chartTitle(s), artistText(cover.a, 1)))
                qFatal("cannot write %s", qPrintable(path));
            addFile(path, -1, false, {}, &cover);
        }
        if (chance(0.03)) {  // an uncharted sequel
            Song sequel = s;
            sequel.subtitle.clear();
            // The part after any the chart holds.
            sequel.title += any(split(u" (Part 4)|4| IV"));
            sequel.titleId = sequel.title + u'|';
            const QString path = unique(m_lib.music + u'/' + safeName(artistText(s.a, 0)) + u'/' +
                                        safeName(sequel.title) + QStringLiteral(".mp3"));
            if (!writeSilentMp3(path, 4) || !writeTags(path, sequel.title, chartArtist(s)))
                qFatal("cannot write %s", qPrintable(path));
            addFile(path, -1, false, {}, &sequel);
        }
        for (int t = chance(0.35) ? 1 + pick(2) : 0; t > 0; --t) {  // album tracks
            Song track = s;
            track.subtitle.clear();
            // Another song: no charted title.
            do track.title = newTitle(&track.latinTitle);
            while (m_titles.contains(QString(track.title).remove(u'!')));
            track.titleId = track.title + QStringLiteral("|track");
            const QString path =
                unique(m_lib.music + u'/' + safeName(artistText(s.a, 1)) + u'/' + any(kAlbumWords) + u'/' +
                       safeName(track.title) + QStringLiteral(".mp3"));
            if (!writeSilentMp3(path, 4) || !writeTags(path, track.title, chartArtist(s)))
                qFatal("cannot write %s", qPrintable(path));
            addFile(path, -1, false, {}, &track);
        }
    }
    // Other files of a music folder: a playlist, a cover image, a text.
    for (const char *other : {"Singles/cover.jpg", "Misc/playlist.m3u", "Incoming/readme.txt"}) {
        QFile f(m_lib.music + u'/' + QString::fromLatin1(other));
        QDir().mkpath(QFileInfo(f).path());
        if (f.open(QIODevice::WriteOnly)) f.write("not music\n");
    }
    writeCharts();
    return m_lib;
}

}  // namespace

GeneratedLibrary generateLibrary(const QString &dir, const LibraryGenOptions &options) {
    return Generator(dir, options).run();
}

}  // namespace vorq::test
