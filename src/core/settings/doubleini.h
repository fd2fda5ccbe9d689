#pragma once
// The two-level settings store: a per-user locator file that records, per
// installation (location key), where its read-only and writeable settings
// files lie and which write mode applies; reads fall through locator,
// read-only and writeable files, writes go to the writeable file at once.
#include <QByteArray>
#include <functional>
#include <memory>

#include "core/settings/inifile.h"

namespace vorq {

// ---- platform lookups (injectable) --------------------------------------------

// The file system mount that holds a path.
struct MountInfo {
    QByteArray mountPoint;   // e.g. "/media/cdrom" ("/" for the root)
    QByteArray volumeId;     // the file system's id, upper-case hexadecimal digits
    bool removable = false;  // optical (iso9660/udf) or a removable block device
};
using MountLookup = std::function<MountInfo(const QByteArray &path)>;

namespace env {
// Base name of the program file ("vorqview" for vorqview); by default the
// running executable's name.
QByteArray programBaseName();
void setProgramBaseName(const QByteArray &name);  // empty restores the default
// The per-user local data folder with trailing "/" (~/.local/share/).
QByteArray localDataFolder();
void setLocalDataFolder(const QByteArray &folder);  // empty restores the default
// Why the program cannot keep its files (a program or user folder that
// Shift-JIS cannot name), empty when it can: checked once at start.
QString folderProblem();
MountInfo mountOf(const QByteArray &path);
void setMountLookup(MountLookup lookup);  // empty restores the real one
}  // namespace env

// Per-user folder of a program: local data folder + "Brelon/" + base name +
// "/" (documents folder + "Setting Files/Brelon/..." when there is no local
// data folder). Always ends in "/".
QByteArray GetUserSettingsFolder(const QByteArray &baseName = env::programBaseName());

// Whether the mount holding path is removable or optical media.
bool IsRemovableDrive(const QByteArray &path);

// The key of an installation: its program folder, or for removable media
// "<" + volume id + ">" + the folder below the mount point, so the same disc
// mounted elsewhere keeps its key.
QByteArray GetLocationKey(const QByteArray &programFolder);

// ---- the layered store ----------------------------------------------------------

class TDoubleIniFile : public TMyMemIniFile {
public:
    enum class Access {
        ReadWrite,
        // Computes the same paths and layers but never writes a file: the
        // bookkeeping stays in memory and writes raise EIniWriteError.
        ReadOnly,
    };

    explicit TDoubleIniFile(const QByteArray &baseName = env::programBaseName(),
                            Access access = Access::ReadWrite);
    ~TDoubleIniFile() override;

    // First non-empty value of locator, read-only file, writeable file.
    QByteArray ReadString(const QByteArray &section, const QByteArray &key,
                          const QByteArray &def) const override;
    // Re-reads the writeable file, writes the key and the file. Throws
    // EIniWriteError when there is no writeable file, FileError when it
    // cannot be written.
    void WriteString(const QByteArray &section, const QByteArray &key, const QByteArray &value) override;
    // Locator, then writeable, then read-only file; duplicates kept.
    void ReadSection(const QByteArray &section, QList<QByteArray> &list) const override;
    void ReadSections(QList<QByteArray> &list) const override;
    void ReadSectionValues(const QByteArray &section, QList<QByteArray> &list) const override;
    // On the writeable file only.
    void EraseSection(const QByteArray &section) override;
    void DeleteKey(const QByteArray &section, const QByteArray &key) override;

    // Effective write mode: "[Restrictions] WriteMode" of the ini beside the
    // program unless absent or -1, else the locator's, else -1.
    int LoadWriteMode();
    void SetWriteMode(int mode);

    void GetIniPathReadOnly();
    void GetIniPathWriteable();
    void SetIniPathWriteable(const QByteArray &path);

    const QByteArray &locatorPath() const { return FLocatorPath; }
    const QByteArray &readOnlyPath() const { return FReadOnlyPath; }
    const QByteArray &writeablePath() const { return FWriteablePath; }
    const QByteArray &locationKey() const { return FLocationKey; }
    int writeMode() const { return FWriteMode; }

private:
    void OpenReadOnly();
    void OpenWriteable();
    void locatorWrite(const QByteArray &key, const QByteArray &value);
    // The writeable file, re-read from disk; throws EIniWriteError when
    // there is none (or in read-only access).
    TMyMemIniFile &writeable();
    // Replaces list by the locator's result of read, then appends the
    // writeable file's and the read-only file's.
    void readLayers(QList<QByteArray> &list,
                    const std::function<void(const TMemIniFile &, QList<QByteArray> &)> &read) const;
    QByteArray besideProgram() const;

    QByteArray FLocatorPath;
    QByteArray FWriteablePath;
    QByteArray FReadOnlyPath;
    std::unique_ptr<TMyMemIniFile> FWriteableIni;
    std::unique_ptr<TMyMemIniFile> FReadOnlyIni;
    int FWriteMode = -1;
    QByteArray FLocationKey;
    bool FLocatorWrite = false;

    QByteArray m_baseName;
    QByteArray m_programFolder;
    QByteArray m_userFolder;
    Access m_access;
};

}  // namespace vorq
