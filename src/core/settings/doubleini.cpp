#include "core/settings/doubleini.h"

#include <sys/statvfs.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStorageInfo>
#include <QUuid>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/settings/settingstable.h"
#include "core/text/sjistext.h"

namespace vorq {

namespace {

QByteArray g_baseName;
QByteArray g_localDataFolder;
MountLookup g_mountLookup;

QByteArray withSlash(QByteArray s) {
    if (!s.endsWith('/')) s += '/';
    return s;
}

QByteArray encodePath(const QString &path) {
    QByteArray out;
    return sjis::tryFromUnicode(path, &out) ? out : QByteArray();
}

QByteArray hexDigits(const QByteArray &s) {
    QByteArray out;
    for (char c : s)
        if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')) out += c;
    return out.toUpper();
}

// The file system's UUID from /dev/disk/by-uuid, else the statvfs id.
QByteArray volumeIdOf(const QStorageInfo &storage, const QString &path) {
    const QString device = QFileInfo(QString::fromLocal8Bit(storage.device())).canonicalFilePath();
    if (!device.isEmpty()) {
        QDir byUuid(QStringLiteral("/dev/disk/by-uuid"));
        const QFileInfoList links = byUuid.entryInfoList(QDir::Files | QDir::System | QDir::NoDotAndDotDot);
        for (const QFileInfo &link : links) {
            if (link.canonicalFilePath() == device) {
                const QByteArray id = hexDigits(link.fileName().toLatin1());
                if (!id.isEmpty()) return id;
            }
        }
    }
    struct statvfs st {};
    if (::statvfs(QFile::encodeName(path).constData(), &st) == 0)
        return QByteArray::number(quint64(st.f_fsid), 16).toUpper();
    return QByteArray();
}

bool blockDeviceRemovable(const QByteArray &device) {
    const QString name = QFileInfo(QFileInfo(QString::fromLocal8Bit(device)).canonicalFilePath()).fileName();
    if (name.isEmpty()) return false;
    // A partition's sysfs folder lies inside its disk's folder.
    const QString sys = QFileInfo(QStringLiteral("/sys/class/block/") + name).canonicalFilePath();
    for (const QString &dir : {sys, QFileInfo(sys).path()}) {
        QFile f(dir + QStringLiteral("/removable"));
        if (f.open(QIODevice::ReadOnly)) return f.readAll().trimmed() == "1";
    }
    return false;
}

MountInfo realMountOf(const QByteArray &path) {
    const QString p = sjis::path(path);
    QStorageInfo storage(p);
    MountInfo m;
    if (!storage.isValid()) return m;
    m.mountPoint = encodePath(storage.rootPath());
    const QByteArray type = storage.fileSystemType().toLower();
    m.removable = type == "iso9660" || type == "udf" || blockDeviceRemovable(storage.device());
    if (m.removable) m.volumeId = volumeIdOf(storage, p);
    return m;
}

// QSaveFile writes a temporary file beside the target, so the folder must
// be writable as well as an existing file.
bool canWriteFile(const QByteArray &file) {
    const qsizetype slash = file.lastIndexOf('/');
    const QString folder = sjis::path(slash >= 0 ? file.left(slash + 1) : QByteArray("./"));
    if (!QFileInfo(folder).isDir() || ::access(QFile::encodeName(folder).constData(), W_OK) != 0)
        return false;
    const QString path = sjis::path(file);
    return !QFileInfo::exists(path) || ::access(QFile::encodeName(path).constData(), W_OK) == 0;
}

// A folder the package manager owns (/usr/bin of an installed package):
// settings written there, by root, would outlive the package's removal.
bool isSystemProgramFolder(const QByteArray &folder) {
    for (const char *prefix : {"/usr/", "/bin/", "/sbin/"})
        if (folder.startsWith(prefix)) return true;
    return false;
}

QByteArray newGuidText() {
    const QUuid id = QUuid::createUuid();
    if (id.isNull()) return QByteArray();
    return id.toByteArray(QUuid::WithBraces).toUpper();
}

}  // namespace

namespace env {

QByteArray programBaseName() {
    if (!g_baseName.isEmpty()) return g_baseName;
    const QByteArray name = encodePath(QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName());
    return name.isEmpty() ? QByteArray("vorqview") : name;
}
void setProgramBaseName(const QByteArray &name) { g_baseName = name; }

QByteArray localDataFolder() {
    if (!g_localDataFolder.isEmpty()) return withSlash(g_localDataFolder);
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!data.isEmpty()) return folderBytes(data, FolderKind::UserData);
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!docs.isEmpty()) return folderBytes(docs, FolderKind::UserData) + "Setting Files/";
    return folderBytes(QDir::homePath(), FolderKind::UserData);
}
void setLocalDataFolder(const QByteArray &folder) { g_localDataFolder = folder; }

