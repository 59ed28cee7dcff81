#include "platform/Files.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

TEST(Paths, FolderOfSplitsLikeTheRuntime) {
    EXPECT_EQ("C:\\a\\b\\", FolderOf("C:\\a\\b\\prog.exe"));
    EXPECT_EQ("", FolderOf("prog.exe"));
    EXPECT_EQ("C:\\a\\b\\", FolderOf("C:\\a\\b\\"));
    EXPECT_EQ("C:", FolderOf("C:prog.exe"));
    EXPECT_EQ("C:\\a/b/", FolderOf("C:\\a/b/prog.exe"));
    EXPECT_EQ("\\\\server\\share\\", FolderOf("\\\\server\\share\\x.ini"));
    const std::string deep = "C:\\" + std::string(400, 'd') + "\\f.txt";
    EXPECT_EQ(deep.substr(0, deep.size() - 5), FolderOf(deep));
}

TEST(Paths, ModuleAndTempFolders) {
    const std::string module = ModulePath();
    EXPECT_NE(std::string::npos, module.find("platform_tests.exe"));
    EXPECT_EQ(FolderOf(module), ModuleFolder());
    EXPECT_EQ('\\', ModuleFolder().back());

    char platformTemp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, platformTemp);
    EXPECT_EQ(std::string(platformTemp), TempFolder());
    EXPECT_EQ('\\', TempFolder().back());
}
