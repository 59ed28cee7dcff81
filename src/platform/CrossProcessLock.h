#pragma once

#include "platform/Deadline.h"
#include "platform/KernelHandles.h"

#include <windows.h>

#include <string>

// The lock of one path for one purpose, shared by every process of every user that names the
// same path (letter case and spelling aside), held for the life of this value.
class CrossProcessLock {
public:
    // Waits for the lock until the deadline, still answering messages sent to this thread.
    // A holder that ended without giving the lock back hands it on.
    CrossProcessLock(const char* purpose, const std::wstring& path, const Deadline& deadline);

    bool held() const { return hold_.valid(); }
    // False when no lock object could be made at all, so nothing could be shared by it.
    bool made() const { return mutex_.valid(); }
    // Why the lock was not had: WAIT_TIMEOUT, or the system's error code.
    DWORD failure() const { return failure_; }

private:
    KernelHandle mutex_; // declared first: outlives the hold
    MutexHold hold_;
    DWORD failure_ = 0;
};

// The lock's name within a namespace ("Global\" or "Local\"): the purpose and a digest of
// the path's full, upper-cased form (object names may not hold backslashes).
std::wstring lockNameForPath(const wchar_t* space, const char* purpose, const std::wstring& path);
