#include "LockHolder.h"

#include "platform/Files.h"
#include "platform/FilesTesting.h"
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <optional>
#include <thread>

TEST(FileBytes, CreatesNewFilesAndReadsThemBackWhole) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answer.xml";
    // Past one megabyte, the most one system call moves, with every byte value.
    std::string bytes((1u << 20) + 3, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    ASSERT_TRUE(createFileWithBytes(path, bytes).ok());
    std::string read;
    EXPECT_TRUE(readFileBytes(path, read).ok());
    EXPECT_TRUE(read == bytes);

    const std::string empty = folder.path() + "empty.xml";
    EXPECT_TRUE(createFileWithBytes(empty, "").ok());
    EXPECT_TRUE(readFileBytes(empty, read).ok());
    EXPECT_EQ("", read);

    // Up to its cap, and while another program has it open for writing, sharing reading.
    const FileHandle writer(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_TRUE(readFileBytes(path, read, bytes.size()).ok());
    EXPECT_EQ(bytes.size(), read.size());
}

TEST(FileBytes, FailuresGiveTheSystemsReasonAndKeepNothing) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answer.xml";
    const std::string nowhere = folder.path() + "missing\\answer.xml";
    writeWholeFile(folder.path() + "answer.xml", std::string(100, 'a'));
    const FileHandle readOnly(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(readOnly.valid());
    std::string read;
    const struct {
        const char* name;
        std::function<SystemResult()> call;
        DWORD error;
        const char* read; // what the bytes read hold afterwards: nothing of a failed read
    } rows[] = {
        {"an existing file is never replaced", [&] { return createFileWithBytes(path, "new"); },
         ERROR_FILE_EXISTS, "stale"},
        {"no folder for it", [&] { return createFileWithBytes(nowhere, "x"); },
         ERROR_PATH_NOT_FOUND, "stale"},
        {"over the cap", [&] { return readFileBytes(path, read, 99); }, ERROR_FILE_TOO_LARGE, ""},
        {"no such file", [&] { return readFileBytes(folder.path() + "x", read); },
         ERROR_FILE_NOT_FOUND, ""},
        {"a handle not open for writing", [&] { return writeAll(readOnly.get(), "x"); },
         ERROR_ACCESS_DENIED, "stale"},
    };
    for (const auto& row : rows) {
        read = "stale";
        SetLastError(0xdeadbeef);
        EXPECT_EQ(row.error, row.call().code()) << row.name;
        EXPECT_EQ(row.read, read) << row.name;
    }
    EXPECT_TRUE(readFileBytes(path, read, 100).ok());
    EXPECT_EQ(std::string(100, 'a'), read);
    EXPECT_FALSE(fileFacts(nowhere).exists);
}

TEST(FileSwap, FactsTellFilesFoldersAndHardLinksApart) {
    const ScratchFolder folder;
    const std::string file = folder.path() + "apps.ini";
    const std::string link = folder.path() + "link.ini";
    writeWholeFile(folder.path() + "apps.ini", "[a]\r\n");

    EXPECT_FALSE(fileFacts(folder.path() + "missing.ini").exists);
    const FileFacts plain = fileFacts(file);
    EXPECT_TRUE(plain.exists);
    EXPECT_FALSE(plain.folder);
    EXPECT_FALSE(plain.linked);
    EXPECT_TRUE(fileFacts(folder.path()).folder);

    // Once the file has a second name, both names count as linked.
    ASSERT_TRUE(CreateHardLinkA(link.c_str(), file.c_str(), nullptr));
    EXPECT_TRUE(fileFacts(file).linked);
    EXPECT_TRUE(fileFacts(link).linked);
}

TEST(FileSwap, WritingAndFlushingNeedAFileOthersLetBeWritten) {
    const ScratchFolder folder;
    const std::string missing = folder.path() + "missing.ini";
    const std::string file = folder.path() + "apps.ini";
    writeWholeFile(folder.path() + "apps.ini", "[a]\r\n");

    EXPECT_FALSE(opensForWriting(missing));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), flushFile(missing).code());
    EXPECT_TRUE(opensForWriting(file));
    EXPECT_TRUE(flushFile(file).ok());

    // A holder that shares reading only keeps everyone else from writing.
    const FileHandle holder(CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(holder.valid());
    EXPECT_FALSE(opensForWriting(file));
    EXPECT_FALSE(flushFile(file).ok());
}

