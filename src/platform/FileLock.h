#pragma once

#include "platform/Deadline.h"
#include "platform/KernelHandles.h"
#include "platform/SystemResult.h"

#include <string>

// A lock that is a file, held while this value keeps the file open and shared with no one.
// Whoever opens the same file waits: every spelling of the path, every process of every
// session, and on a network folder every machine, since the file system decides. Only those
// who may create files in its folder can take it, so a lock in the user's own folder is the
// user's alone. A holder that ends, however it ends, hands it on: the system closes its
// handle, and the file goes with the last one.
class FileLock {
public:
    // Waits for the lock until the deadline, still answering messages sent to this thread.
    FileLock(const std::wstring& path, const Deadline& deadline);

    bool held() const { return file_.valid(); }
    // Another holder kept it past the deadline.
    bool busy() const { return busy_; }
    // Why the lock could not be had at all (not held and not busy): the system's reason.
    const SystemResult& result() const { return result_; }

private:
    FileHandle file_;
    bool busy_ = false;
    SystemResult result_ = SystemResult::done();
};
