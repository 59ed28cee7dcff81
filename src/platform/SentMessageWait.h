#pragma once

#include "platform/Deadline.h"

#include <windows.h>

// How a wait ended.
enum class WaitResult {
    Signalled, // the object was signalled (for a mutex: taken, also from an owner that ended)
    TimedOut,  // the deadline passed first
    Failed,    // the system refused the wait (a closed or unwaitable handle)
};

// Waits until object is signalled or the deadline passes. Meanwhile the thread still answers
// messages other threads and programs send to its windows and looks at its queue several
// times a second, so the system never takes its windows for hung; nothing posted (input,
// painting, timers, posted commands) is taken from the queue.
WaitResult waitAnsweringSentMessages(HANDLE object, const Deadline& deadline);

// Lets time pass until the deadline in the same way, with nothing to wait for.
void pauseAnsweringSentMessages(const Deadline& deadline);
