#include "platform/InternetApi.h"

#include "platform/SystemLibrary.h"

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
