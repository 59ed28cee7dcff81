// One page's commit at a given instant, so that copies started together commit at the same
// moment (commit_race.py). Every place field holds the tag, so a torn profile shows.
//   CommitRace TAG START   START: milliseconds since 1970-01-01 UTC
// Prints "TAG saved|not saved <ms from START to the commit's end> late <ms it started after
// START>". Exit code 0 when the commit reports the answers saved, 1 when not, 2 on a bad
// command line.
//   CommitRace --hold PATH
// Another program in the lock's way: keeps PATH open, shared for reading and writing but not
// for deleting, prints "held" and lets go when its input ends. Exit code 3 when it could not.
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "settings/ProfileCommit.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
constexpr unsigned long long kLongestWait = 30000;

unsigned long long nowMs() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    const unsigned long long ticks =
        (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    return (ticks - 116444736000000000ull) / 10000;
}

int holdUntilInputEnds(const char* path) {
    const FileHandle held(CreateFileW(widePath(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!held.valid()) {
        std::printf("not held: %lu\n", GetLastError());
        return 3;
    }
    std::printf("held\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--hold") == 0) {
        return holdUntilInputEnds(argv[2]);
    }
    if (argc != 3) {
        std::fprintf(stderr, "usage: CommitRace TAG START\n");
        return 2;
    }
    const std::string tag = argv[1];
    SYSTEMTIME today{};
    GetLocalTime(&today);
    SetupProfile profile(today);
    profile.setYob("1975");
    profile.setLocCountry(tag);
    profile.setLocDisplayName(tag);
    profile.setLocDMA(tag);
    profile.setLocID(tag);
    profile.setLocState(tag);
    profile.setLocType(tag);
    profile.setLocZip(tag);

    const unsigned long long start = std::strtoull(argv[2], nullptr, 10);
    const unsigned long long now = nowMs();
    if (start > now) {
        Sleep(static_cast<DWORD>(start - now < kLongestWait ? start - now : kLongestWait));
    }
    const unsigned long long began = nowMs();
    const bool saved = commitProfile(profile).saved;
    const unsigned long long ended = nowMs();
    std::printf("%s %s %llu late %llu\n", tag.c_str(), saved ? "saved" : "not saved",
                ended > start ? ended - start : 0, began > start ? began - start : 0);
    return saved ? 0 : 1;
}
