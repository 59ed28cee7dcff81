#include "platform/FileLock.h"

#include "platform/SentMessageWait.h"

namespace {
// How soon a waiting page tries again: a holder keeps the lock for milliseconds, and each
// try is a file opening.
constexpr DWORD kRetryMs = 10;

FileHandle openLock(const std::wstring& path) {
    // No sharing: a second opening fails while this one lasts. OPEN_ALWAYS takes over a file a
    // crashed machine left behind.
    return FileHandle(CreateFileW(
        path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
}
} // namespace

// Declared for tests in FileLockTesting.h, which the program never includes.
LockObstacle lockObstacleAt(const std::wstring& path, DWORD error);

LockObstacle lockObstacleAt(const std::wstring& path, DWORD error) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return LockObstacle::OtherHolder;
    }
    if (error != ERROR_ACCESS_DENIED) {
        return LockObstacle::None;
    }
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? LockObstacle::Folder
                                                            : LockObstacle::File;
    }
    // A file being deleted refuses to be looked at as well; only a name that is not there says
    // that the folder refuses the new file.
    const DWORD why = GetLastError();
    return why == ERROR_FILE_NOT_FOUND || why == ERROR_PATH_NOT_FOUND ? LockObstacle::None
                                                                      : LockObstacle::File;
}

FileLock::FileLock(const std::wstring& path, const Deadline& deadline) {
    bool triedAgain = false;
    for (;;) {
        file_ = openLock(path);
        if (file_.valid()) {
            obstacle_ = LockObstacle::None;
            return;
        }
        const DWORD error = GetLastError();
        obstacle_ = lockObstacleAt(path, error);
        if (obstacle_ != LockObstacle::OtherHolder && obstacle_ != LockObstacle::File) {
            // A refusal with nothing of that name there may have met a file just deleted: the
            // name is tried once more before the folder is taken to refuse new files.
            if (error == ERROR_ACCESS_DENIED && obstacle_ == LockObstacle::None && !triedAgain) {
                triedAgain = true;
                continue;
            }
            result_ = SystemResult::failed(error);
            return;
        }
        if (deadline.passed()) {
            if (!busy()) {
                result_ = SystemResult::failed(error);
            }
            return;
        }
        pauseAnsweringSentMessages(deadline.sooner(Deadline::after(kRetryMs)));
    }
}
