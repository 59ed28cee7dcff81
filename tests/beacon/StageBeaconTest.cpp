#include "beacon/StageBeacon.h"
#include "platform/Files.h"
#include "settings/AppsIni.h"
#include "support/TestFolders.h"
#include "web/Endpoints.h"
#include "support/StubLog.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {
// Runs against the test prefix's real apps.ini: the platform data folder is moved aside
// for the test and put back afterwards.
class StageBeacon : public ::testing::Test {
protected:
    const std::string folder = PlatformDataFolder();
    const std::string folderName = folder.substr(0, folder.size() - 1);
    const std::string aside = folderName + ".aside";
    bool movedAside = false;

    void SetUp() override {
        removeTree(aside);
        movedAside = MoveFileA(folderName.c_str(), aside.c_str()) != 0;
    }
    void TearDown() override {
        removeTree(folder);
        if (movedAside) {
            MoveFileA(aside.c_str(), folderName.c_str());
        }
    }

    static void writeInstallId(const std::string& id) {
        AppsIni ini;
        bindAppsIni(ini);
        ASSERT_NE(0, ini.WriteString("Software\\Talvora", "InstallID", id.c_str()));
    }
};
} // namespace

TEST_F(StageBeacon, AReportWithoutAppsIniCarriesAnEmptyIdentifierAndCreatesTheFolder) {
    ASSERT_FALSE(FolderExists(folder));
    const StubLog log;
    SendStage(kStageOpened, "");
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_FALSE(FileExists(folder + "apps.ini"));

    const auto requests = log.requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/5/17?id=&instby=", requests[0].path);
    EXPECT_EQ(kUserAgent, requests[0].header("user-agent"));
}

TEST_F(StageBeacon, UrlCarriesStageAndIdentifierUnescaped) {
    const std::string base = kBeaconBase;
    EXPECT_EQ(base + "5/90?id=&instby=", BuildBeaconUrl(kStageAccepted, ""));
    const std::string twentyFour = "0123456789abcdefghijklmn";
    const struct {
        std::string stored;
        std::string sent;
    } ids[] = {
        {"a1b2c3d4e5", "a1b2c3d4e5"},
        {"id with blank&x=1", "id with blank&x=1"},
        {twentyFour, twentyFour},
        {twentyFour + "o", twentyFour}, // the first 24 bytes, never what lies past the buffer
        {twentyFour + "opqrstu", twentyFour},
    };
    for (const auto& id : ids) {
        writeInstallId(id.stored);
        EXPECT_EQ(base + "5/17?id=" + id.sent + "&instby=", BuildBeaconUrl(kStageOpened, ""));
        EXPECT_EQ(base + "5/91?id=" + id.sent + "&instby=&src=page",
                  BuildBeaconUrl(kStageLeft, "src=page"));
    }
}

TEST_F(StageBeacon, EveryReportReadsTheIdentifierAgain) {
    const StubLog log;
    writeInstallId("first");
    SendStage(kStageOpened, "");
    writeInstallId("second");
    SendBeacon(BuildBeaconUrl(kStageAccepted, ""));

    const auto requests = log.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/5/17?id=first&instby=", requests[0].path);
    EXPECT_EQ("/5/90?id=second&instby=", requests[1].path);
}
