#include "platform/SystemLibrary.h"

namespace {
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
}

HMODULE loadSystemLibrary(const wchar_t* name) {
    if (HMODULE module = LoadLibraryExW(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        return module;
    }
    // Systems without the search flags refuse them: name the system folder instead.
    wchar_t path[MAX_PATH];
    const UINT length = GetSystemDirectoryW(path, MAX_PATH);
    if (length == 0 || length + 2 + lstrlenW(name) > MAX_PATH) {
        return nullptr;
    }
    lstrcatW(path, L"\\");
    lstrcatW(path, name);
    return LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void restrictLibrarySearch() {
    // kernel32 is always loaded; the function exists from Windows 8 (and 7 with its update).
    const auto setDefaultDirectories = systemFunction<SetDefaultDllDirectoriesFunction>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (setDefaultDirectories != nullptr) {
        setDefaultDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    }
    // Also drops the current folder from the search where the above is missing.
    SetDllDirectoryW(L"");
}