QString folderProblem() {
    try {
        programFolder();
        localDataFolder();
    } catch (const EncodingError &e) {
        return e.message();
    }
    return {};
}

MountInfo mountOf(const QByteArray &path) { return g_mountLookup ? g_mountLookup(path) : realMountOf(path); }
void setMountLookup(MountLookup lookup) { g_mountLookup = std::move(lookup); }

}  // namespace env

QByteArray GetUserSettingsFolder(const QByteArray &baseName) {
    return env::localDataFolder() + "Brelon/" + baseName + '/';
}

bool IsRemovableDrive(const QByteArray &path) { return env::mountOf(path).removable; }

QByteArray GetLocationKey(const QByteArray &programFolder) {
    const QByteArray folder = withSlash(programFolder);
    const MountInfo m = env::mountOf(folder);
    if (!m.removable) return folder;
    QByteArray id = m.volumeId.isEmpty() ? QByteArray("0") : m.volumeId;
    while (id.size() < 4) id.prepend('0');
    QByteArray mount = m.mountPoint;
    while (mount.endsWith('/')) mount.chop(1);
    QByteArray rest = folder.startsWith(QByteArray(mount + '/')) ? folder.mid(mount.size()) : folder;
    return '<' + id + '>' + rest;
}

// ---- TDoubleIniFile ------------------------------------------------------------

TDoubleIniFile::TDoubleIniFile(const QByteArray &baseName, Access access)
    : TMyMemIniFile(GetUserSettingsFolder(baseName) + baseName + ".ini"),
      m_baseName(baseName),
      m_programFolder(withSlash(env::programFolder())),
      m_userFolder(GetUserSettingsFolder(baseName)),
      m_access(access) {
    FLocatorPath = fileName();
    FLocationKey = GetLocationKey(m_programFolder);
    FWriteablePath.clear();
    FReadOnlyPath.clear();
    FWriteMode = -1;
    FLocatorWrite = false;
    GetIniPathReadOnly();
    GetIniPathWriteable();
    LoadWriteMode();
}

TDoubleIniFile::~TDoubleIniFile() {
    FReadOnlyIni.reset();
    FWriteableIni.reset();
}

QByteArray TDoubleIniFile::besideProgram() const { return m_programFolder + m_baseName + ".ini"; }

void TDoubleIniFile::locatorWrite(const QByteArray &key, const QByteArray &value) {
    FLocatorWrite = true;
    try {
        WriteString(FLocationKey, key, value);
    } catch (const Error &) {
        // The bookkeeping is best effort: the value stays in memory, and the
        // settings themselves can still be read and written.
    }
    FLocatorWrite = false;
}

void TDoubleIniFile::GetIniPathReadOnly() { OpenReadOnly(); }

void TDoubleIniFile::OpenReadOnly() {
    FReadOnlyPath = ReadString(FLocationKey, "IniPathReadOnly", QByteArray());
    if (FReadOnlyPath.isEmpty()) FReadOnlyPath = besideProgram();
    locatorWrite("IniPathReadOnly", FReadOnlyPath);
    FReadOnlyIni = std::make_unique<TMyMemIniFile>(FReadOnlyPath);
}

void TDoubleIniFile::GetIniPathWriteable() {
    FWriteablePath = ReadString(FLocationKey, "IniPathWriteable", QByteArray());
    OpenWriteable();
}

void TDoubleIniFile::SetIniPathWriteable(const QByteArray &path) {
    FWriteablePath = path;
    OpenWriteable();
}

void TDoubleIniFile::OpenWriteable() {
    if (FWriteablePath.isEmpty()) FWriteablePath = ReadString(FLocationKey, "IniPathWriteable", QByteArray());
    if (FWriteablePath.isEmpty()) {
        if (FWriteMode == 1) {
            const QByteArray guid = newGuidText();
            if (!guid.isEmpty()) FWriteablePath = m_userFolder + guid + '/' + m_baseName + ".ini";
        } else if (FWriteMode == 0) {
            // An installed program's folder is usually not writable; its
            // settings then go to a folder of their own under the user
            // settings folder instead of being lost.
            if (!isSystemProgramFolder(m_programFolder) && canWriteFile(besideProgram())) {
                FWriteablePath = besideProgram();
            } else {
                const QByteArray guid = newGuidText();
                if (!guid.isEmpty()) FWriteablePath = m_userFolder + guid + '/' + m_baseName + ".ini";
            }
        }
    }
    locatorWrite("IniPathWriteable", FWriteablePath);
    FWriteableIni.reset();
    if (!FWriteablePath.isEmpty()) FWriteableIni = std::make_unique<TMyMemIniFile>(FWriteablePath);
}

