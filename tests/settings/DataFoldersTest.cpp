#include "platform/Folders.h"
#include "settings/DataFolders.h"

#include <gtest/gtest.h>

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
