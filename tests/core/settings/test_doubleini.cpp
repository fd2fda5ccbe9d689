// The layered settings store: locator bookkeeping, write modes, layers and
// location keys.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <memory>

#include "core/base/appenv.h"
#include "core/base/errors.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "settingsenv.h"

using namespace vorq;
using vorq::test::writeBytes;

namespace {

class DoubleIniTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray root;

    void SetUp() override {
        root = sjis::fromUnicode(dir.path()) + '/';
        settingsEnv = std::make_unique<test::ScopedSettingsEnv>(root, "vorqview");
    }
    void TearDown() override { settingsEnv.reset(); }
    std::unique_ptr<test::ScopedSettingsEnv> settingsEnv;
    void setProgram(const QByteArray &rel) {
        QDir().mkpath(sjis::path(root + rel));
        env::setProgramFolder(root + rel);
    }
    QByteArray userFolder() const { return root + "local/Brelon/vorqview/"; }
    QByteArray locator() const { return userFolder() + "vorqview.ini"; }
    QByteArray beside() const { return env::programFolder() + "vorqview.ini"; }
};

}  // namespace

TEST_F(DoubleIniTest, FirstStartRecordsTheInstallationAndCannotWriteUntilAModeIsSet) {
    TDoubleIniFile ini;
    EXPECT_EQ(ini.locatorPath(), locator());
    EXPECT_EQ(ini.writeMode(), -1);
    TMemIniFile onDisk(locator());
    EXPECT_EQ(onDisk.ReadString(env::programFolder(), "IniPathReadOnly", "?"), beside());
    EXPECT_EQ(onDisk.ReadString(env::programFolder(), "IniPathWriteable", "?"), "");
    EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniWriteError);
    EXPECT_THROW(ini.DeleteKey("S", "k"), EIniWriteError);
}

TEST_F(DoubleIniTest, ModeZeroWritesBesideTheProgramAndTheNextStartReadsIt) {
    {
        TDoubleIniFile ini;
        ini.SetWriteMode(0);
        ini.WriteString("Web", "URL_Home", "http://x/");
        ini.WriteBool("Web", "UseProxy", true);
    }
    EXPECT_EQ(TMemIniFile(beside()).ReadString("Web", "URL_Home", ""), "http://x/");
    TDoubleIniFile again;
    EXPECT_EQ(again.LoadWriteMode(), 0);
    EXPECT_EQ(again.writeablePath(), beside());
    EXPECT_TRUE(again.ReadBool("Web", "UseProxy", false));
    EXPECT_EQ(TMemIniFile(locator()).ReadString(env::programFolder(), "WriteMode", ""), "0");
}

TEST_F(DoubleIniTest, BookkeepingThatChangesNothingLeavesTheLocatorFileAlone) {
    // Every write replaces the file (a new inode), so an unchanged inode
    // means the file was not written again.
    auto id = [this] {
        struct stat st {};
        return ::stat(QFile::encodeName(sjis::path(locator())).constData(), &st) == 0 ? st.st_ino : 0;
    };
    { TDoubleIniFile first; }
    const auto before = id();
    ASSERT_NE(before, 0u);
    {
        TDoubleIniFile second;  // records the same paths again
        EXPECT_EQ(id(), before);
        second.SetWriteMode(0);  // a new key: written
        EXPECT_NE(id(), before);
        const auto afterMode = id();
        second.WriteString("Web", "URL_Home", "http://x/");  // records the writeable path: new
        second.WriteString("Web", "URL_Data", "t");          // nothing new in the locator
        const auto afterWrites = id();
        EXPECT_NE(afterWrites, afterMode);
        second.WriteString("Web", "UseProxy", "1");
        EXPECT_EQ(id(), afterWrites);
    }
    TMemIniFile onDisk(locator());
    EXPECT_EQ(onDisk.ReadString(env::programFolder(), "WriteMode", ""), "0");
    EXPECT_EQ(onDisk.ReadString(env::programFolder(), "IniPathWriteable", ""), beside());
    EXPECT_EQ(TMemIniFile(beside()).ReadString("Web", "UseProxy", ""), "1");
}

