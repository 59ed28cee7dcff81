#include "platform/FileSwap.h"
#include "platform/KernelHandles.h"
#include "platform/PathText.h"
#include "support/TestFolders.h"

#include <gtest/gtest.h>

#include <windows.h>

TEST(FileSwap, FactsTellFilesFoldersAndHardLinksApart) {
    const ScratchFolder folder;
    const std::wstring file = widePath(folder.path() + "apps.ini");
    const std::wstring link = widePath(folder.path() + "link.ini");
    writeWholeFile(folder.path() + "apps.ini", "[a]\r\n");

    EXPECT_FALSE(fileFacts(widePath(folder.path() + "missing.ini")).exists);
    const FileFacts plain = fileFacts(file);
    EXPECT_TRUE(plain.exists);
    EXPECT_FALSE(plain.folder);
    EXPECT_FALSE(plain.linked);
    EXPECT_TRUE(fileFacts(widePath(folder.path())).folder);

    // Once the file has a second name, both names count as linked.
    ASSERT_TRUE(CreateHardLinkW(link.c_str(), file.c_str(), nullptr));
    EXPECT_TRUE(fileFacts(file).linked);
    EXPECT_TRUE(fileFacts(link).linked);
}

TEST(FileSwap, WritingAndFlushingNeedAFileOthersLetBeWritten) {
    const ScratchFolder folder;
    const std::wstring missing = widePath(folder.path() + "missing.ini");
    const std::wstring file = widePath(folder.path() + "apps.ini");
    writeWholeFile(folder.path() + "apps.ini", "[a]\r\n");

    EXPECT_FALSE(opensForWriting(missing));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), flushFile(missing).code());
    EXPECT_TRUE(opensForWriting(file));
    EXPECT_TRUE(flushFile(file).ok());

    // A holder that shares reading only keeps everyone else from writing.
    const FileHandle holder(CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
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
    EXPECT_TRUE(renameOver(widePath(copy), widePath(target)).ok());
    EXPECT_EQ("new", readWholeFile(target));
    EXPECT_FALSE(fileFacts(widePath(copy)).exists);

    // The holder shares reading and writing but not deleting: the system refuses to replace
    // the file under it (Wine says ERROR_ACCESS_DENIED), and both files stay as they were.
    writeWholeFile(copy, "newer");
    {
        const FileHandle holder(CreateFileW(widePath(target).c_str(), GENERIC_READ,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(holder.valid());
        SetLastError(0xdeadbeef);
        const SystemResult refused = renameOver(widePath(copy), widePath(target));
        EXPECT_FALSE(refused.ok());
        EXPECT_TRUE(heldByAnother(refused.code())) << refused.code();
    }
    EXPECT_EQ("new", readWholeFile(target));
    EXPECT_EQ("newer", readWholeFile(copy));

    // A copy that is not there is no other holder's doing.
    SetLastError(0xdeadbeef);
    const SystemResult missing =
        renameOver(widePath(folder.path() + "missing.copy"), widePath(target));
    EXPECT_EQ(static_cast<DWORD>(ERROR_FILE_NOT_FOUND), missing.code());
    EXPECT_FALSE(heldByAnother(missing.code()));
}
