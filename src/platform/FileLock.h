#pragma once

#include "platform/Deadline.h"
#include "platform/KernelHandles.h"
#include "platform/SystemResult.h"

#include <string>

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
    FileLock(const std::wstring& path, const Deadline& deadline);

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
