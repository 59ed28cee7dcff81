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

// Events and threads, whose functions answer null rather than INVALID_HANDLE_VALUE.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { CloseHandle(handle); }
};

// Ownership of a mutex this thread waited for; undone by releasing it, the handle stays open.
struct MutexHoldTraits {
    using Handle = HANDLE;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { ReleaseMutex(handle); }
};

// Memory the system allocated for the caller with LocalAlloc.
struct LocalMemoryTraits {
    using Handle = HLOCAL;
    static Handle invalid() { return nullptr; }
    static void close(Handle handle) { LocalFree(handle); }
};

// From CreateFileW or CreateFileA.
using FileHandle = UniqueHandle<FileHandleTraits>;
// From FindFirstFileW or FindFirstFileA.
using FindHandle = UniqueHandle<FindHandleTraits>;
// An event, a mutex or a thread.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// A taken mutex, given back at the end of its scope.
using MutexHold = UniqueHandle<MutexHoldTraits>;
// Such as a security descriptor built from its text form.
using LocalMemory = UniqueHandle<LocalMemoryTraits>;
