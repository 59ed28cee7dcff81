#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(FileBytes, CreatesOnlyNewFilesAndReadsThemBackWhole) {
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

    // An existing file is never replaced.
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_EXISTS), createFileWithBytes(path, "other").code());
    EXPECT_TRUE(readFileBytes(path, read).ok());
    EXPECT_TRUE(read == bytes);

    const std::string empty = folder.path() + "empty.xml";
    EXPECT_TRUE(createFileWithBytes(empty, "").ok());
    EXPECT_TRUE(readFileBytes(empty, read).ok());
    EXPECT_EQ("", read);

    const std::string nowhere = folder.path() + "missing\\answer.xml";
    EXPECT_EQ(static_cast<DWORD>(ERROR_PATH_NOT_FOUND), createFileWithBytes(nowhere, "x").code());
    EXPECT_FALSE(fileFacts(nowhere).exists);
}

TEST(FileBytes, ReadingRefusesAFileOverItsCapAndKeepsNothingOfAFailure) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answer.xml";
    writeWholeFile(path, std::string(100, 'a'));
    std::string read;
    EXPECT_TRUE(readFileBytes(path, read, 100).ok());
    EXPECT_EQ(100u, read.size());
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_TOO_LARGE), readFileBytes(path, read, 99).code());
    EXPECT_EQ("", read);

    read = "stale";
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND),
              readFileBytes(folder.path() + "missing.xml", read).code());
    EXPECT_EQ("", read);

    // A file another program has open for writing, sharing reading, still reads.
    const FileHandle writer(CreateFileW(widePath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.valid());
    EXPECT_TRUE(readFileBytes(path, read).ok());
    EXPECT_EQ(100u, read.size());
}

TEST(FileBytes, WriteAllGivesTheSystemsReason) {
    const ScratchFolder folder;
    const std::string path = folder.path() + "answer.xml";
    writeWholeFile(path, "");
    const FileHandle readOnly(CreateFileW(widePath(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                          nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(readOnly.valid());
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), writeAll(readOnly.get(), "x").code());
}
