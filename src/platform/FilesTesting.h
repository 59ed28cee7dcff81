#pragma once

// For tests only; the program never includes this.

#include "platform/Files.h"

// How the lock's wait takes a refused opening of path with the given error: what stands
// there, and so whether it is waited for. Lets a test give the answers Wine never gives (a
// file being deleted refuses to be opened with ERROR_ACCESS_DENIED on Windows).
LockObstacle lockObstacleAt(const std::string& path, DWORD error);
