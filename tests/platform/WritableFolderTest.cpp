#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/SystemResult.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <thread>

namespace {
// Names in a folder besides "." and "..".
int entriesIn(const std::string& folder) {
    WIN32_FIND_DATAA data;
    const FindHandle find(FindFirstFileA((folder + "*").c_str(), &data));
    int count = 0;
    for (bool more = find.valid(); more; more = FindNextFileA(find.get(), &data)) {
        const std::string name = data.cFileName;
        count += name != "." && name != ".." ? 1 : 0;
    }
    return count;
}
} // namespace

TEST(WritableFolder, MakesMissingParentsAndLeavesNothingInThem) {
    const ScratchFolder scratch;
    const std::string folder = scratch.path() + "a\\b\\c\\";
    EXPECT_TRUE(makeWritableFolder(folder).ok());
    EXPECT_TRUE(FolderExists(folder));
    EXPECT_EQ(0, entriesIn(folder)); // the proof is gone with its handle
    EXPECT_TRUE(makeWritableFolder(folder).ok());
}

TEST(WritableFolder, PagesMakingTheSameFolderAtOnceBothHaveIt) {
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

// Wine gives ERROR_PATH_NOT_FOUND for both, with its text "Path not found.".
TEST(WritableFolder, AFileWhereTheFolderShouldBeIsReportedWithTheSystemsReason) {
    const ScratchFolder scratch;
    writeWholeFile(scratch.path() + "taken", "x");
    for (const std::string& folder :
         {scratch.path() + "taken\\", scratch.path() + "taken\\sub\\"}) {
        const SystemResult result = makeWritableFolder(folder);
        EXPECT_FALSE(result.ok()) << folder;
        EXPECT_NE(0u, result.code()) << folder;
        EXPECT_NE("", systemErrorText(result.code())) << folder << " " << result.code();
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), makeWritableFolder("").code());
}
