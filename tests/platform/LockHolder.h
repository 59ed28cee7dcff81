#pragma once

#include "platform/Handles.h"

#include <windows.h>

#include <string>

// Another process holding a FileLock: this test program started again with the switch.
constexpr char kLockHolderSwitch[] = "--hold-lock";

// The other process's part: takes the lock at path, sets the named event, then waits to be
// ended. Its exit code says what went wrong when it could not.
int holdLockUntilEnded(const std::string& eventName, const std::string& path);

// Ends the process it owns at the end of its life, so no holder outlives a failed test.
inline void endProcess(HANDLE process) {
    TerminateProcess(process, 1);
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
}
using LockHolder = UniqueAny<HANDLE, endProcess>;

// Starts the other process and returns once it holds the lock at path; invalid when it never
// did.
LockHolder startLockHolder(const std::string& path);
