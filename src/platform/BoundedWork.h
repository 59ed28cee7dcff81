#pragma once

#include "platform/Deadline.h"

#include <functional>

// Runs work on a thread of its own and waits for it until the deadline: true when it
// finished in time. Work that overruns is left to finish by itself, so it must own
// everything it touches; nothing waits for it again.
bool runBounded(std::function<void()> work, const Deadline& deadline);
