#include "platform/Files.h"
#include "settings/AppsIni.h"
#include "support/FailingAllocator.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
class AppsIniFile : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string path = scratch.path() + "apps.ini";
    AppsIni ini;

    void SetUp() override { ini.SetFileName(path.c_str()); }
};
} // namespace

TEST_F(AppsIniFile, WritesAndReadsBackThroughTheProfileFunctions) {
    EXPECT_EQ("dflt", ini.ReadString("S", "k", "dflt")); // no file yet
    EXPECT_EQ("", ini.ReadString("S", "k", nullptr));
    EXPECT_NE(0, ini.WriteString("Software\\Talvora", "InstallID", "abc 123"));
    EXPECT_EQ("abc 123", ini.ReadString("Software\\Talvora", "InstallID", ""));
    EXPECT_EQ("[Software\\Talvora]\r\nInstallID=abc 123\r\n", readWholeFile(path));

    EXPECT_NE(0, ini.WriteString("S", "empty", nullptr));
    EXPECT_NE(std::string::npos, readWholeFile(path).find("empty=\r\n"));
    EXPECT_EQ("", ini.ReadString("S", "empty", "dflt"));
}

TEST_F(AppsIniFile, NullSectionOrKeyNeverReachesTheFile) {
    ini.WriteString("S", "a", "1");
    const std::string before = readWholeFile(path);
    EXPECT_EQ(0, ini.WriteString(nullptr, "a", "2"));
    EXPECT_EQ(0, ini.WriteString("S", nullptr, "2"));
    EXPECT_EQ(before, readWholeFile(path));
    EXPECT_EQ("d", ini.ReadString(nullptr, "a", "d"));
    EXPECT_EQ("d", ini.ReadString("S", nullptr, "d"));
}

TEST_F(AppsIniFile, LongValuesComeBackWhole) {
    for (size_t length : {510u, 511u, 512u, 1023u, 1024u, 5000u}) {
        const std::string value(length, 'v');
        ini.WriteString("S", "long", value.c_str());
        EXPECT_EQ(value, ini.ReadString("S", "long", "")) << length;
    }
}

TEST_F(AppsIniFile, ASectionComesBackWholeInFileOrder) {
    const std::string longValue(9000, 'v'); // past the first buffer, which must grow
    writeWholeFile(path, "[Before]\r\nb=0\r\n[S]\r\n  spaced  =x\r\nempty=\r\nlong=" + longValue +
                             "\r\nEq=a=b\r\n[After]\r\nz=1\r\n");
    const AppsIni::Entries expected = {
        {"spaced", "x"}, {"empty", ""}, {"long", longValue}, {"Eq", "a=b"}};
    EXPECT_EQ(expected, ini.readSection("s"));
    EXPECT_EQ(AppsIni::Entries{}, ini.readSection("Missing"));
    EXPECT_EQ(AppsIni::Entries{}, ini.readSection(nullptr));
    AppsIni unbound;
    EXPECT_EQ(AppsIni::Entries{}, unbound.readSection("S"));

    // Past the 32,767 characters the system documents as the most a section's reading gives:
    // not taken for whole, so its keys are to be read one by one.
    writeWholeFile(path, "[S]\r\nlong=" + std::string(33000, 'v') + "\r\n");
    EXPECT_EQ(std::nullopt, ini.readSection("S"));
}

TEST_F(AppsIniFile, LineBreaksInAValueCannotPlantKeysOrSections) {
    EXPECT_NE(0, ini.WriteString("Software\\Talvora\\Corvane\\UserProfile", "locDisplayName",
                                 "Paris\r\n[Software\\Talvora]\r\nInstallID=forged\nx=1"));
    EXPECT_EQ("", ini.ReadString("Software\\Talvora", "InstallID", ""));
    EXPECT_EQ("", ini.ReadString("Software\\Talvora\\Corvane\\UserProfile", "x", ""));
    EXPECT_EQ("Paris  [Software\\Talvora]  InstallID=forged x=1",
              ini.ReadString("Software\\Talvora\\Corvane\\UserProfile", "locDisplayName", ""));
}

TEST_F(AppsIniFile, BufferCopyRule) {
    char buffer[25];
    ini.WriteString("S", "ten", "0123456789");
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(10u, ini.ReadStringToBuffer("S", "ten", buffer, sizeof buffer, ""));
    EXPECT_EQ(0, std::memcmp(buffer, "0123456789", 11));
    for (size_t i = 11; i < sizeof buffer; ++i) {
        EXPECT_EQ('\0', buffer[i]) << i;
    }

    ini.WriteString("S", "thirty", std::string(30, 't').c_str());
    EXPECT_EQ(25u, ini.ReadStringToBuffer("S", "thirty", buffer, sizeof buffer, ""));
    EXPECT_EQ(std::string(25, 't'), std::string(buffer, 25)); // full, no terminator

    EXPECT_EQ(30u, ini.ReadStringToBuffer("S", "thirty", nullptr, 0, ""));
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(4u, ini.ReadStringToBuffer("S", "missing", buffer, sizeof buffer, "dflt"));
    EXPECT_STREQ("dflt", buffer);
}

TEST(AppsIni, FileNameBinding) {
    AppsIni ini;
    EXPECT_EQ(nullptr, ini.fileName());
    ini.SetFileName(nullptr);
    EXPECT_EQ(nullptr, ini.fileName());
    ini.SetFileName("C:\\one.ini");
    ini.SetFileName("C:\\two.ini");
    EXPECT_STREQ("C:\\two.ini", ini.fileName());
    ini.SetFileName(nullptr);
    ASSERT_NE(nullptr, ini.fileName());
    EXPECT_STREQ("", ini.fileName());
    // Unbound: nothing may fall through to the system's win.ini.
    EXPECT_EQ(0, ini.WriteString("S", "k", "v"));
    EXPECT_EQ("d", ini.ReadString("S", "k", "d"));
}

TEST_F(AppsIniFile, WithoutMemoryNothingIsWrittenAndNothingCrashes) {
    ini.WriteString("S", "k", "kept");
    const std::string before = readWholeFile(path);
    int written = 1;
    std::string read = "unset";
    {
        AllocationsFail noMemory;
        written = ini.WriteString("S", "k", "a value long enough to need the heap\r\nsecond line");
        read = ini.ReadString("S", "k", "d");
    }
    EXPECT_EQ(0, written);
    EXPECT_EQ("", read);
    EXPECT_EQ(before, readWholeFile(path));
}

TEST(AppsIni, BindingCreatesThePlatformFolder) {
    const std::string folder = PlatformDataFolder();
    removeTree(folder);
    ASSERT_FALSE(FolderExists(folder));
    AppsIni ini;
    bindAppsIni(ini);
    EXPECT_EQ(folder + "apps.ini", ini.fileName());
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ("none", ini.ReadString("Software\\Talvora", "InstallID", "none"));
}

// apps.ini's folder is below the user's own local (not roaming) application data, which the
// system makes when it is missing; the page makes the rest.
TEST(DataFolders, ThePlatformFolderIsBelowTheUsersLocalApplicationData) {
    const std::string local = AppDataFolder();
    const std::string ending = "\\AppData\\Local";
    ASSERT_GT(local.size(), ending.size());
    EXPECT_EQ(0, _stricmp(ending.c_str(), local.c_str() + local.size() - ending.size())) << local;
    EXPECT_TRUE(FolderExists(local)) << local;
    EXPECT_EQ(local + "\\Talvora\\Corvane\\", PlatformDataFolder());
    EXPECT_EQ(local, AppDataFolder()); // the same for the rest of the process
}
