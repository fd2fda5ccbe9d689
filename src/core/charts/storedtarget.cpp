#include "core/charts/storedtarget.h"

#include <QDir>
#include <QFileInfo>

#include "core/base/appenv.h"
#include "core/charts/chartstore.h"
#include "core/charts/mediumpath.h"
#include "core/text/sjistext.h"

namespace vorq {

QString StoredTarget::displayText() const {
    return localPath.isEmpty() ? sjis::toUnicode(stored) : localPath;
}

StoredTarget resolveStoredTarget(const QByteArray &stored, const QString &programFolder,
                                 const LocalExists &exists) {
    StoredTarget t;
    t.stored = stored;
    if (stored.isEmpty()) return t;
    if (isWebTarget(stored)) {
        t.kind = StoredTarget::Kind::Web;
        t.exists = true;
        return t;
    }
    QString path;
    if (isMediumRooted(stored)) {
        t.kind = StoredTarget::Kind::MediumRooted;
        path = resolveAssociatedPath(stored, programFolder);
        if (path.isEmpty()) return t;  // leaves the medium: not a file for us
    } else {
        t.kind = StoredTarget::Kind::Local;
        path = sjis::path(stored);
    }
    t.localPath = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    t.exists = exists ? exists(t.localPath) : QFileInfo::exists(t.localPath);
    return t;
}

StoredTarget resolveStoredTarget(const QByteArray &stored, const LocalExists &exists) {
    // Only a medium-rooted text needs the program folder (and may fail to
    // name it); the others resolve without.
    const QString folder = isMediumRooted(stored) ? sjis::path(env::programFolder()) : QString();
    return resolveStoredTarget(stored, folder, exists);
}

}  // namespace vorq
