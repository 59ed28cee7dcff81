#include "LockHolder.h"

#include "platform/FileLock.h"
#include "platform/FileLockTesting.h"
#include "platform/FileSwap.h"
#include "platform/PathText.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <optional>
#include <thread>

namespace {
// How late past its deadline a wait may end on a busy machine.
constexpr ULONGLONG kLateMs = 1500;
} // namespace

TEST(FileLock, ASecondHolderWaitsUntilItsDeadlineOrUntilTheFirstLetsGo) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answers.lock";
    std::optional<FileLock> first(std::in_place, widePath(path), Deadline::after(0));
    ASSERT_TRUE(first->held());

    ULONGLONG start = GetTickCount64();
    const FileLock refused(widePath(path), Deadline::after(300));
    const ULONGLONG waited = GetTickCount64() - start;
    EXPECT_FALSE(refused.held());
    EXPECT_TRUE(refused.busy());
    EXPECT_TRUE(refused.result().ok()); // busy is no failure of the system
    EXPECT_GE(waited, 300u);
    EXPECT_LT(waited, 300 + kLateMs);

    // Let go after 200 ms: the waiter has it then, long before its deadline.
    start = GetTickCount64();
    std::thread letGo([&first] {
        Sleep(200);
        first.reset();
    });
    const FileLock second(widePath(path), Deadline::after(10000));
    letGo.join();
    EXPECT_TRUE(second.held());
    EXPECT_LT(GetTickCount64() - start, 200 + kLateMs);
}

TEST(FileLock, EverySpellingOfThePathIsOneLockAndTheFileGoesWithIt) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answers.lock";
    std::string upper = path;
    CharUpperA(upper.data());
    std::string slashes = path;
    for (char& c : slashes) {
        c = c == '\\' ? '/' : c;
    }
    {
        const FileLock held(widePath(path), Deadline::after(0));
        ASSERT_TRUE(held.held());
        for (const std::string& spelling :
             {upper, folder.path() + "elsewhere\\..\\answers.lock", slashes}) {
            const FileLock other(widePath(spelling), Deadline::after(0));
            EXPECT_TRUE(other.busy()) << spelling;
        }
    }
    EXPECT_FALSE(fileFacts(widePath(path)).exists);
    EXPECT_TRUE(FileLock(widePath(upper), Deadline::after(0)).held());
}

// The system closes the handles of a process however it ends, so a holder that was killed
// hands the lock on with no wait.
TEST(FileLock, AHolderThatEndedHandsItOnAtOnce) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "apps.ini.lock";
    LockHolder holder = startLockHolder(path);
    ASSERT_TRUE(holder.valid());
    EXPECT_TRUE(FileLock(widePath(path), Deadline::after(0)).busy());

    holder.reset(); // TerminateProcess, then waits for the end
    EXPECT_TRUE(FileLock(widePath(path), Deadline::after(0)).held());
}

TEST(FileLock, WhatStandsInItsWayIsToldAndNoFolderIsWaitedFor) {
    const ScratchFolder folder;
    const std::string missing = folder.path() + "missing\\apps.ini.lock";
    const std::string inTheWay = folder.path() + "apps.ini.lock";
    CreateDirectoryA(inTheWay.c_str(), nullptr);
    struct Case {
        std::string path;
        DWORD error;
        LockObstacle obstacle;
    };
    for (const Case& c : {Case{missing, ERROR_PATH_NOT_FOUND, LockObstacle::None},
                          Case{inTheWay, ERROR_ACCESS_DENIED, LockObstacle::Folder}}) {
        const ULONGLONG start = GetTickCount64();
        SetLastError(0xdeadbeef);
        const FileLock lock(widePath(c.path), Deadline::after(5000));
        EXPECT_FALSE(lock.held()) << c.path;
        EXPECT_FALSE(lock.busy()) << c.path;
        EXPECT_EQ(c.obstacle, lock.obstacle()) << c.path;
        EXPECT_EQ(c.error, lock.result().code()) << c.path;
        EXPECT_LT(GetTickCount64() - start, 5000u) << c.path; // no waiting for what cannot come
    }

    // Refusals Wine never gives for a file: on Windows one being deleted while a scanner still
    // has it open refuses every opening with ERROR_ACCESS_DENIED for a moment.
    const std::string file = folder.path() + "answers.lock";
    writeWholeFile(file, "");
    EXPECT_EQ(LockObstacle::File, lockObstacleAt(widePath(file), ERROR_ACCESS_DENIED));
    EXPECT_EQ(LockObstacle::Folder, lockObstacleAt(widePath(inTheWay), ERROR_ACCESS_DENIED));
    EXPECT_EQ(LockObstacle::None, lockObstacleAt(widePath(file + "x"), ERROR_ACCESS_DENIED));
    EXPECT_EQ(LockObstacle::OtherHolder, lockObstacleAt(widePath(file), ERROR_SHARING_VIOLATION));
    EXPECT_EQ(LockObstacle::None, lockObstacleAt(widePath(file), ERROR_DISK_FULL));
}
