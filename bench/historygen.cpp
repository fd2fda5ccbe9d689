#include "historygen.h"

#include <QDir>
#include <QList>
#include <algorithm>
#include <random>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/charts/chartstore.h"
#include "core/text/sjistext.h"

namespace vorq::bench {

namespace {

using Rng = std::mt19937_64;

// Uniform in [0, n); modulo keeps the output the same across libraries.
int pick(Rng &rng, int n) { return static_cast<int>(rng() % static_cast<quint64>(n)); }

QByteArray sjisOf(const char *utf8) { return sjis::fromUnicode(QString::fromUtf8(utf8)); }

// Word stock for names. Shift-JIS representable by construction.
const char *const kFamily[] = {"山田", "佐藤", "鈴木", "高橋", "田中", "渡辺", "伊藤",
                               "中村", "小林", "加藤", "吉田", "山本", "松本", "井上",
                               "木村", "林",   "清水", "森",   "池田", "橋本"};
const char *const kGiven[] = {"太郎",   "花子",   "美穂", "健一", "由美",   "直樹", "さくら",
                              "あゆみ", "翔",     "舞",   "浩二", "真理子", "大輔", "恵",
                              "剛",     "ひとみ", "拓也", "明菜", "聖子",   "光"};
const char *const kBandJa[] = {"スピッツ", "ミスチル",     "ドリカム", "サザン",    "ラルク",
                               "グレイ",   "ジュディマリ", "エレカシ", "くるり",    "いきものがかり",
                               "ゆず",     "コブクロ",     "ポルノ",   "ケツメイシ"};
const char *const kLatin[] = {"SAMPLES", "STARS",  "BLUE",  "NIGHT", "DREAM", "LOVE",  "CITY", "RIVER",
                              "MOON",    "SUMMER", "WINGS", "HEART", "FIRE",  "ANGEL", "ROSE", "WAVE"};
const char *const kTitleJa[] = {"夏の",   "青い",       "君と",       "さよなら",   "ありがとう", "永遠の",
                                "恋する", "僕らの",     "涙の",       "星空の",     "風の",       "桜",
                                "花火",   "約束",       "未来",       "奇跡",       "空",         "海",
                                "雪",     "ラブソング", "メロディー", "ストーリー", "トレイン",   "ハート"};
const char *const kTitleEn[] = {"Love",     "Song",    "Forever",  "Tomorrow",   "Dream",
                                "Shine",    "Believe", "Smile",    "Sky",        "Time",
                                "Memories", "Destiny", "Paradise", "Wonderland", "Story"};

template <size_t N>
const char *any(Rng &rng, const char *const (&words)[N]) {
    return words[pick(rng, static_cast<int>(N))];
}

// Full-width form of ASCII letters and digits (what the normalisation folds).
QString fullWidth(const QString &ascii) {
    QString out;
    for (QChar c : ascii) {
        if (c == QLatin1Char(' '))
            out += QChar(0x3000);
        else if (c.unicode() > 0x20 && c.unicode() < 0x7F)
            out += QChar(c.unicode() - 0x20 + 0xFF00);
        else
            out += c;
    }
    return out;
}

QByteArray makeArtist(Rng &rng, int serial) {
    switch (pick(rng, 6)) {
        case 0:  // Japanese name with a space between family and given name
            return sjisOf(any(rng, kFamily)) + ' ' + sjisOf(any(rng, kGiven));
        case 1:  // with an ideographic space
            return sjisOf(any(rng, kFamily)) + sjisOf("　") + sjisOf(any(rng, kGiven));
        case 2:  // full-width Latin band name
            return sjis::fromUnicode(fullWidth(QStringLiteral("THE ") + QLatin1String(any(rng, kLatin))));
        case 3:  // Latin name with spaces
            return QByteArray(any(rng, kLatin)) + ' ' + QByteArray(any(rng, kLatin)) + ' ' +
                   QByteArray::number(serial % 100);
        default:  // Japanese band name
            return sjisOf(any(rng, kBandJa)) + QByteArray::number(serial % 50);
    }
}

QByteArray makeTitle(Rng &rng, int serial) {
    switch (pick(rng, 4)) {
        case 0: return sjisOf(any(rng, kTitleJa)) + sjisOf(any(rng, kTitleJa));
        case 1:  // with full-width digits and letters
            return sjisOf(any(rng, kTitleJa)) +
                   sjis::fromUnicode(fullWidth(QString::number(serial % 1000) + QStringLiteral(" VER")));
        case 2: return QByteArray(any(rng, kTitleEn)) + ' ' + QByteArray(any(rng, kTitleEn));
        default:
            return sjisOf(any(rng, kTitleJa)) + ' ' + QByteArray(any(rng, kTitleEn)) + ' ' +
                   QByteArray::number(serial % 7);
    }
}

struct Song {
    QByteArray title, artist;
};

struct Placed {
    int song;
    double strength;
    int weeksLeft;
};

}  // namespace

HistoryStats generateHistory(const QString &folderIn, const HistoryOptions &options) {
    HistoryStats stats;
    QString folder = folderIn;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    if (!QDir().mkpath(folder)) throw FileError(QStringLiteral("cannot create %1").arg(folder));
    const QDate today = options.today.isValid() ? options.today : env::today();
    Rng rng(options.seed);

    // Artists keep several songs; songs return to the chart now and then.
    QList<QByteArray> artists;
    for (int i = 0; i < 2500; ++i) artists.append(makeArtist(rng, i));
    QList<Song> songs;
    QList<Placed> chart;
    QList<int> dropped;  // songs that left the chart, candidates for a re-entry

    QList<QByteArray> notFound;
    QList<QByteArray> index;  // newest first, as the program writes it
    QList<QList<QByteArray>> indexByWeek;
    int serial = 0;
    int week = 0;
    for (QDate d = firstBroadcastDate(); d < today; d = d.addDays(7), ++week) {
        // The chart moves on: strengths fade, old songs leave, new ones enter.
        for (Placed &p : chart) {
            p.strength *= 0.85 + 0.1 * (pick(rng, 1000) / 1000.0);
            --p.weeksLeft;
        }
        for (qsizetype i = chart.size() - 1; i >= 0; --i) {
            if (chart.at(i).weeksLeft <= 0) {
                dropped.append(chart.at(i).song);
                chart.removeAt(i);
            }
        }
        while (chart.size() < options.rowsPerWeek) {
            Placed p;
            if (!dropped.isEmpty() && pick(rng, 10) == 0) {
                const int at = pick(rng, static_cast<int>(dropped.size()));
                p.song = dropped.at(at);
                dropped.removeAt(at);
            } else {
                p.song = static_cast<int>(songs.size());
                songs.append(
                    {makeTitle(rng, serial), artists.at(pick(rng, static_cast<int>(artists.size())))});
                ++serial;
            }
            p.strength = 1.0 + pick(rng, 1000) / 10.0;
            p.weeksLeft = 2 + pick(rng, 14);
            chart.append(p);
        }
        if (dropped.size() > 5000) dropped.remove(0, dropped.size() - 5000);
        std::sort(chart.begin(), chart.end(),
                  [](const Placed &a, const Placed &b) { return a.strength > b.strength; });

        const QByteArray label = dateLabel(d);
        if (options.notFoundEvery > 0 && week % options.notFoundEvery == options.notFoundEvery - 1) {
            notFound.append(label);
            continue;
        }
        if (options.missingEvery > 0 && week % options.missingEvery == options.missingEvery - 1) continue;

        QList<QByteArray> lines;
        QList<QByteArray> assoc;
        lines.reserve(chart.size());
        for (qsizetype r = 0; r < chart.size(); ++r) {
            const Song &s = songs.at(chart.at(r).song);
            const QByteArray rank = QByteArray::number(r + 1);
            lines.append(rank + '\t' + s.title + '\t' + s.artist);
            if (pick(rng, 2) == 0) {
                const QByteArray key = dateKey(d) + QByteArray::number(r + 1).rightJustified(3, '0');
                const int kind = pick(rng, 20);
                QByteArray target, method;
                if (kind == 0) {
                    target = "http://www.vorq.example/song/" + QByteArray::number(chart.at(r).song);
                } else {
                    target = "/home/user/music/" + s.artist + '/' + s.title + ".mp3";
                    if (kind == 1) method = "print";
                }
                assoc.append(key + '\t' + target + '\t' + method);
            }
        }
        const QString file = folder + QString::fromLatin1(dateKey(d)) + QStringLiteral(".txt");
        sjis::saveLines(file, lines);
        stats.charts += 1;
        stats.rows += lines.size();
        stats.bytes += sjis::joinLines(lines).size();
        stats.associations += assoc.size();
        indexByWeek.append(std::move(assoc));
    }
    for (qsizetype w = indexByWeek.size() - 1; w >= 0; --w) index += indexByWeek.at(w);
    sjis::saveLines(folder + QStringLiteral("notfound.txt"), notFound);
    sjis::saveLines(folder + QStringLiteral("file.idx"), index);
    stats.notFound = static_cast<int>(notFound.size());
    return stats;
}

QDate lastBroadcastBefore(const QDate &today) {
    QDate last = firstBroadcastDate();
    while (last.addDays(7) < today) last = last.addDays(7);
    return last;
}

HistoryStats generateAndLoad(const QString &folder, ChartStore &store, const QDate &today) {
    const HistoryStats stats = generateHistory(folder, {.today = today});
    store.dataFolder = sjis::fromUnicode(folder + QLatin1Char('/'));
    store.fullLoad(dateLabel(firstBroadcastDate()), dateLabel(lastBroadcastBefore(today)));
    return stats;
}

}  // namespace vorq::bench