TEST_F(DoubleIniTest, ModeZeroNeverWritesBesideAProgramInstalledUnderUsr) {
    // Writable for root, but owned by the package manager.
    env::setProgramFolder("/usr/bin/");
    TDoubleIniFile ini;
    ini.SetWriteMode(0);
    ini.WriteString("Display", "DateStart", "x");
    EXPECT_TRUE(ini.writeablePath().startsWith(userFolder())) << ini.writeablePath().constData();
}

TEST_F(DoubleIniTest, ModeZeroWithAnUnwritableProgramFolderKeepsSettingsInTheUserFolder) {
    writeBytes(root + "ro", "a file");
    env::setProgramFolder(root + "ro/bin/");  // cannot be created, let alone written
    {
        TDoubleIniFile ini;
        ini.SetWriteMode(0);
        ini.WriteString("ImportData", "DataFolder", "/data/");
        ini.WriteString("Display", "DateStart", "x");
    }
    TDoubleIniFile again;
    EXPECT_TRUE(again.writeablePath().startsWith(userFolder())) << again.writeablePath().constData();
    EXPECT_NE(again.writeablePath(), again.locatorPath());
    EXPECT_EQ(again.ReadString("ImportData", "DataFolder", ""), "/data/");
    EXPECT_EQ(again.ReadString("Display", "DateStart", ""), "x");
}

TEST_F(DoubleIniTest, RestrictedCopyWritesToAGuidFolderWhereTheStagedFileStillWins) {
    writeBytes(beside(), "[Restrictions]\r\nWriteMode=1\r\n[Display]\r\nDateStart=staged\r\n");
    QByteArray firstPath;
    {
        TDoubleIniFile ini;
        EXPECT_EQ(ini.writeMode(), 1);
        ini.SetWriteMode(1);
        ini.WriteString("Display", "DateStart", "mine");
        ini.WriteString("Display", "DateEnd", "mine too");
        firstPath = ini.writeablePath();
    }
    const QString rel = sjis::path(firstPath.mid(userFolder().size()));
    EXPECT_TRUE(QRegularExpression(
                    QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}/"
                                   "vorqview\\.ini$"))
                    .match(rel)
                    .hasMatch())
        << rel.toStdString();
    TDoubleIniFile again;
    EXPECT_EQ(again.writeablePath(), firstPath);  // one file per computer, reused
    EXPECT_EQ(again.ReadString("Display", "DateStart", ""), "staged");
    EXPECT_EQ(again.ReadString("Display", "DateEnd", ""), "mine too");
    EXPECT_EQ(TMemIniFile(beside()).ReadString("Display", "DateStart", ""), "staged");  // never written
}

TEST_F(DoubleIniTest, RestrictionsBesideTheProgramDecideUnlessMinusOne) {
    {
        TDoubleIniFile ini;
        ini.SetWriteMode(2);
    }
    writeBytes(beside(), "[Restrictions]\r\nWriteMode=1\r\n");
    EXPECT_EQ(TDoubleIniFile().LoadWriteMode(), 1);
    writeBytes(beside(), "[Restrictions]\r\nWriteMode=-1\r\n");
    EXPECT_EQ(TDoubleIniFile().LoadWriteMode(), 2);
}

TEST_F(DoubleIniTest, ModeTwoCannotWriteAndRecordsAnEmptyPath) {
    TDoubleIniFile ini;
    ini.SetWriteMode(2);
    EXPECT_THROW(ini.WriteString("S", "k", "v"), EIniWriteError);
    TMemIniFile onDisk(locator());
    EXPECT_EQ(onDisk.ReadString(env::programFolder(), "IniPathWriteable", "?"), "");
    EXPECT_EQ(onDisk.ReadString(env::programFolder(), "WriteMode", "?"), "2");
}

