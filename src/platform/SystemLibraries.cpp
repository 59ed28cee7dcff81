#include "platform/SystemLibraries.h"

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

namespace {
InternetApi loadInternetApi() {
    const HMODULE module = loadSystemLibrary(L"wininet.dll");
    return {
        systemFunction<decltype(&InternetOpenA)>(module, "InternetOpenA"),
        systemFunction<decltype(&InternetOpenUrlA)>(module, "InternetOpenUrlA"),
        systemFunction<decltype(&InternetSetOptionA)>(module, "InternetSetOptionA"),
        systemFunction<decltype(&HttpQueryInfoA)>(module, "HttpQueryInfoA"),
        systemFunction<decltype(&InternetReadFile)>(module, "InternetReadFile"),
        systemFunction<decltype(&InternetCloseHandle)>(module, "InternetCloseHandle"),
        systemFunction<decltype(&InternetCombineUrlA)>(module, "InternetCombineUrlA"),
    };
}

bool complete(const InternetApi& api) {
    return api.openSession && api.openUrl && api.setOption && api.queryInfo && api.readFile &&
           api.closeHandle && api.combineUrl;
}
} // namespace

const InternetApi* internetApi() {
    // Loaded once for the process and never changed; requests on other threads share it.
    static const InternetApi api = loadInternetApi();
    return complete(api) ? &api : nullptr;
}

namespace {
SocketsApi loadSocketsApi() {
    const HMODULE module = loadSystemLibrary(L"wsock32.dll");
    return {
        systemFunction<decltype(&WSAStartup)>(module, "WSAStartup"),
        systemFunction<decltype(&WSACleanup)>(module, "WSACleanup"),
        systemFunction<decltype(&gethostbyname)>(module, "gethostbyname"),
    };
}
} // namespace

const SocketsApi* socketsApi() {
    // Loaded once for the process and never changed.
    static const SocketsApi api = loadSocketsApi();
    return api.startup && api.cleanup && api.hostByName ? &api : nullptr;
}
