#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "location/SetupProfile.h"
#include "settings/AppsIni.h"
#include "settings/ProfileCommit.h"
#include "settings/ProfileCommitTesting.h"
#include "settings/StagedCopy.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <thread>

namespace {
SetupProfile resolvedProfile() {
    SetupProfile profile(SYSTEMTIME{2026, 3, 0, 9, 0, 0, 0, 0});
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

// apps.ini's path in a fresh, empty platform folder.
std::string appsIniPath() {
    const std::string folder = PlatformDataFolder();
    removeTree(folder);
    CreateFolderTree(folder);
    return folder + "apps.ini";
}

// apps.ini in a fresh platform folder, holding content.
std::string appsIniWith(const std::string& content) {
    const std::string path = appsIniPath();
    writeWholeFile(path, content);
    return path;
}

// Opened as another program may hold it: shared for reading and writing, not for deleting.
HANDLE heldWithoutDeleteSharing(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                       OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Names in the folder of apps.ini other than apps.ini itself.
std::vector<std::string> strayFiles(const std::string& path) {
    std::vector<std::string> names = namesIn(path + ".*"); // finds apps.ini too
    names.erase(std::remove(names.begin(), names.end(), path.substr(FolderOf(path).size())),
                names.end());
    return names;
}

unsigned long long ownStart() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// A profile section as other programs may fill it: past the 32,767 characters the system
// documents as the most a section's reading gives.
std::string crowdedProfileSection() {
    std::string text = "[Software\\Talvora\\Corvane\\UserProfile]\r\n";
    for (int n = 0; n < 2500; ++n) {
        text += "other" + std::to_string(n) + "=value of another program\r\n";
    }
    return text + "[Software\\Talvora]\r\nInstallID=BIG\r\n";
}

// apps.ini's identity: the same after a write in place, another after a rename over it.
std::pair<DWORD, DWORD> fileIndexOf(const std::string& path) {
    const FileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    GetFileInformationByHandle(file.get(), &information);
    return {information.nFileIndexHigh, information.nFileIndexLow};
}

// The staged copy, opened without delete sharing as a scanner would, for some milliseconds.
class CopyHeldAMoment {
public:
    CopyHeldAMoment(const std::string& path, DWORD milliseconds) {
        for (const std::string& name : strayFiles(path)) {
            if (name.size() < 7 || name.compare(name.size() - 7, 7, ".commit") != 0) {
                continue; // the lock
            }
            held_.reset(heldWithoutDeleteSharing(FolderOf(path) + name));
        }
        tookIt_ = held_.valid();
        letGo_ = std::thread([this, milliseconds] {
            Sleep(milliseconds);
            held_.reset();
        });
    }
    ~CopyHeldAMoment() { letGo_.join(); }
    bool tookIt() const { return tookIt_; }

private:
    FileHandle held_;
    bool tookIt_ = false;
    std::thread letGo_;
};

// The sections a commit adds, as the profile functions write them: at the end of the file, as
// new keys go after the keys of their section.
std::string appsAndPrefs(const std::string& day, const std::string& temperature) {
    return "[Software\\Talvora\\Apps\\{6F1A2C3E-8B4D-4E27-9C51-2D7E0A93B648}]\r\nea=" + day +
           "\r\nsu=" + day + "\r\n[Software\\Talvora\\Corvane\\UserProfile\\DisplayPrefs]\r\n" +
           "temperature=" + temperature + "\r\n";
}
} // namespace

TEST(ProfileCommit, WritesEveryKeyAndLeavesEverythingElse) {
    const std::string path =
        appsIniWith("[Software\\Talvora]\r\nInstallID=ABC123\r\n"
                    "[Software\\Talvora\\Corvane\\UserProfile]\r\nyob=55\r\nnickname=kit\r\n"
                    "[Other]\r\nkeep=me\r\n");
    const CommitOutcome outcome = commitProfile(resolvedProfile());
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(path, outcome.fileName);
    EXPECT_EQ("[Software\\Talvora]\r\nInstallID=ABC123\r\n"
              "[Software\\Talvora\\Corvane\\UserProfile]\r\nyob=02\r\nnickname=kit\r\ngender=M\r\n"
              "locCountry=US\r\nlocDisplayName=Paris, TX\r\nlocDMA=623\r\nlocID=USTX1010\r\n"
              "locState=TX\r\nlocType=1\r\nlocZip=75460\r\n[Other]\r\nkeep=me\r\n" +
                  appsAndPrefs("03/09/26", "C"),
              readWholeFile(path));
}

// A new profile's starting values as the commit writes them: each key under its section, in
// the written order, the day twice and every other answer empty but the female Fahrenheit pair.
TEST(ProfileCommit, CreatesAMissingFileWithTheProfilesStartingValues) {
    removeTree(PlatformDataFolder());
    EXPECT_TRUE(commitProfile(SetupProfile(SYSTEMTIME{2007, 8, 3, 22, 0, 0, 0, 0})).saved);
    EXPECT_EQ(appsAndPrefs("08/22/07", "F") +
                  "[Software\\Talvora\\Corvane\\UserProfile]\r\nyob=\r\ngender=F\r\n"
                  "locCountry=\r\nlocDisplayName=\r\nlocDMA=\r\nlocID=\r\nlocState=\r\n"
                  "locType=\r\nlocZip=\r\n",
              readWholeFile(PlatformDataFolder() + "apps.ini"));
}

TEST(ProfileCommit, SaysWhenTheKeysDidNotLandAndOnlyThen) {
    const std::string folder = PlatformDataFolder();
    removeTree(folder);
    CreateFolderTree(folder + "apps.ini\\"); // a folder where the file belongs
    SetLastError(0xdeadbeef);
    const CommitOutcome blocked = commitProfile(resolvedProfile());
    EXPECT_FALSE(blocked.saved);
    EXPECT_EQ(folder + "apps.ini", blocked.fileName);
    EXPECT_NE(0u, blocked.result.code());
    EXPECT_NE(0xdeadbeefu, blocked.result.code());

    // Values the profile functions give back trimmed or flattened still count as written: line
    // ends, quotes, and the white space they trim, such as the form feed and end-of-file mark
    // that "Český Krumlov", "Čačak" and "Ěkl Č" narrow to at either end.
    for (const char* name : {" \"Paris,\r\nTX\" ", "\014esk\375 Krumlov", "\014a\015ak",
                             "\032kl \014", "\t\v'Paris'\v"}) {
        removeTree(folder);
        SetupProfile profile = resolvedProfile();
        profile.setLocDisplayName(name);
        profile.setLocZip("");
        EXPECT_TRUE(commitProfile(profile).saved) << name;
    }
}

TEST(ProfileCommit, AValueTheProfileFunctionsLoseIsNotSaved) {
    // They report such writes done and drop the key (32,767 characters and more) or empty it.
    for (const size_t length : {40000u, 70000u}) {
        appsIniPath();
        SetupProfile profile = resolvedProfile();
        profile.setLocDisplayName(std::string(length, 'n'));
        SetLastError(0xdeadbeef);
        const CommitOutcome outcome = commitProfile(profile);
        EXPECT_FALSE(outcome.saved) << length;
        // No code from the system, whose words for 0 are those for success.
        EXPECT_EQ(0u, outcome.result.code()) << length;
        EXPECT_EQ(CommitProblem::NotKept, outcome.problem) << length;
    }
}

TEST(ProfileCommit, GivesTheSameBytesAsWritingInPlace) {
    const std::map<std::string, std::string> starts = {
        {"none", ""},
        {"empty", ""},
        {"around", "[Before]\r\na=1\r\n[Software\\Talvora\\Corvane\\UserProfile]\r\nnick=kit\r\n"
                   "[After]\r\nz=26\r\n"},
        {"lf only", "[Software\\Talvora]\nInstallID=ABC\n[Software\\Talvora\\Corvane\\UserProfile]"
                    "\nyob=70\n"},
        {"other case", "[software\\talvora\\corvane\\userprofile]\nLOCZIP=00000\nGender=M\r\n"},
        {"byte-order mark", "\xEF\xBB\xBF[Software\\Talvora]\r\nInstallID=B0M\r\n"},
        {"crowded profile section", crowdedProfileSection()},
    };
    const SetupProfile profile = resolvedProfile();
    const std::string path = appsIniPath();
    int serial = 0;
    for (const auto& [name, start] : starts) {
        // The profile functions know files by name: each reference gets a fresh one.
        const std::string reference = FolderOf(path) + "in-place-" + std::to_string(++serial);
        if (name != "none") {
            writeWholeFile(reference, start);
        }
        AppsIni inPlace;
        inPlace.SetFileName(reference.c_str());
        for (const ProfileKey& entry : profileKeys(profile)) {
            inPlace.WriteString(entry.section, entry.key, entry.value.c_str());
        }

        DeleteFileA(path.c_str());
        if (name != "none") {
            writeWholeFile(path, start);
        }
        EXPECT_TRUE(commitProfile(profile).saved) << name;
        EXPECT_EQ(readWholeFile(reference), readWholeFile(path)) << name;
        EXPECT_EQ(std::vector<std::string>{}, strayFiles(path)) << name;
        DeleteFileA(reference.c_str());
    }
}

TEST(ProfileCommit, KeepsWhatAnotherProgramWritesMeanwhile) {
    const std::string path = appsIniWith("[Software\\Talvora]\r\nInstallID=ABC123\r\n");
    int writes = 0;
    const CommitOutcome outcome = commitProfileWith(resolvedProfile(), [&] {
        if (++writes == 1) {
            WritePrivateProfileStringA("Other", "foreign", "kept", path.c_str());
        }
    });
    EXPECT_TRUE(outcome.saved);
    EXPECT_EQ(2, writes); // the second round found apps.ini as it had copied it
    AppsIni ini;
    bindAppsIni(ini);
    EXPECT_EQ("kept", ini.ReadString("Other", "foreign", "?"));
    EXPECT_EQ("ABC123", ini.ReadString("Software\\Talvora", "InstallID", "?"));
    for (const ProfileKey& entry : profileKeys(resolvedProfile())) {
        EXPECT_EQ(entry.value, ini.ReadString(entry.section, entry.key, "?")) << entry.key;
    }

    // A file that never holds still is left to its writer and the answers are not saved.
    writes = 0;
    const CommitOutcome restless = commitProfileWith(resolvedProfile(), [&] {
        WritePrivateProfileStringA("Other", "round", std::to_string(++writes).c_str(),
                                   path.c_str());
    });
    EXPECT_FALSE(restless.saved);
    EXPECT_EQ(CommitProblem::KeptChanging, restless.problem);
    EXPECT_EQ(3, writes);
    EXPECT_EQ("3", ini.ReadString("Other", "round", "?"));
    EXPECT_EQ(std::vector<std::string>{}, strayFiles(path));
}

TEST(ProfileCommit, AnyValueReadsBackAsSaved) {
    appsIniPath();
    SetupProfile profile = resolvedProfile();
    profile.setLocID("\x01");
    profile.setLocType("\x02");
    EXPECT_TRUE(commitProfile(profile).saved);
    AppsIni ini;
    bindAppsIni(ini);
    EXPECT_EQ("\x01", ini.ReadString(kUserProfileSection, "locID", "?"));
}

TEST(ProfileCommit, RemovesOnlyCopiesWhoseProcessEnded) {
    const std::string path = appsIniPath();
    const std::string live = stagedCopyName(path, GetCurrentProcessId(), ownStart(), 0x1f);
    const std::string reused = stagedCopyName(path, GetCurrentProcessId(), ownStart() + 1, 0x1f);
    const std::string gone = stagedCopyName(path, 0xFFFFFFF0ul, 1, 0x1f);
    for (const std::string& copy : {live, reused, gone}) {
        writeWholeFile(copy, "[Torn]\r\n");
    }
    EXPECT_TRUE(commitProfile(resolvedProfile()).saved);
    EXPECT_EQ(std::vector<std::string>{live.substr(FolderOf(live).size())}, strayFiles(path));
    EXPECT_EQ("[Torn]\r\n", readWholeFile(live));
}

TEST(ProfileCommit, WritesThroughLinksAndKeepsAttributes) {
    const std::string path = appsIniPath();
    const std::string other = FolderOf(path) + "shared.ini";
    writeWholeFile(other, "[Software\\Talvora]\r\nInstallID=LINK\r\n");
    ASSERT_TRUE(CreateHardLinkA(path.c_str(), other.c_str(), nullptr));
    EXPECT_TRUE(commitProfile(resolvedProfile()).saved);
    // Still one file under two names: the other name sees the answers.
    EXPECT_EQ(readWholeFile(path), readWholeFile(other));
    EXPECT_NE(std::string::npos, readWholeFile(other).find("locZip=75460"));

    DeleteFileA(other.c_str());
    DeleteFileA(path.c_str());
    writeWholeFile(path, "[Software\\Talvora]\r\nInstallID=HID\r\n");
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    if ((GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0) {
        GTEST_SKIP() << "this file system keeps no hidden attribute";
    }
    EXPECT_TRUE(commitProfile(resolvedProfile()).saved);
    EXPECT_NE(0u, GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(ProfileCommit, WritesInPlaceWhileAnotherProgramHoldsTheFile) {
    const std::string path = appsIniWith("[Software\\Talvora]\r\nInstallID=HELD\r\n");
    FileHandle held; // the file cannot be renamed over
    EXPECT_TRUE(commitProfileWith(resolvedProfile(), [&] {
                    held.reset(heldWithoutDeleteSharing(path));
                }).saved);
    ASSERT_TRUE(held.valid());
    // The holder's file is the one that got the answers.
    char seen[512] = {};
    DWORD got = 0;
    ReadFile(held.get(), seen, sizeof seen - 1, &got, nullptr);
    EXPECT_NE(nullptr, std::strstr(seen, "locZip=75460"));
    EXPECT_NE(nullptr, std::strstr(seen, "InstallID=HELD"));
    EXPECT_EQ(std::vector<std::string>{}, strayFiles(path));
}

TEST(ProfileCommit, SaysAnotherProgramIsSavingWhileItsLockIsHeld) {
    const std::string before = "[Software\\Talvora]\r\nInstallID=WAIT\r\n";
    const std::string path = appsIniWith(before);
    const FileLock otherPage(path + ".lock", Deadline::after(0));
    ASSERT_TRUE(otherPage.held());
    SetLastError(0xdeadbeef);
    const CommitOutcome outcome = commitProfile(resolvedProfile());
    EXPECT_FALSE(outcome.saved);
    EXPECT_EQ(CommitProblem::LockBusy, outcome.problem);
    EXPECT_EQ(0u, outcome.result.code()); // busy is no failure of the system's
    EXPECT_EQ(before, readWholeFile(path));
}

TEST(ProfileCommit, WritesNothingInPlaceWithoutTheLock) {
    const std::string before = "[Software\\Talvora]\r\nInstallID=NOLOCK\r\n";
    const std::string path = appsIniWith(before);
    ASSERT_TRUE(CreateDirectoryA((path + ".lock").c_str(), nullptr)); // no page can hold it
    // A copy renamed over apps.ini cannot tear it, lock or not.
    EXPECT_TRUE(commitProfile(resolvedProfile()).saved);

    // Written in place, two commits at once could tear it: without the lock, nothing is.
    const std::string link = FolderOf(path) + "linked.ini";
    writeWholeFile(path, before);
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), path.c_str(), nullptr));
    FileHandle held;
    for (const bool linked : {true, false}) {
        const CommitOutcome outcome = commitProfileWith(
            resolvedProfile(), [&] { held.reset(heldWithoutDeleteSharing(path)); });
        EXPECT_FALSE(outcome.saved) << linked;
        EXPECT_EQ(CommitProblem::LockFolder, outcome.problem) << linked;
        EXPECT_EQ(before, readWholeFile(path)) << linked;
        EXPECT_EQ(std::vector<std::string>{"apps.ini.lock"}, strayFiles(path)) << linked;
        DeleteFileA(link.c_str()); // then only the holder's refusal sends it in place
        EXPECT_EQ(linked, !held.valid()) << "the hook ran only where a rename was near";
        held.reset();
    }
    RemoveDirectoryA((path + ".lock").c_str());
}

TEST(ProfileCommit, ARenameRefusedForAMomentIsTriedAgain) {
    const std::string path = appsIniWith("[Software\\Talvora]\r\nInstallID=SCAN\r\n");
    const std::pair<DWORD, DWORD> original = fileIndexOf(path);
    std::optional<CopyHeldAMoment> scanner;
    const CommitOutcome outcome = commitProfileWith(resolvedProfile(), [&] {
        if (!scanner) {
            scanner.emplace(path, 300);
        }
    });
    ASSERT_TRUE(scanner && scanner->tookIt());
    EXPECT_TRUE(outcome.saved);
    EXPECT_NE(original, fileIndexOf(path)) << "written in place, not replaced in one step";
    EXPECT_NE(std::string::npos, readWholeFile(path).find("locZip=75460"));
}

// The day as the commit writes it (the starting values are above): month, day and
// year in two digits each, and today's for a profile made without one.
TEST(SetupProfile, StampsTheDayInTwoDigitsEach) {
    EXPECT_EQ("12/01/00", SetupProfile::dateStamp(SYSTEMTIME{2000, 12, 5, 1, 0, 0, 0, 0}));
    EXPECT_EQ("08/22/07", SetupProfile(SYSTEMTIME{2007, 8, 3, 22, 0, 0, 0, 0}).ea());
    SYSTEMTIME now{};
    GetLocalTime(&now);
    EXPECT_EQ(SetupProfile::dateStamp(now), SetupProfile().ea());
}
