#pragma once

#include "platform/Handles.h"

#include <windows.h>
#include <wininet.h>
#include <winsock.h>
#include <objbase.h>

// Loads a library from the system folder only: a file of the same name beside the program
// (in a download folder, say) is never taken. Null when it cannot be loaded.
HMODULE loadSystemLibrary(const wchar_t* name);

// The address of an exported function as its own type; null when missing or without module.
template <class Function> Function systemFunction(HMODULE module, const char* name) {
    if (module == nullptr) {
        return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// Restricts every later library load of the process to the system folder. Called first
// thing, before anything loads a library by name.
void restrictLibrarySearch();

// The internet API's functions the program uses, taken from the system's own library when
// first asked for; the program does not import it, so no library of that name beside the
// program can stand in for it.
struct InternetApi {
    decltype(&InternetOpenA) openSession;
    decltype(&InternetOpenUrlA) openUrl;
    decltype(&InternetSetOptionA) setOption;
    decltype(&HttpQueryInfoA) queryInfo;
    decltype(&InternetReadFile) readFile;
    decltype(&InternetCloseHandle) closeHandle;
    decltype(&InternetCombineUrlA) combineUrl;
};

// Null when the library or one of its functions is missing.
const InternetApi* internetApi();

// A handle exists only where the API loaded.
inline void closeInternetHandle(HINTERNET handle) {
    internetApi()->closeHandle(handle);
}
using InternetHandle = UniqueAny<HINTERNET, closeInternetHandle>; // a session or an opened URL

// The name lookup of the sockets API (version 1.1), from the system's own library when first
// asked for, as the internet API is.
struct SocketsApi {
    decltype(&WSAStartup) startup;
    decltype(&WSACleanup) cleanup;
    decltype(&gethostbyname) hostByName;
};

// Null when the library or one of its functions is missing.
const SocketsApi* socketsApi();

// The sockets API (version 1.1) for as long as the object lives; cleaned up only when it
// started.
class SocketsSession {
public:
    SocketsSession() : api_(socketsApi()) {
        WSADATA data;
        if (api_ != nullptr && api_->startup(MAKEWORD(1, 1), &data) != 0) {
            api_ = nullptr;
        }
    }
    ~SocketsSession() {
        if (api_ != nullptr) {
            api_->cleanup();
        }
    }
    SocketsSession(const SocketsSession&) = delete;
    SocketsSession& operator=(const SocketsSession&) = delete;

    // Null when the API is missing or did not start.
    const SocketsApi* api() const { return api_; }

private:
    const SocketsApi* api_;
};

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
