#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "platform/SystemResult.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace {
// Longer than the folder operations take, below a folder that is missing.
std::string overlong(const std::string& base) {
    std::string path = base;
    while (path.size() <= kMaxFolderPath) {
        path += "\\segment";
    }
    return path;
}
} // namespace

TEST(Paths, FolderOfSplitsLikeTheRuntime) {
    const std::string deep = "C:\\" + std::string(400, 'd') + "\\f.txt";
    const std::pair<std::string, std::string> rows[] = {
        {"C:\\a\\b\\prog.exe", "C:\\a\\b\\"},
        {"prog.exe", ""},
        {"C:\\a\\b\\", "C:\\a\\b\\"},
        {"C:prog.exe", "C:"},
        {"C:\\a/b/prog.exe", "C:\\a/b/"},
        {"\\\\server\\share\\x.ini", "\\\\server\\share\\"},
        {deep, deep.substr(0, deep.size() - 5)},
    };
    for (const auto& [path, folder] : rows) {
        EXPECT_EQ(folder, FolderOf(path)) << path;
    }
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

TEST(Folders, WhatIsThereIsFoundWithOrWithoutATrailingBackslash) {
    const ScratchFolder scratch;
    CreateDirectoryA((scratch.path() + "a").c_str(), nullptr);
    writeWholeFile(scratch.path() + "f.txt", "x");
    const struct {
        std::string path;
        bool folder;
        bool file;
    } rows[] = {
        {scratch.path() + "a", true, true},
        {scratch.path() + "a\\", true, false},
        {scratch.path() + "f.txt", true, true}, // any entry counts
        {scratch.path() + "missing", false, false},
        {"", false, false},
        {overlong(scratch.path() + "a"), false, false},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(row.folder, FolderExists(row.path)) << row.path;
        EXPECT_EQ(row.file, FileExists(row.path)) << row.path;
    }
}

// A folder that cannot be made answers the system's reason, and its words alone, with no path,
// prefix or line end, go to the debugger output.
TEST(Folders, AreMadeOutsideInOrRefusedWithTheSystemsReason) {
    const ScratchFolder scratch;
    writeWholeFile(scratch.path() + "plain", "x");
    const std::string fits =
        scratch.path() + std::string(kMaxFolderPath - scratch.path().size(), 'f');
    const struct {
        const char* name;
        bool tree; // createFolderTree (CreateFolderTree), else createFolder (CreateFolder)
        std::string path;
        bool made;
        DWORD error; // when not made; 0 for whatever the system says
    } rows[] = {
        {"a tree", true, scratch.path() + "x\\y\\z\\", true, 0},
        {"the tree again", true, scratch.path() + "x\\y\\z\\", true, 0},
        {"a folder that is there", false, scratch.path() + "x\\y\\z\\", true, 0},
        {"below a file", false, scratch.path() + "plain\\sub\\inner", false, ERROR_PATH_NOT_FOUND},
        {"below a file, as a tree", true, scratch.path() + "plain\\sub\\", false, 0},
        {"empty", false, "", false, 0},
        {"too long", false, overlong(scratch.path() + "long"), false, 0},
        {"too long, as a tree", true, overlong(scratch.path() + "long") + "\\", false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const DebugOutputCapture debug;
        SetLastError(0xdeadbeef);
        const SystemResult result = row.tree ? createFolderTree(row.path) : createFolder(row.path);
        const DWORD error = result.code();
        EXPECT_EQ(row.made, result.ok());
        EXPECT_EQ(row.made, FolderExists(row.path));
        if (!row.made) {
            EXPECT_NE(0u, error);
            EXPECT_NE(0xdeadbeefu, error);
            EXPECT_EQ(row.error ? row.error : error, error);
            EXPECT_NE("", debug.text());
            EXPECT_EQ(systemErrorText(error), debug.text());
        }
    }
    EXPECT_TRUE(FolderExists(scratch.path() + "x\\y"));
    EXPECT_FALSE(FolderExists(scratch.path() + "long")); // no ancestor of a path too long
    // Exactly at the limit still works, as far as the system takes such a name.
    ASSERT_EQ(kMaxFolderPath, fits.size());
    EXPECT_TRUE(CreateFolder(fits) || GetLastError() == ERROR_FILENAME_EXCED_RANGE);
}

TEST(Folders, PagesMakingTheSameFolderAtOnceBothHaveIt) {
    // Two pages started together both find temp\ missing and both create it.
    const ScratchFolder scratch;
    for (int round = 0; round < 40; ++round) {
        const std::string folder = scratch.path() + "r" + std::to_string(round) + "\\a\\b\\";
        const KernelHandle start(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        bool made[2] = {};
        auto make = [&](int n) {
            WaitForSingleObject(start.get(), INFINITE);
            made[n] = CreateFolderTree(folder);
        };
        std::thread first(make, 0);
        std::thread second(make, 1);
        SetEvent(start.get());
        first.join();
        second.join();
        ASSERT_TRUE(made[0] && made[1]) << "round " << round;
    }
}

TEST(WritableFolder, IsMadeWithItsParentsOrRefusedWithTheSystemsReason) {
    const ScratchFolder scratch;
    writeWholeFile(scratch.path() + "taken", "x");
    const struct {
        std::string folder;
        bool made;
        DWORD error; // when not made; 0 for whatever the system says (Wine: path not found)
    } rows[] = {
        {scratch.path() + "a\\b\\c\\", true, 0},
        {scratch.path() + "a\\b\\c\\", true, 0}, // again, with the folder there
        {scratch.path() + "taken\\", false, 0},
        {scratch.path() + "taken\\sub\\", false, 0},
        {"", false, ERROR_PATH_NOT_FOUND},
    };
    for (const auto& row : rows) {
        SetLastError(0xdeadbeef);
        const SystemResult result = makeWritableFolder(row.folder);
        EXPECT_EQ(row.made, result.ok()) << row.folder;
        if (row.made) {
            EXPECT_TRUE(FolderExists(row.folder)) << row.folder;
            EXPECT_EQ(0u, namesIn(row.folder + "*").size()) << "the proof is gone with its handle";
        } else {
            EXPECT_NE(0u, result.code()) << row.folder;
            EXPECT_NE(0xdeadbeefu, result.code()) << row.folder;
            EXPECT_EQ(row.error ? row.error : result.code(), result.code()) << row.folder;
            EXPECT_NE("", systemErrorText(result.code())) << row.folder << " " << result.code();
        }
    }
}
