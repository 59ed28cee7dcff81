#pragma once

#include "platform/UniqueHandle.h"

#include <windows.h>

struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { CloseHandle(handle); }
};

struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return INVALID_HANDLE_VALUE; }
    static void close(Handle handle) { FindClose(handle); }
};

// Events, mutexes and threads, whose functions answer null rather than INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { CloseHandle(handle); }
};

// Ownership of a mutex won by a wait: given back, not closed, at the end.
struct MutexHoldTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { ReleaseMutex(handle); }
};

// From CreateFileA.
using FileHandle = UniqueHandle<FileHandleTraits>;
// From FindFirstFileA.
using FindHandle = UniqueHandle<FindHandleTraits>;
// An event, a mutex or a thread.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// A mutex this thread holds.
using MutexHold = UniqueHandle<MutexHoldTraits>;
