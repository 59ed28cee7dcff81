#pragma once

#include "platform/Deadline.h"

#include <functional>

// Runs work on a worker thread and waits for it until the deadline: true when it
// finished in time. Then, on the same thread, finish runs without being waited for (closing
// a connection can take long). Work that overruns is left to finish by itself, so both must
// own everything they touch; nothing waits for them again. When the deadline has already
// passed, neither runs and the answer is false. The calling thread keeps answering sent
// messages while it waits (waitAnsweringSentMessages).
bool runBounded(std::function<void()> work, std::function<void()> finish, const Deadline& deadline);
