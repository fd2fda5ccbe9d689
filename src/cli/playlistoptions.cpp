#include "cli/playlistoptions.h"

#include "cli/clicommon.h"
#include "core/playlist/playlistwriter.h"

namespace vorq::cli {

PlaylistFormatOption takePlaylistFormatOption(QStringList &args) {
    PlaylistFormatOption out;
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (a == QLatin1String("--relative")) {
            out.relative = out.given = true;
        } else if (a == QLatin1String("--format") || a.startsWith(QLatin1String("--format="))) {
            if (a == QLatin1String("--format")) {
                if (++i >= args.size()) throw UsageError(QStringLiteral("--format needs a value"));
                out.format = args.at(i);
            } else {
                out.format = a.mid(9);
            }
            if (!isPlaylistFormatName(out.format))
                throw UsageError(QStringLiteral("--format takes m3u, m3u8 or xspf, not %1").arg(out.format));
            out.given = true;
        } else {
            rest << a;
        }
    }
    args = rest;
    return out;
}

}  // namespace vorq::cli
