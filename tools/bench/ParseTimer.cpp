// Times the search answer reader alone on saved answers: for each file, prints
// "parse <matches> <microseconds>". The first file is read once untimed before, so the
// XML component is loaded when the timing starts.
#include "location/LocationSearchResult.h"
#include "location/AnswerReaders.h"

#include <windows.h>
#include <objbase.h>

#include <cstdio>

namespace {
long long parseMicros(const char* path, int& matches) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    LocationSearchResult result;
    QueryPerformanceCounter(&start);
    parseSearchAnswer(path, result);
    QueryPerformanceCounter(&end);
    matches = result.count();
    return (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
}
} // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    int matches = 0;
    if (argc > 1) {
        parseMicros(argv[1], matches);
    }
    for (int i = 1; i < argc; ++i) {
        const long long micros = parseMicros(argv[i], matches);
        std::printf("parse %d %lld\n", matches, micros);
        std::fflush(stdout);
    }
    CoUninitialize();
    return 0;
}
