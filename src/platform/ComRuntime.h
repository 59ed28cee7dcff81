#pragma once

#include <objbase.h>

// The component runtime for this thread, for as long as the object lives (the answer
// readers need it). Shut down only when this object's start counted: a thread already in
// another apartment kind is refused and must not be shut down by us.
class ComRuntime {
public:
    ComRuntime() : started_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComRuntime() {
        if (started_) {
            CoUninitialize();
        }
    }
    ComRuntime(const ComRuntime&) = delete;
    ComRuntime& operator=(const ComRuntime&) = delete;

private:
    bool started_;
};
