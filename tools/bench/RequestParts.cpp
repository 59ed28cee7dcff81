// Where one request's time goes: the bare GET and the name lookup against the same work
// wrapped the way the page wraps it, piece by piece, and the file calls around Next's answers
// and its commit, all alternated so that a drift of the machine hits every variant alike.
//
//   BenchRequestParts URL ROUNDS FOLDER FILE
//     FOLDER (ending in "\") stands for the answer folder, FILE for a 1 KB apps.ini.
//     Prints "part <name> <median microseconds>" for:
//       bare-get       a GET in its own session on the calling thread (the floor)
//       get-options    the same with the session's three time-out options set
//       get-thread     the bare GET on a new thread, waited for with WaitForSingleObject
//       get-bounded    the bare GET through runBounded (a pooled worker, sent-message wait)
//       http-get       httpGet, the page's one bounded request
//       bare-lookup    WSAStartup, gethostbyname of the main host, WSACleanup
//       probe          probeConnectivity as a WebClient runs it
//       fetch-memory   WebClient::FetchToMemory: the probe, then the request
//       empty-bounded  runBounded with no work at all
//       wait-cursor    the wait cursor set and put back
//       empty-thread   a new thread with no work, waited for
//       deadline-checks  eight looks at a deadline, as a request's bookkeeping makes them
//       find-first     FindFirstFileA of FOLDER, the contract's test that a folder is there
//       drive-kind     whether FOLDER is on a network drive (GetDriveTypeW)
//       probe-folder   makeWritableFolder: FOLDER proved writable with its 64 KiB probe
//       info-whole     FILE opened and its whole handle information asked for
//       file-facts     fileFacts of FILE, as the commit takes them
//       read-1mb-buffer  FILE read through a buffer of 1 MB, as whole-file reads were made
//       read-file      readFileBytes of FILE
#include "BareCalls.h"
#include "app/Controls.h"
#include "platform/Waits.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "web/ConnectivityProbe.h"
#include "web/Endpoints.h"
#include "web/HttpGet.h"
#include "web/WebClient.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace {
// The folder's entry as the contract's test finds it.
void findFolder(std::string folder) {
    folder.pop_back();
    WIN32_FIND_DATAA data;
    const HANDLE found = FindFirstFileA(folder.c_str(), &data);
    if (found != INVALID_HANDLE_VALUE) {
        FindClose(found);
    }
}

void wholeInformation(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info{};
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
}

void readThroughLargeBuffer(const std::string& path) {
    const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::vector<char> chunk(1u << 20);
    std::string bytes;
    DWORD got = 0;
    while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) &&
           got > 0) {
        bytes.append(chunk.data(), got);
    }
    CloseHandle(file);
}

DWORD WINAPI noWork(void*) {
    return 0;
}

DWORD WINAPI getOnThread(void* url) {
    bareGet(*static_cast<const std::string*>(url));
    return 0;
}

long long micros(const std::function<void()>& part) {
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    part();
    QueryPerformanceCounter(&end);
    return (end.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
}
} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: BenchRequestParts URL ROUNDS FOLDER FILE\n");
        return 2;
    }
    const std::string url = argv[1];
    const int rounds = std::max(1, std::atoi(argv[2]));
    const std::string folder = argv[3];
    const std::string file = argv[4];
    const std::vector<std::pair<const char*, std::function<void()>>> parts = {
        {"bare-get", [&] { bareGet(url); }},
        {"get-options", [&] { bareGet(url, true); }},
        {"get-thread",
         [&] {
             HANDLE thread =
                 CreateThread(nullptr, 0, getOnThread, const_cast<std::string*>(&url), 0, nullptr);
             WaitForSingleObject(thread, INFINITE);
             CloseHandle(thread);
         }},
        {"get-bounded",
         [&] { runBounded([&url] { bareGet(url); }, [] {}, Deadline::after(10000)); }},
        {"http-get", [&] { httpGet(url, BodyForm::Text, Deadline::after(10000)); }},
        {"bare-lookup", [] { bareLookup(); }},
        {"probe",
         [] {
             probeConnectivity(configuredProbeTargets(), Deadline::after(10000),
                               [](const std::string&, const std::string&) { return false; });
         }},
        {"fetch-memory", [&] { WebClient().FetchToMemory(url.c_str()); }},
        {"empty-bounded", [] { runBounded([] {}, [] {}, Deadline::after(10000)); }},
        {"wait-cursor", [] { const WaitCursor busy; }},
        {"empty-thread",
         [] {
             HANDLE thread = CreateThread(nullptr, 0, noWork, nullptr, 0, nullptr);
             WaitForSingleObject(thread, INFINITE);
             CloseHandle(thread);
         }},
        {"deadline-checks",
         [] {
             const Deadline deadline = Deadline::after(10000);
             DWORD left = 0;
             for (int i = 0; i < 8; ++i) {
                 left += deadline.passed() ? 0 : deadline.remaining();
             }
             // Kept, so the looks are made.
             if (left == 1) {
                 std::puts("");
             }
         }},
        {"find-first", [&] { findFolder(folder); }},
        {"drive-kind", [&] { onNetworkDrive(folder); }},
        {"probe-folder", [&] { (void)makeWritableFolder(folder); }},
        {"info-whole", [&] { wholeInformation(file); }},
        {"file-facts", [&] { fileFacts(file); }},
        {"read-1mb-buffer", [&] { readThroughLargeBuffer(file); }},
        {"read-file",
         [&] {
             std::string bytes;
             (void)readFileBytes(file, bytes);
         }},
    };
    // Everything loaded and connected once before anything counts.
    for (const auto& part : parts) {
        part.second();
    }
    std::vector<std::vector<long long>> samples(parts.size());
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < parts.size(); ++i) {
            samples[i].push_back(micros(parts[i].second));
        }
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        std::vector<long long>& taken = samples[i];
        std::sort(taken.begin(), taken.end());
        std::printf("part %s %lld\n", parts[i].first, taken[taken.size() / 2]);
    }
    return 0;
}
