#include "platform/Files.h"
#include "settings/AppsIni.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

TEST(DataFolders, PlatformFolderIsBelowLocalAppData) {
    char local[MAX_PATH] = {};
    ASSERT_TRUE(SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local)));
    EXPECT_EQ(std::string(local), AppDataFolder());
    EXPECT_EQ(std::string(local) + "\\Talvora\\Corvane\\", PlatformDataFolder());
}

TEST(DataFolders, ExistenceTests) {
    ScratchFolder scratch;
    const std::string folder = scratch.path() + "a";
    EXPECT_FALSE(FolderExists(folder));
    EXPECT_FALSE(FileExists(folder));
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_TRUE(FolderExists(folder + "\\"));
    EXPECT_TRUE(FileExists(folder));

    const std::string file = scratch.path() + "f.txt";
    writeWholeFile(file, "x");
    EXPECT_TRUE(FileExists(file));
    EXPECT_TRUE(FolderExists(file)); // any entry counts
    EXPECT_FALSE(FolderExists(""));
}

TEST(DataFolders, TreeIsCreatedFromTheOutsideIn) {
    ScratchFolder scratch;
    const std::string tree = scratch.path() + "x\\y\\z\\";
    EXPECT_TRUE(CreateFolderTree(tree));
    EXPECT_TRUE(FolderExists(scratch.path() + "x"));
    EXPECT_TRUE(FolderExists(scratch.path() + "x\\y"));
    EXPECT_TRUE(FolderExists(tree));
    EXPECT_TRUE(CreateFolderTree(tree)); // already there
    EXPECT_TRUE(CreateFolder(tree));
}

TEST(DataFolders, FailedCreationReportsTheSystemTextOnTheDebuggerOutput) {
    ScratchFolder scratch;
    const std::string file = scratch.path() + "plain";
    writeWholeFile(file, "x");

    char expected[501] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   ERROR_PATH_NOT_FOUND, 0, expected, sizeof expected, nullptr);
    std::string sentence = expected;
    sentence.resize(sentence.size() - 2);

    DebugOutputCapture debug;
    EXPECT_FALSE(CreateFolder(file + "\\sub\\inner"));
    EXPECT_EQ(sentence, debug.text()); // the text alone: no path, prefix or line end

    DebugOutputCapture again;
    EXPECT_FALSE(CreateFolder(""));
    EXPECT_FALSE(again.text().empty());
}

TEST(DataFolders, OverlongPathsAreRefusedWithoutCreatingAnything) {
    ScratchFolder scratch;
    const std::string base = scratch.path() + "long";
    std::string path = base;
    while (path.size() <= kMaxFolderPath) {
        path += "\\segment";
    }
    DebugOutputCapture debug;
    EXPECT_FALSE(FolderExists(path));
    EXPECT_FALSE(CreateFolder(path));
    EXPECT_FALSE(CreateFolderTree(path + "\\"));
    EXPECT_FALSE(FolderExists(base)); // no ancestor was made
    EXPECT_FALSE(debug.text().empty());

    // Exactly at the limit still works.
    std::string fits = scratch.path() + std::string(kMaxFolderPath - scratch.path().size(), 'f');
    ASSERT_EQ(kMaxFolderPath, fits.size());
    EXPECT_TRUE(CreateFolder(fits) || GetLastError() == ERROR_FILENAME_EXCED_RANGE);
}
