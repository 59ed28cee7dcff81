#include "platform/FileBytes.h"
#include "platform/FileSwap.h"
#include "platform/KernelHandles.h"
#include "platform/PathText.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>

TEST(FileBytes, CreatesNewFilesAndReadsThemBackWhole) {
    const ScratchFolder folder;
    const std::wstring path = widePath(folder.path() + "answer.xml");
    // Past one megabyte, the most one system call moves, with every byte value.
    std::string bytes((1u << 20) + 3, '\0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<char>(i * 7);
    }
    ASSERT_TRUE(createFileWithBytes(path, bytes).ok());
    std::string read;
    EXPECT_TRUE(readFileBytes(path, read).ok());
    EXPECT_TRUE(read == bytes);

    const std::wstring empty = widePath(folder.path() + "empty.xml");
    EXPECT_TRUE(createFileWithBytes(empty, "").ok());
    EXPECT_TRUE(readFileBytes(empty, read).ok());
    EXPECT_EQ("", read);

    // Up to its cap, and while another program has it open for writing, sharing reading.
    const FileHandle writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_TRUE(readFileBytes(path, read, bytes.size()).ok());
    EXPECT_EQ(bytes.size(), read.size());
}

TEST(FileBytes, FailuresGiveTheSystemsReasonAndKeepNothing) {
    const ScratchFolder folder;
    const std::wstring path = widePath(folder.path() + "answer.xml");
    const std::wstring nowhere = widePath(folder.path() + "missing\\answer.xml");
    writeWholeFile(folder.path() + "answer.xml", std::string(100, 'a'));
    const FileHandle readOnly(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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
        {"no such file", [&] { return readFileBytes(widePath(folder.path() + "x"), read); },
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
