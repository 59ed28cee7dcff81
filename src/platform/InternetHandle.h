#pragma once

#include "platform/InternetApi.h"
#include "platform/UniqueHandle.h"

struct InternetHandleTraits {
    using Handle = HINTERNET;
    static Handle invalid() { return nullptr; }
    // A handle exists only where the API loaded.
    static void close(Handle handle) { internetApi()->closeHandle(handle); }
};

// A session or an opened URL of the internet API.
using InternetHandle = UniqueHandle<InternetHandleTraits>;
