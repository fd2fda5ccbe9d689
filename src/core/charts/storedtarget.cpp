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
    return StoredTargetResolver(programFolder, exists).resolve(stored);
}

StoredTarget resolveStoredTarget(const QByteArray &stored, const LocalExists &exists) {
    return StoredTargetResolver(QString(), exists).resolve(stored);
}

StoredTargetResolver::StoredTargetResolver(const QString &programFolder, LocalExists exists)
    : m_programFolder(programFolder),
      m_programFolderGiven(!programFolder.isEmpty()),
      m_current(QDir::current()),
      m_exists(std::move(exists)) {}

QString StoredTargetResolver::mediumRootPath() {
    if (!m_mediumRootKnown) {
        // Only a medium-rooted text needs the program folder (and may fail
        // to name it); the others resolve without.
        const QString folder = m_programFolderGiven ? m_programFolder : sjis::path(env::programFolder());
        m_mediumRoot = mediumRoot(folder);
        m_mediumRootKnown = true;
    }
    return m_mediumRoot;
}

StoredTarget StoredTargetResolver::resolve(const QByteArray &stored) {
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
        path = resolveUnderRoot(sjis::path(stored), mediumRootPath());
        if (path.isEmpty()) return t;  // leaves the medium: not a file for us
    } else {
        t.kind = StoredTarget::Kind::Local;
        path = sjis::path(stored);
    }
    t.localPath = QDir::cleanPath(m_current.absoluteFilePath(path));
    t.exists = testLocal(t.localPath);
    return t;
}

bool StoredTargetResolver::testLocal(const QString &path) {
    ++m_tests;
    return m_exists ? m_exists(path) : QFileInfo::exists(path);
}

bool StoredTargetResolver::exists(const QByteArray &stored) {
    if (stored.isEmpty()) return false;
    if (isWebTarget(stored)) return true;
    QString path;
    if (isMediumRooted(stored)) {
        path = resolveUnderRoot(sjis::path(stored), mediumRootPath());
        if (path.isEmpty()) return false;
    } else {
        path = sjis::path(stored);
    }
    path = QDir::cleanPath(m_current.absoluteFilePath(path));
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return (slash <= 0 || folderExists(path.left(slash))) && testLocal(path);
}

// Nothing lies below a folder that is not there: its parent is asked first,
// so a whole tree gone costs one test at its top.
bool StoredTargetResolver::folderExists(const QString &folder) {
    const auto known = m_folders.find(folder);
    if (known != m_folders.end()) return known->second;
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    const bool e = (slash <= 0 || folderExists(folder.left(slash))) && testLocal(folder);
    m_folders.emplace(folder, e);
    return e;
}

}  // namespace vorq
