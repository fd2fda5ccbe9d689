// How well `vorq scan` matches a realistic library: generates one with its
// charts and ground truth (tests/support/librarygen), runs a vorq program's
// `scan --json` and `scan --apply` on it at the default threshold, reads
// back the file.idx it stored and prints:
//   precision        right files among the songs given one
//   found            songs owning a right copy that were given one
//   collab sure      collaborations tagged exactly as the chart, proposed sure
//   variant>plain    songs owning a plain copy and a version, given the version
//   no copy given    songs owning no copy at all (left-out files aside), given a file
//   variant only     songs owning only another version, given it
//   other artist     files of another artist's same-titled song given to a song
// Any vorq can be measured (--vorq), so the figures of two builds compare.
//
//   vorq-library-quality [--vorq PATH] [--songs N] [--seed S] [--keep DIR] [--misses]
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "core/text/sjistext.h"
#include "librarygen.h"

using namespace vorq;
using namespace vorq::test;

namespace {

QByteArray runVorq(const QString &vorq, const QStringList &args, const QString &home) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), home);
    env.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/share"));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
    p.setProcessEnvironment(env);
    p.start(vorq, args);
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(vorq), p.readAllStandardError().constData());
        std::exit(1);
    }
    return p.readAllStandardOutput();
}

QString songText(const SongKey &k) {
    return sjis::toUnicode(k.title) + QStringLiteral(" / ") + sjis::toUnicode(k.artist);
}

