#pragma once

#include "platform/KernelHandles.h"

#include <windows.h>

#include <string>

// Held by at most one thread of all the processes of the session that name the same
// object, for the life of this value. The wait for it is bounded.
class CrossProcessLock {
public:
    // Waits at most limitMs for the lock. A holder that ended without giving the lock back
    // hands it on; held() tells whether it was had.
    CrossProcessLock(const std::wstring& name, DWORD limitMs);

    bool held() const { return hold_.valid(); }
    // Why the lock was not had: WAIT_TIMEOUT, or the system's error code.
    DWORD failure() const { return failure_; }

private:
    KernelHandle mutex_; // declared first: outlives the hold
    MutexHold hold_;
    DWORD failure_ = 0;
};

// A name for the lock of one file, the same for every spelling of its path in the session.
std::wstring lockNameForFile(const std::wstring& path);
