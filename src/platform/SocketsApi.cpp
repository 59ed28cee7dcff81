#include "platform/SocketsApi.h"

#include "platform/SystemLibrary.h"

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