double share(int part, int whole) { return whole ? double(part) / whole : 0.0; }

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    QString vorq = QStringLiteral(VORQ_BINARY_DIR "/src/app/vorq"), keep;
    LibraryGenOptions options;
    bool misses = false;
    const QStringList args = app.arguments();
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args[i];
        auto next = [&] { return i + 1 < args.size() ? args[++i] : QString(); };
        if (a == QStringLiteral("--vorq"))
            vorq = next();
        else if (a == QStringLiteral("--songs"))
            options.songs = next().toInt();
        else if (a == QStringLiteral("--seed"))
            options.seed = next().toUInt();
        else if (a == QStringLiteral("--keep"))
            keep = next();
        else if (a == QStringLiteral("--misses"))
            misses = true;
        else {
            std::fprintf(
                stderr,
                "usage: vorq-library-quality [--vorq PATH] [--songs N] [--seed S] [--keep DIR] [--misses]\n");
            return 2;
        }
    }
    QTemporaryDir scratch;
    const QString dir = keep.isEmpty() ? scratch.path() : keep;
    QDir(dir).removeRecursively();
    QDir().mkpath(dir);
    const GeneratedLibrary lib = generateLibrary(dir, options);
    // vorq names files by their canonical paths.
    const QString music = QFileInfo(lib.music).canonicalFilePath();
    QHash<QString, const GeneratedFile *> files;
    for (const GeneratedFile &f : lib.files) files.insert(music + f.path.mid(lib.music.size()), &f);
    QHash<SongKey, const GeneratedSong *> songs;
    for (const GeneratedSong &s : lib.songs) songs.insert(s.key, &s);
    auto canonical = [&](const QStringList &paths) {
        QSet<QString> out;
        for (const QString &p : paths) out.insert(music + p.mid(lib.music.size()));
        return out;
    };

    const QStringList common{QStringLiteral("scan"),
                             QStringLiteral("--folder"),
                             lib.music,
                             QStringLiteral("--data"),
                             lib.data,
                             QStringLiteral("--from"),
                             lib.first.toString(Qt::ISODate),
                             QStringLiteral("--to"),
                             lib.last.toString(Qt::ISODate),
                             QStringLiteral("--today"),
                             lib.last.addDays(7).toString(Qt::ISODate),
                             QStringLiteral("--cache"),
                             dir + QStringLiteral("/cache.txt")};
    const QJsonDocument json =
        QJsonDocument::fromJson(runVorq(vorq, common + QStringList{QStringLiteral("--json")}, dir));
    // An array of proposals, or {"proposals": [...], "left_out": [...]}.
    const QJsonArray proposals =
        json.isArray() ? json.array() : json.object().value(QStringLiteral("proposals")).toArray();
    QHash<QString, QJsonObject> bestProposal;  // "title / artist" -> its first proposal
    for (const QJsonValue &v : proposals) {
        const QJsonObject o = v.toObject();
        const QString key = o.value(QStringLiteral("title")).toString() + QStringLiteral(" / ") +
                            o.value(QStringLiteral("artist")).toString();
        if (!bestProposal.contains(key)) bestProposal.insert(key, o);
    }
    runVorq(vorq, common + QStringList{QStringLiteral("--apply")}, dir);

    // What --apply stored: file.idx keys back to the chart rows' songs.
    QHash<QByteArray, SongKey> rowSong;
    for (const QFileInfo &chart : QDir(lib.data).entryInfoList({QStringLiteral("*.txt")}, QDir::Files)) {
        if (!chart.fileName().at(0).isDigit()) continue;
        for (const QByteArray &line : sjis::readLines(chart.filePath())) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() < 3) continue;
            const QByteArray key =
                chart.completeBaseName().toLatin1() + QByteArray::number(f[0].toInt()).rightJustified(3, '0');
            rowSong.insert(key, {sjis::normalizeTitle(f[1]), sjis::normalizeArtist(f[2])});
        }
    }
    QHash<SongKey, QString> applied;
    if (QFile::exists(lib.data + QStringLiteral("/file.idx")))
        for (const QByteArray &line : sjis::readLines(lib.data + QStringLiteral("/file.idx"))) {
            const QList<QByteArray> f = line.split('\t');
            if (f.size() >= 2 && rowSong.contains(f[0])) applied.insert(rowSong[f[0]], sjis::toUnicode(f[1]));
        }

    int appliedCount = 0, right = 0, owning = 0, found = 0, collabs = 0, collabsSure = 0, both = 0,
        variantOverPlain = 0, none = 0, noneGiven = 0, variantOnly = 0, variantOnlyGiven = 0, otherArtist = 0;
    QStringList missLines;
    for (const GeneratedSong &s : lib.songs) {
        const QSet<QString> plain = canonical(s.plainFiles), variants = canonical(s.variantFiles);
        const QString got = applied.value(s.key);
        const QString name = songText(s.key);
        if (!got.isEmpty()) {
            ++appliedCount;
            if (plain.contains(got)) ++right;
            const GeneratedFile *f = files.value(got);
            if (f && f->titleId == s.titleId && f->artistId != s.artistId) ++otherArtist;
            if (!plain.contains(got) && misses)
                missLines << QStringLiteral("WRONG %1 <- %2%3")
                                 .arg(name, got,
                                      variants.contains(got) ? QStringLiteral(" (variant)") : QString());
        }
        if (!plain.isEmpty()) {
            ++owning;
            if (plain.contains(got))
                ++found;
            else if (misses && got.isEmpty())
                missLines << QStringLiteral("MISSED %1 : %2 [best: %3]")
                                 .arg(name, QStringList(plain.values()).join(QStringLiteral(" | ")),
                                      QString::fromUtf8(QJsonDocument(bestProposal.value(name))
                                                            .toJson(QJsonDocument::Compact)));
            if (!variants.isEmpty()) {
                ++both;
                if (variants.contains(got)) ++variantOverPlain;
            }
        } else if (!variants.isEmpty()) {
            ++variantOnly;
            if (!got.isEmpty()) ++variantOnlyGiven;
        } else {
            ++none;
            if (!got.isEmpty()) ++noneGiven;
        }
        if (s.collaboration && !s.exactTagFiles.isEmpty()) {
            ++collabs;
            const QJsonObject p = bestProposal.value(name);
            if (p.value(QStringLiteral("sure")).toBool() &&
                plain.contains(p.value(QStringLiteral("file")).toString()))
                ++collabsSure;
            else if (misses)
                missLines << QStringLiteral("COLLAB %1 : %2")
                                 .arg(name,
                                      QString::fromUtf8(QJsonDocument(p).toJson(QJsonDocument::Compact)));
        }
    }
    int leftOut = 0;
    for (const GeneratedFile &f : lib.files) leftOut += f.leftOut.isEmpty() ? 0 : 1;
    for (const QString &l : missLines) std::printf("%s\n", qPrintable(l));
    std::printf("library: %lld charted songs, %lld music files (%d to be left out), weeks %s to %s\n",
                qlonglong(lib.songs.size()), qlonglong(lib.files.size()), leftOut,
                qPrintable(lib.first.toString(Qt::ISODate)), qPrintable(lib.last.toString(Qt::ISODate)));
    std::printf("vorq: %s\n", qPrintable(vorq));
    std::printf("precision      %.3f  (%d right of %d songs given a file)\n", share(right, appliedCount),
                right, appliedCount);
    std::printf("found          %.3f  (%d of %d songs owning a right copy)\n", share(found, owning), found,
                owning);
    std::printf("collab sure    %.3f  (%d of %d collaborations tagged as the chart)\n",
                share(collabsSure, collabs), collabsSure, collabs);
    std::printf("variant>plain  %.3f  (%d of %d songs owning both)\n", share(variantOverPlain, both),
                variantOverPlain, both);
    std::printf("no copy given  %.3f  (%d of %d songs owning no copy)\n", share(noneGiven, none), noneGiven,
                none);
    std::printf("variant only   %.3f  (%d of %d songs owning only another version)\n",
                share(variantOnlyGiven, variantOnly), variantOnlyGiven, variantOnly);
    std::printf("other artist   %d\n", otherArtist);
    return 0;
}
