#pragma once

#include "platform/Deadline.h"

#include <windows.h>

// Waits until object is signalled or the deadline passes; true when it was signalled (for a
// mutex: taken, also from an owner that ended without releasing it). Meanwhile the thread
// still answers messages other threads and programs send to its windows and looks at its
// queue several times a second, so the system never takes its windows for hung; nothing
// posted (input, painting, timers, posted commands) is taken from the queue.
bool waitAnsweringSentMessages(HANDLE object, const Deadline& deadline);