TEST_F(DoubleIniTest, EmptyValuesNeverHideLowerLayersAndListsKeepDuplicates) {
    writeBytes(locator(), "[Web]\r\nURL_Home=\r\nOnlyLocator=L\r\n");
    writeBytes(beside(), "[Web]\r\nURL_Home=from-program\r\n");
    TDoubleIniFile ini;
    EXPECT_EQ(ini.ReadString("Web", "URL_Home", "d"), "from-program");
    EXPECT_EQ(ini.ReadString("Web", "OnlyLocator", "d"), "L");
    ini.SetWriteMode(0);  // writeable file = the one beside the program, opened again
    ini.WriteString("Web", "Extra", "1");
    QList<QByteArray> sections;
    ini.ReadSections(sections);
    EXPECT_EQ(sections.count("Web"), 3);  // locator, writeable, read-only
    QList<QByteArray> keys;
    ini.ReadSection("Web", keys);
    EXPECT_EQ(keys, QList<QByteArray>({"URL_Home", "OnlyLocator", "URL_Home", "Extra", "URL_Home"}));
}

TEST_F(DoubleIniTest, AnotherProgramNameUsesItsOwnFiles) {
    env::setProgramBaseName("copy");
    TDoubleIniFile ini;
    EXPECT_EQ(ini.locatorPath(), root + "local/Brelon/copy/copy.ini");
    EXPECT_EQ(ini.readOnlyPath(), env::programFolder() + "copy.ini");
    EXPECT_TRUE(QFile::exists(sjis::path(ini.locatorPath())));
}

TEST_F(DoubleIniTest, SameDiscMountedElsewhereKeepsItsKeyAndSettings) {
    env::setMountLookup([this](const QByteArray &path) {
        for (const QByteArray mount : {root + "mnt/a", root + "mnt/b"})
            if (path.startsWith(QByteArray(mount + '/'))) return MountInfo{mount, "1A2B3C4D", true};
        return MountInfo{"/", "", false};
    });
    writeBytes(root + "mnt/a/app/vorqview.ini", "[Restrictions]\r\nWriteMode=1\r\n");
    writeBytes(root + "mnt/b/app/vorqview.ini", "[Restrictions]\r\nWriteMode=1\r\n");
    setProgram("mnt/a/app/");
    QByteArray path;
    {
        TDoubleIniFile ini;
        EXPECT_EQ(ini.locationKey(), "<1A2B3C4D>/app/");
        ini.SetWriteMode(1);
        ini.WriteString("OutputList", "Date", "0");
        path = ini.writeablePath();
    }
    setProgram("mnt/b/app/");
    TDoubleIniFile ini;
    EXPECT_EQ(ini.locationKey(), "<1A2B3C4D>/app/");
    EXPECT_EQ(ini.writeablePath(), path);
    EXPECT_EQ(ini.ReadString("OutputList", "Date", ""), "0");
    EXPECT_EQ(GetLocationKey(root + "elsewhere/"), root + "elsewhere/");
    EXPECT_TRUE(IsRemovableDrive(root + "mnt/b/app/"));
}

TEST_F(DoubleIniTest, MovedCopyStartsAfreshAndLeavesTheOldSection) {
    const QByteArray first = env::programFolder();
    {
        TDoubleIniFile ini;
        ini.SetWriteMode(2);
    }
    setProgram("moved/");
    TDoubleIniFile ini;
    EXPECT_EQ(ini.writeMode(), -1);
    QList<QByteArray> sections;
    TMemIniFile(locator()).ReadSections(sections);
    EXPECT_EQ(sections, QList<QByteArray>({first, env::programFolder()}));
}

TEST_F(DoubleIniTest, TwoRunningCopiesInterleaveKeyByKey) {
    TDoubleIniFile a, b;
    a.SetWriteMode(0);
    b.SetWriteMode(0);
    a.WriteString("S", "fromA", "1");
    b.WriteString("S", "fromB", "2");
    a.WriteString("S", "both", "a");
    b.WriteString("S", "both", "b");  // the last write of a key wins
    TMemIniFile onDisk(beside());
    EXPECT_EQ(onDisk.ReadString("S", "fromA", ""), "1");
    EXPECT_EQ(onDisk.ReadString("S", "fromB", ""), "2");
    EXPECT_EQ(onDisk.ReadString("S", "both", ""), "b");
}

