#include "platform/Folders.h"
#include "settings/AppsIni.h"
#include "settings/DataFolders.h"
#include "settings/ProfileCommit.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>

namespace {
SetupProfile resolvedProfile() {
    SYSTEMTIME day{};
    day.wYear = 2026;
    day.wMonth = 3;
    day.wDay = 9;
    SetupProfile profile(day);
    profile.setYob("1902");
    profile.setGender("M");
    profile.setTemperature("C");
    profile.setLocCountry("US");
    profile.setLocDisplayName("Paris, TX");
    profile.setLocDMA("623");
    profile.setLocID("USTX1010");
    profile.setLocState("TX");
    profile.setLocType("1");
    profile.setLocZip("75460");
    return profile;
}

// Section -> ordered "key=value" lines, as the file holds them.
std::map<std::string, std::vector<std::string>> sectionsOf(const std::string& text) {
    std::map<std::string, std::vector<std::string>> sections;
    std::string current;
    std::regex line("([^\r\n]*)\r?\n");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), line);
         it != std::sregex_iterator(); ++it) {
        const std::string l = (*it)[1];
        if (!l.empty() && l.front() == '[') {
            current = l.substr(1, l.size() - 2);
            sections[current];
        } else if (!l.empty()) {
            sections[current].push_back(l);
        }
    }
    return sections;
}
} // namespace

TEST(ProfileCommit, WritesTwelveKeysAndLeavesEverythingElse) {
    const std::string folder = PlatformDataFolder();
    CreateFolderTree(folder);
    const std::string path = folder + "apps.ini";
    writeWholeFile(path, "[Software\\Talvora]\r\nInstallID=ABC123\r\n"
                         "[Software\\Talvora\\Corvane\\UserProfile]\r\nyob=55\r\nnickname=kit\r\n"
                         "[Other]\r\nkeep=me\r\n");
    const CommitOutcome outcome = commitProfile(resolvedProfile());
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(path, outcome.fileName);

    const auto sections = sectionsOf(readWholeFile(path));
    EXPECT_EQ((std::vector<std::string>{"InstallID=ABC123"}), sections.at("Software\\Talvora"));
    EXPECT_EQ((std::vector<std::string>{"keep=me"}), sections.at("Other"));
    EXPECT_EQ((std::vector<std::string>{"ea=03/09/26", "su=03/09/26"}), sections.at(kAppsSection));
    EXPECT_EQ((std::vector<std::string>{"temperature=C"}), sections.at(kDisplayPrefsSection));
    EXPECT_EQ((std::vector<std::string>{"yob=02", "nickname=kit", "gender=M", "locCountry=US",
                                        "locDisplayName=Paris, TX", "locDMA=623", "locID=USTX1010",
                                        "locState=TX", "locType=1", "locZip=75460"}),
              sections.at(kUserProfileSection));
    EXPECT_EQ(5u, sections.size());
    EXPECT_TRUE(std::regex_match(std::string(kAppsSection),
                                 std::regex(R"(Software\\Talvora\\Apps\\\{[0-9A-F]{8}-[0-9A-F]{4}-)"
                                            R"([0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\})")));
}

TEST(ProfileCommit, CreatesAMissingFileWithEmptyDetailFields) {
    const std::string folder = PlatformDataFolder();
    removeTree(folder);
    SYSTEMTIME day{};
    day.wYear = 2026;
    day.wMonth = 12;
    day.wDay = 7;
    SetupProfile profile(day);
    profile.setYob("1994");
    profile.setLocID("X1");
    profile.setLocType("4");
    profile.setLocDisplayName("Somewhere");
    commitProfile(profile);

    AppsIni ini;
    bindAppsIni(ini);
    EXPECT_EQ("94", ini.ReadString(kUserProfileSection, "yob", "?"));
    EXPECT_EQ("F", ini.ReadString(kUserProfileSection, "gender", "?"));
    EXPECT_EQ("F", ini.ReadString(kDisplayPrefsSection, "temperature", "?"));
    EXPECT_EQ("12/07/26", ini.ReadString(kAppsSection, "su", "?"));
    for (const char* key : {"locCountry", "locDMA", "locState", "locZip"}) {
        EXPECT_EQ("", ini.ReadString(kUserProfileSection, key, "?")) << key; // present, empty
    }
    EXPECT_EQ("X1", ini.ReadString(kUserProfileSection, "locID", "?"));
}

TEST(ProfileCommit, SaysWhenTheKeysDidNotLandAndOnlyThen) {
    const std::string folder = PlatformDataFolder();
    removeTree(folder);
    CreateFolderTree(folder + "apps.ini\\"); // a folder where the file belongs
    const CommitOutcome blocked = commitProfile(resolvedProfile());
    EXPECT_FALSE(blocked.saved);
    EXPECT_EQ(folder + "apps.ini", blocked.fileName);
    EXPECT_NE(0u, blocked.systemError);

    // Values the profile functions give back trimmed or flattened still count as written.
    removeTree(folder);
    SetupProfile profile = resolvedProfile();
    profile.setLocDisplayName(" \"Paris,\r\nTX\" ");
    profile.setLocZip("");
    EXPECT_TRUE(commitProfile(profile).saved);
}
