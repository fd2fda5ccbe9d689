#pragma once
// Test helpers for the settings store: raw file writes, and a scratch
// environment (user data folder, program folder and name, fixed disks) that
// is put back when the test ends.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"

namespace vorq::test {

// Writes bytes as they are (no line-end or encoding rules), creating folders.
inline void writeBytes(const QByteArray &path, const QByteArray &data) {
    QDir().mkpath(QFileInfo(sjis::path(path)).path());
    QFile f(sjis::path(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(data);
}

// The user data folder is root + "local/", the program root + "prog/" under
// the given base name, and every mount a fixed disk.
class ScopedSettingsEnv {
public:
    ScopedSettingsEnv(const QByteArray &root, const QByteArray &baseName) {
        env::setLocalDataFolder(root + "local/");
        env::setProgramBaseName(baseName);
        QDir().mkpath(sjis::path(root + "prog"));
        env::setProgramFolder(root + "prog/");
        env::setMountLookup([](const QByteArray &) { return MountInfo{"/", "", false}; });
    }
    ~ScopedSettingsEnv() {
        env::setLocalDataFolder(QByteArray());
        env::setProgramBaseName(QByteArray());
        env::setProgramFolder(QByteArray());
        env::setMountLookup(nullptr);
    }
    ScopedSettingsEnv(const ScopedSettingsEnv &) = delete;
    ScopedSettingsEnv &operator=(const ScopedSettingsEnv &) = delete;
};

}  // namespace vorq::test