TEST_F(DoubleIniTest, BookkeepingOfOtherInstallationsIsNotOverwritten) {
    TDoubleIniFile first;  // holds the locator in memory
    setProgram("second/");
    { TDoubleIniFile second; }
    env::setProgramFolder(root + "prog/");
    first.SetWriteMode(0);
    QList<QByteArray> sections;
    TMemIniFile(locator()).ReadSections(sections);
    EXPECT_EQ(sections.size(), 2);
}

TEST_F(DoubleIniTest, ReadOnlyAccessComputesTheSameLayersWithoutWriting) {
    {
        TDoubleIniFile ini;
        ini.SetWriteMode(0);
        ini.WriteString("Web", "URL_Data", "u");
    }
    const QByteArray before = sjis::readFile(sjis::path(locator()));
    TDoubleIniFile ro("vorqview", TDoubleIniFile::Access::ReadOnly);
    EXPECT_EQ(ro.LoadWriteMode(), 0);
    EXPECT_EQ(ro.ReadString("Web", "URL_Data", ""), "u");
    EXPECT_THROW(ro.WriteString("Web", "URL_Data", "x"), EIniWriteError);
    ro.SetWriteMode(2);
    EXPECT_EQ(sjis::readFile(sjis::path(locator())), before);

    env::setLocalDataFolder(root + "nobody/");
    TDoubleIniFile fresh("vorqview", TDoubleIniFile::Access::ReadOnly);
    EXPECT_FALSE(QDir(sjis::path(root + "nobody")).exists());
}

TEST_F(DoubleIniTest, UnwritableUserFolderStillLoads) {
    writeBytes(root + "blocked", "file");
    env::setLocalDataFolder(root + "blocked/");
    writeBytes(beside(), "[Web]\r\nURL_Home=h\r\n");
    TDoubleIniFile ini;  // bookkeeping cannot be saved; that is not fatal
    EXPECT_EQ(ini.ReadString("Web", "URL_Home", ""), "h");
    ini.SetWriteMode(0);
    ini.WriteString("Web", "URL_Home", "new");  // the settings file itself is writable
    EXPECT_EQ(TMemIniFile(beside()).ReadString("Web", "URL_Home", ""), "new");
}

TEST(SettingsFolders, UserFolderIsBrelonPlusBaseName) {
    env::setLocalDataFolder("/home/u/.local/share");
    EXPECT_EQ(GetUserSettingsFolder("vorqview"), "/home/u/.local/share/Brelon/vorqview/");
    env::setLocalDataFolder(QByteArray());
    EXPECT_TRUE(GetUserSettingsFolder("x").endsWith("/Brelon/x/"));
}

TEST(SettingsFolders, FoldersShiftJisCannotNameAreRefusedWithTheirNameAndWhatToDo) {
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", "/tmp/françois/share");
    EXPECT_THROW(env::localDataFolder(), EncodingError);
    const QString problem = env::folderProblem();
    qputenv("XDG_DATA_HOME", saved);
    EXPECT_TRUE(problem.contains(QStringLiteral("/tmp/françois/share/"))) << problem.toStdString();
    EXPECT_TRUE(problem.contains(QStringLiteral("XDG_DATA_HOME")));
    try {
        env::folderBytes(QStringLiteral("/opt/françois"), env::FolderKind::Program);
        ADD_FAILURE() << "no error";
    } catch (const EncodingError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("/opt/françois/")));
        EXPECT_TRUE(e.message().contains(QStringLiteral("移して")));
    }
    EXPECT_EQ(env::folderBytes(QStringLiteral("/opt/曲"), env::FolderKind::Program),
              sjis::fromUnicode(QStringLiteral("/opt/曲/")));
}
