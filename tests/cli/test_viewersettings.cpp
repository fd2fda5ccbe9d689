// vorq's defaults from the user's vorqview settings: the same layers and
// locator, nothing ever written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "cli/viewersettings.h"
#include "core/base/appenv.h"
#include "core/settings/doubleini.h"
#include "core/text/sjistext.h"
#include "settingsenv.h"

using namespace vorq;
using vorq::test::writeBytes;

namespace {

class ViewerSettingsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QByteArray root;
    void SetUp() override {
        root = sjis::fromUnicode(dir.path()) + '/';
        // The tool's own name must not matter.
        settingsEnv = std::make_unique<test::ScopedSettingsEnv>(root, "vorq");
    }
    void TearDown() override { settingsEnv.reset(); }
    std::unique_ptr<test::ScopedSettingsEnv> settingsEnv;
};

}  // namespace

TEST_F(ViewerSettingsTest, FirstStartGivesTheViewerDefaultsAndWritesNothing) {
    const cli::ViewerSettings s = cli::readViewerSettings();
    EXPECT_EQ(s.writeMode, -1);
    EXPECT_EQ(s.dataFolder, root + "local/Brelon/vorqview/");
    EXPECT_TRUE(s.dateEndIsRecent && s.editData && s.ignoreError && s.autoAddNotFound);
    EXPECT_EQ(s.skipString, "<!-- / NO1 -->");
    EXPECT_TRUE(s.dateStart.isEmpty());
    EXPECT_FALSE(QDir(sjis::path(root + "local")).exists());
}

TEST_F(ViewerSettingsTest, ReadsWhatTheViewerSaved) {
    env::setProgramBaseName("vorqview");
    {
        TDoubleIniFile ini;
        ini.SetWriteMode(0);
        ini.WriteString("ImportData", "DataFolder", "/charts");
        ini.WriteString("Display", "DateStart", "s");
        ini.WriteBool("Display", "DateEndIsRecent", false);
        ini.WriteBool("Web", "UseProxy", true);
        ini.WriteString("Web", "ProxyAddr", "proxy");
        ini.WriteString("Web", "ProxyPort", "8080");
    }
    env::setProgramBaseName("vorq");
    const cli::ViewerSettings s = cli::readViewerSettings();
    EXPECT_EQ(s.writeMode, 0);
    EXPECT_EQ(s.dataFolder, "/charts/");
    EXPECT_EQ(s.dateStart, "s");
    EXPECT_FALSE(s.dateEndIsRecent);
    EXPECT_TRUE(s.useProxy);
    EXPECT_EQ(s.proxyAddr + ':' + s.proxyPort, "proxy:8080");

    writeBytes(root + "prog/vorqview.ini",
               "[Restrictions]\r\nWriteMode=2\r\n[ImportData]\r\nDataFolderIsAppPath=1\r\n");
    const cli::ViewerSettings restricted = cli::readViewerSettings();
    EXPECT_EQ(restricted.writeMode, 2);
    EXPECT_EQ(restricted.dataFolder, root + "prog/");
    EXPECT_FALSE(restricted.editData);  // no import in a restricted copy
}