int TDoubleIniFile::LoadWriteMode() {
    int mode;
    {
        TMyMemIniFile beside(besideProgram());
        mode = settings::readInt(beside, settings::Key::WriteMode);
    }
    // The locator keeps it per installation under the same key name.
    if (mode == -1) mode = ReadInteger(FLocationKey, settings::setting(settings::Key::WriteMode).key, -1);
    FWriteMode = mode;
    return mode;
}

void TDoubleIniFile::SetWriteMode(int mode) {
    FWriteMode = mode;
    locatorWrite(settings::setting(settings::Key::WriteMode).key, QByteArray::number(mode));
}

QByteArray TDoubleIniFile::ReadString(const QByteArray &section, const QByteArray &key,
                                      const QByteArray &def) const {
    QByteArray v = TMyMemIniFile::ReadString(section, key, QByteArray());
    if (!v.isEmpty()) return v;
    if (FReadOnlyIni) {
        v = FReadOnlyIni->ReadString(section, key, QByteArray());
        if (!v.isEmpty()) return v;
    }
    if (FWriteableIni) {
        v = FWriteableIni->ReadString(section, key, QByteArray());
        if (!v.isEmpty()) return v;
    }
    return def;
}

void TDoubleIniFile::WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value) {
    if (FLocatorWrite) {
        if (m_access == Access::ReadOnly) {
            TMemIniFile::WriteString(section, key, value);
            return;
        }
        // Read again first, so another running copy's bookkeeping (or its
        // other installations' sections) is not overwritten.
        reload();
        // The bookkeeping is rewritten on every start and before every
        // settings write; a rewrite that changes nothing would only cost a
        // synchronised write of the file (seconds on a busy disk at exit).
        // (A line break can never be stored, so as the default it marks a
        // key that is absent.)
        const QByteArray absent("\n");
        if (value != absent && TMemIniFile::ReadString(section, key, absent) == value) return;
        TMyMemIniFile::WriteString(section, key, value);
        return;
    }
    writeable().WriteString(section, key, value);
}

TMyMemIniFile &TDoubleIniFile::writeable() {
    if (m_access == Access::ReadOnly) throw EIniWriteError();
    // Read again from disk: another copy may have written since.
    SetIniPathWriteable(FWriteablePath);
    if (!FWriteableIni) throw EIniWriteError();
    return *FWriteableIni;
}

void TDoubleIniFile::readLayers(
    QList<QByteArray> &list,
    const std::function<void(const TMemIniFile &, QList<QByteArray> &)> &read) const {
    read(static_cast<const TMemIniFile &>(*this), list);
    QList<QByteArray> more;
    // The writeable file before the read-only one (unlike ReadString).
    for (const TMyMemIniFile *layer : {FWriteableIni.get(), FReadOnlyIni.get()}) {
        if (!layer) continue;
        read(*layer, more);
        list += more;
    }
}

void TDoubleIniFile::ReadSection(const QByteArray &section, QList<QByteArray> &list) const {
    readLayers(list, [&](const TMemIniFile &f, QList<QByteArray> &out) {
        f.TMemIniFile::ReadSection(section, out);
    });
}

void TDoubleIniFile::ReadSections(QList<QByteArray> &list) const {
    readLayers(list, [](const TMemIniFile &f, QList<QByteArray> &out) { f.TMemIniFile::ReadSections(out); });
}

void TDoubleIniFile::ReadSectionValues(const QByteArray &section, QList<QByteArray> &list) const {
    readLayers(list, [&](const TMemIniFile &f, QList<QByteArray> &out) {
        f.TMemIniFile::ReadSectionValues(section, out);
    });
}

void TDoubleIniFile::EraseSection(const QByteArray &section) { writeable().EraseSection(section); }

void TDoubleIniFile::DeleteKey(const QByteArray &section, const QByteArray &key) {
    writeable().DeleteKey(section, key);
}

}  // namespace vorq
