#pragma once

#include <objbase.h>

// The component runtime for this thread, for as long as the object lives (the answer
// readers need it).
class ComRuntime {
public:
    ComRuntime() { CoInitialize(nullptr); }
    ~ComRuntime() { CoUninitialize(); }
    ComRuntime(const ComRuntime&) = delete;
    ComRuntime& operator=(const ComRuntime&) = delete;
};
