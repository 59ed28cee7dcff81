// The network floor of Next: the same GET requests the page makes (user agent, Referer
// header, reload flag, one internet session per request), made one after the other with
// nothing around them. The first URL is fetched untimed, as the page has already made one
// request (stage 17) before Next; the rest are timed together.
// Prints "gets <count> <microseconds>"; with --one-session all requests share a session.
#include "web/Endpoints.h"

#include <windows.h>
#include <wininet.h>

#include <cstdio>
#include <cstring>

namespace {
HINTERNET openSession() {
    return InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
}

bool get(HINTERNET session, const char* url) {
    HINTERNET request =
        InternetOpenUrlA(session, url, kRefererHeader,
                         static_cast<DWORD>(std::strlen(kRefererHeader)), INTERNET_FLAG_RELOAD, 0);
    if (request == nullptr) {
        return false;
    }
    DWORD status = 0;
    DWORD length = sizeof status;
    bool ok = HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                             &length, nullptr) &&
              status < 300;
    char buffer[2048];
    DWORD count = 0;
    while (InternetReadFile(request, buffer, sizeof buffer, &count) && count > 0) {
    }
    InternetCloseHandle(request);
    return ok;
}
} // namespace

// One request in a session of its own, closed at once, as the page makes it.
bool getAlone(const char* url) {
    HINTERNET session = openSession();
    const bool ok = session != nullptr && get(session, url);
    InternetCloseHandle(session);
    return ok;
}

int main(int argc, char** argv) {
    int first = 1;
    const bool oneSession = argc > 1 && std::strcmp(argv[1], "--one-session") == 0;
    first += oneSession ? 1 : 0;
    if (argc - first < 2) {
        std::fprintf(stderr, "usage: BenchGets [--one-session] WARMUP-URL URL...\n");
        return 2;
    }
    HINTERNET shared = oneSession ? openSession() : nullptr;
    if (!(oneSession ? get(shared, argv[first]) : getAlone(argv[first]))) {
        std::fprintf(stderr, "BenchGets: the first request failed\n");
        return 1;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    int failed = 0;
    for (int i = first + 1; i < argc; ++i) {
        failed += (oneSession ? get(shared, argv[i]) : getAlone(argv[i])) ? 0 : 1;
    }
    QueryPerformanceCounter(&end);
    InternetCloseHandle(shared);
    const long long micros = (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
    std::printf("gets %d %lld\n", argc - first - 1, micros);
    return failed == 0 ? 0 : 1;
}
