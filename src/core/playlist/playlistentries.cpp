#include "core/playlist/playlistentries.h"

#include <QHash>

#include "core/lists/listoutput.h"

namespace vorq {

namespace {

PlaylistEntry entryOf(const ResultRow &r, const QByteArray &path) {
    return PlaylistEntry::fromSjis(path, r.text(ResultRow::Title), r.text(ResultRow::Artist));
}

}  // namespace

QList<PlaylistEntry> playlistEntries(const ResultList &rows, qint64 count) {
    QList<const ResultRow *> withFile;
    for (const ResultRow &r : rows)
        if (!r.text(ResultRow::File).isEmpty()) withFile.append(&r);
    QList<PlaylistEntry> out;
    if (count <= 0 || withFile.isEmpty()) return out;
    // Decode each row once, however often the wrap-around repeats it.
    QList<PlaylistEntry> once;
    once.reserve(withFile.size());
    for (const ResultRow *r : withFile) once.append(entryOf(*r, r->text(ResultRow::File)));
    out.reserve(qsizetype(count));
    for (qint64 k = 0; k < count; ++k) out.append(once.at(qsizetype(k % once.size())));
    return out;
}

QList<PlaylistEntry> playlistCopyEntries(const ResultList &rows, const PlaylistCopy &copy) {
    QHash<QByteArray, const ResultRow *> firstRow;
    for (const ResultRow &r : rows)
        if (!r.text(ResultRow::File).isEmpty() && !firstRow.contains(r.text(ResultRow::File)))
            firstRow.insert(r.text(ResultRow::File), &r);
    QList<PlaylistEntry> out;
    for (qsizetype i = 0; i < copy.sources.size() && i < copy.lines.size(); ++i) {
        const ResultRow *r = firstRow.value(copy.sources.at(i));
        out.append(r ? entryOf(*r, copy.lines.at(i)) : PlaylistEntry::fromSjis(copy.lines.at(i), {}, {}));
    }
    return out;
}

QString extendedPlaylistFilter(const QString &designedFilter) {
    return designedFilter + QStringLiteral(";;") + playlistFormatFilter(PlaylistFormat::M3u8) +
           QStringLiteral(";;") + playlistFormatFilter(PlaylistFormat::Xspf);
}

bool isPlaylistFormatName(const QString &name) {
    return name == QLatin1String("m3u") || playlistFormatByName(name).has_value();
}

void saveResultPlaylist(const QString &fileName, const ResultList &rows, qint64 count,
                        const QString &formatName, bool relative) {
    const auto format =
        formatName.isEmpty() ? playlistFormatForFileName(fileName) : playlistFormatByName(formatName);
    if (!format) {
        savePlaylist(fileName, rows, count);
        return;
    }
    PlaylistOptions options;
    options.relativePaths = relative;
    savePlaylist(fileName, *format, playlistEntries(rows, count), options);
}

}  // namespace vorq
