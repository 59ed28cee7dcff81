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

// From CreateFileA.
using FileHandle = UniqueHandle<FileHandleTraits>;
// From FindFirstFileA.
using FindHandle = UniqueHandle<FindHandleTraits>;
// An event or a thread.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// From CreateToolhelp32Snapshot, which answers INVALID_HANDLE_VALUE on failure as files do.
using SnapshotHandle = UniqueHandle<FileHandleTraits>;
