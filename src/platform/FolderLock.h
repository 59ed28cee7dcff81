#pragma once

#include "platform/Deadline.h"
#include "platform/KernelHandles.h"

#include <string>

// The lock of one folder across every process of every user on the machine, named after the
// folder's path with letter case ignored. Held for as long as the object lives.
class FolderLock {
public:
    // Waits for the lock until the deadline, still answering sent messages. When no lock can
    // be made at all, holds nothing and lets the caller go on alone.
    FolderLock(const std::string& folder, const Deadline& deadline);
    // False only when another process held the folder until the deadline.
    bool taken() const { return taken_; }

private:
    KernelHandle mutex_;
    MutexHold hold_; // given back before the mutex's handle is closed
    bool taken_ = false;
};

// The lock's name within a namespace ("Global\" or "Local\"): a hash of the lower-cased path.
std::string folderLockName(const char* space, const std::string& folder);