TEST(FileSwap, RenameOverReplacesInOneStepUnlessAnotherHolderKeepsTheTarget) {
    const ScratchFolder folder;
    const std::string target = folder.path() + "apps.ini";
    const std::string copy = folder.path() + "apps.ini.copy";
    writeWholeFile(target, "old");
    writeWholeFile(copy, "new");
    EXPECT_TRUE(renameOver(copy, target).ok());
    EXPECT_EQ("new", readWholeFile(target));
    EXPECT_FALSE(fileFacts(copy).exists);

    // The holder shares reading and writing but not deleting: the system refuses to replace
    // the file under it (Wine says ERROR_ACCESS_DENIED), and both files stay as they were.
    writeWholeFile(copy, "newer");
    {
        const FileHandle holder(CreateFileA(target.c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.valid());
        SetLastError(0xdeadbeef);
        const SystemResult refused = renameOver(copy, target);
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(heldByAnother(refused.code())) << refused.code();
    }
    EXPECT_EQ("new", readWholeFile(target));
    EXPECT_EQ("newer", readWholeFile(copy));

    // A copy that is not there is no other holder's doing.
    SetLastError(0xdeadbeef);
    const SystemResult missing = renameOver(folder.path() + "missing.copy", target);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), missing.code());
    EXPECT_FALSE(heldByAnother(missing.code()));
}

namespace {
// How late past its deadline a wait may end on a busy machine.
constexpr ULONGLONG kLateMs = 1500;
} // namespace

TEST(FileLock, ASecondHolderWaitsUntilItsDeadlineOrUntilTheFirstLetsGo) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answers.lock";
    std::optional<FileLock> first(std::in_place, path, Deadline::after(0));
    ASSERT_TRUE(first->held());

    ULONGLONG start = GetTickCount64();
    const FileLock refused(path, Deadline::after(300));
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
    const FileLock second(path, Deadline::after(10000));
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
        const FileLock held(path, Deadline::after(0));
        ASSERT_TRUE(held.held());
        for (const std::string& spelling :
             {upper, folder.path() + "elsewhere\\..\\answers.lock", slashes}) {
            const FileLock other(spelling, Deadline::after(0));
            EXPECT_TRUE(other.busy()) << spelling;
        }
    }
    EXPECT_FALSE(fileFacts(path).exists);
    EXPECT_TRUE(FileLock(upper, Deadline::after(0)).held());
}

// The system closes the handles of a process however it ends, so a holder that was killed
// hands the lock on with no wait.
TEST(FileLock, AHolderThatEndedHandsItOnAtOnce) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "apps.ini.lock";
    LockHolder holder = startLockHolder(path);
    ASSERT_TRUE(holder.valid());
    EXPECT_TRUE(FileLock(path, Deadline::after(0)).busy());

    holder.reset(); // TerminateProcess, then waits for the end
    EXPECT_TRUE(FileLock(path, Deadline::after(0)).held());
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
        const FileLock lock(c.path, Deadline::after(5000));
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
    EXPECT_EQ(LockObstacle::File, lockObstacleAt(file, ERROR_ACCESS_DENIED));
    EXPECT_EQ(LockObstacle::Folder, lockObstacleAt(inTheWay, ERROR_ACCESS_DENIED));
    EXPECT_EQ(LockObstacle::None, lockObstacleAt(file + "x", ERROR_ACCESS_DENIED));
    EXPECT_EQ(LockObstacle::OtherHolder, lockObstacleAt(file, ERROR_SHARING_VIOLATION));
    EXPECT_EQ(LockObstacle::None, lockObstacleAt(file, ERROR_DISK_FULL));
}
