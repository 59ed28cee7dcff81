#pragma once

#include "platform/Handles.h"
#include "platform/Paths.h"
#include "platform/SystemResult.h"
#include "platform/Waits.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Longest path the folder operations handle: they work on 260-byte buffers.
constexpr size_t kMaxFolderPath = 259;

bool FileExists(const std::string& path);
// Like FileExists, with one trailing backslash ignored; false for paths over kMaxFolderPath.
bool FolderExists(const std::string& path);
// True when the folder exists afterwards; on failure the system's text for the
// error goes to the debugger output.
bool CreateFolder(const std::string& path);
// CreateFolder for the path after creating its missing ancestors, outermost first.
bool CreateFolderTree(const std::string& path);
// The two above with the system's reason when the folder is not there afterwards.
SystemResult createFolder(const std::string& path);
SystemResult createFolderTree(const std::string& path);

// Whether path lies on a network drive or share, where other machines may use it too.
bool onNetworkDrive(const std::string& path);

// Whole files in and out: the one place the program calls the file system. Paths are the
// ANSI code page's text; they are widened here for the wide calls.

// Every byte to an open file. A write the system cuts short without a reason fails with 0.
SystemResult writeAll(HANDLE file, std::string_view bytes);
// The whole file into bytes; a file larger than maxBytes is refused with ERROR_FILE_TOO_LARGE.
SystemResult readFileBytes(const std::string& path, std::string& bytes,
                           size_t maxBytes = static_cast<size_t>(-1));
// Creates the file (never replaces one) and writes the bytes; on failure nothing is left.
SystemResult createFileWithBytes(const std::string& path, std::string_view bytes);
// The bytes as the file at path through the ANSI functions (CreateFileA, DeleteFileA),
// replacing any older file; the folder is made when missing.
SystemResult saveFileA(const std::string& path, std::string_view bytes);
SystemResult deleteFile(const std::string& path);
// The names (without folder) of the files, not folders, that match a pattern with wildcards.
std::vector<std::string> filesMatching(const std::string& pattern);

// The pieces of replacing a file by a finished copy in one step: what the file is, whether it
// can be written, the flush and the rename.

struct FileFacts {
    bool exists = false;
    bool folder = false;
    // A reparse point or one of several hard links: a rename would replace the link, not
    // the file others reach through it.
    bool linked = false;
    DWORD attributes = 0;
};

FileFacts fileFacts(const std::string& path);
// Whether the file exists and may be written now.
bool opensForWriting(const std::string& path);
SystemResult setAttributes(const std::string& path, DWORD attributes);
// Writes the file's buffered data to the disk.
SystemResult flushFile(const std::string& path);
// Puts from in place of to in one step, to replaced when present.
SystemResult renameOver(const std::string& from, const std::string& to);

// Whether a rename was refused because another program holds the target.
inline bool heldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}

// What keeps a FileLock from being had.
enum class LockObstacle {
    None,        // nothing: held, or the system refused for its own reason (result())
    OtherHolder, // another holder kept it past the deadline
    Folder,      // a folder has the lock file's name
    File,        // a file of that name could not be opened until the deadline
};

// A lock that is a file, held while this value keeps the file open and shared with no one.
// Whoever opens the same file waits: every spelling of the path, every process of every
// session, and on a network folder every machine, since the file system decides. Only those
// who may create files in its folder can take it, so a lock in the user's own folder is the
// user's alone. A holder that ends, however it ends, hands it on: the system closes its
// handle, and the file goes with the last one.
class FileLock {
public:
    // Waits for the lock until the deadline, still answering messages sent to this thread.
    // Another holder is waited for, and so is a file of the lock's name that cannot be opened
    // for a moment (one being deleted while a scanner still has it open); a folder is not.
    FileLock(const std::string& path, const Deadline& deadline);

    bool held() const { return file_.valid(); }
    // Another holder kept it past the deadline.
    bool busy() const { return obstacle_ == LockObstacle::OtherHolder; }
    // What stood in the lock's way when it could not be had.
    LockObstacle obstacle() const { return obstacle_; }
    // The system's reason when the lock could not be had and no holder kept it.
    const SystemResult& result() const { return result_; }

private:
    FileHandle file_;
    LockObstacle obstacle_ = LockObstacle::None;
    SystemResult result_ = SystemResult::done();
};

// Makes folder and its missing parents and proves a file can be written there now. Fails,
// with the system's reason, when a file stands in its place, the user may not write there or
// the disk is full.
SystemResult makeWritableFolder(const std::string& folder);
