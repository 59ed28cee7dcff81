// Feeds mutated answers to both answer readers in one process and holds them to their rules:
// no crash, no input over kSlowLimit, every value within its cap and free of NUL, the search
// lists aligned, the same output for the same seed. Input i of a seed is always the same
// bytes, so any input can be written out again (--write) and become a regression case.
//
//   answer_fuzz --seed S --count N [--first I]   run inputs I .. I+N-1
//   answer_fuzz --seed S --write I FILE          write input I to FILE
//   answer_fuzz --time FILE                      parse FILE once, print the time it took
//
// Prints one summary line; exit code 0 when every rule held, 1 on a broken rule, 2 for bad
// arguments, 3 when a reader crashed, 4 when one overran kSlowLimit.

#include "AnswerFuzzInput.h"

#include "location/AnswerReaders.h"
#include "platform/SystemLibraries.h"
#include "platform/Paths.h"
#include "support/TestFolders.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {
constexpr ULONGLONG kSlowLimit = 5000;
constexpr size_t kSearchCap = 1024;
constexpr size_t kDetailCap = 251;
// Inputs parsed a second time at the end to show the output depends on the seed alone.
constexpr uint64_t kRepeated = 200;

// What the watchdog and the crash filter report; only this program's own test state.
std::atomic<uint64_t> current{0};
std::atomic<ULONGLONG> startedAt{0};

LONG WINAPI reportCrash(EXCEPTION_POINTERS* info) {
    std::printf("CRASH input %llu: exception 0x%08lX\n",
                static_cast<unsigned long long>(current.load()),
                info->ExceptionRecord->ExceptionCode);
    std::fflush(stdout);
    ExitProcess(3);
}

void watch() {
    for (;;) {
        Sleep(250);
        const ULONGLONG since = startedAt.load();
        if (since != 0 && GetTickCount64() - since > kSlowLimit) {
            std::printf("SLOW input %llu: over %llu ms\n",
                        static_cast<unsigned long long>(current.load()), kSlowLimit);
            std::fflush(stdout);
            ExitProcess(4);
        }
    }
}

struct Digest {
    uint64_t value = 1469598103934665603ull;
    void add(const std::string& text) {
        for (const char c : text + '\x1f') {
            value = (value ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
    }
};

// Parses one input with both readers; returns the digest of what they gave, and counts
// every broken rule.
uint64_t parseBoth(uint64_t index, const std::string& path, int& broken) {
    const auto rule = [&](bool held, const char* what) {
        if (!held) {
            ++broken;
            std::printf("RULE input %llu: %s\n", static_cast<unsigned long long>(index), what);
        }
    };
    const auto clean = [](const std::string& v, size_t cap) {
        return v.size() <= cap && v.find('\0') == std::string::npos;
    };
    Digest digest;
    LocationSearchResult search;
    search.setQuery("q");
    parseSearchAnswer(path, search);
    const auto names = search.names();
    rule(names.size() == static_cast<size_t>(search.count()), "search lists not aligned");
    for (int i = 0; i < search.count(); ++i) {
        for (const std::string& v : {search.idAt(i), search.typeAt(i), search.nameAt(i)}) {
            rule(v != LocationSearchResult::kInvalidIndex, "search entry missing");
            rule(clean(v, kSearchCap), "search value over its cap or with NUL");
            digest.add(v);
        }
    }
    SetupProfile profile;
    digest.add(parseDetailAnswer(path, profile) ? "found" : "none");
    for (const std::string& v :
         {profile.locCountry(), profile.locDMA(), profile.locState(), profile.locZip()}) {
        rule(clean(v, kDetailCap), "detail value over its cap or with NUL");
        digest.add(v);
    }
    return digest.value;
}

int usage() {
    std::printf("usage: answer_fuzz --seed S (--count N [--first I] | --write I FILE)\n");
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    uint64_t seed = 0, count = 0, first = 0, writeIndex = 0;
    const char* writePath = nullptr;
    if (argc == 3 && std::strcmp(argv[1], "--time") == 0) {
        const ComRuntime com;
        int broken = 0;
        const ULONGLONG start = GetTickCount64();
        parseBoth(0, argv[2], broken);
        std::printf("%s: %llu ms, broken rules %d\n", argv[2], GetTickCount64() - start, broken);
        return broken == 0 ? 0 : 1;
    }
    for (int i = 1; i + 1 < argc; i += 2) {
        const uint64_t value = std::strtoull(argv[i + 1], nullptr, 10);
        if (std::strcmp(argv[i], "--seed") == 0) {
            seed = value;
        } else if (std::strcmp(argv[i], "--count") == 0) {
            count = value;
        } else if (std::strcmp(argv[i], "--first") == 0) {
            first = value;
        } else if (std::strcmp(argv[i], "--write") == 0 && i + 2 < argc) {
            writeIndex = value;
            writePath = argv[i + 2];
            ++i;
        } else {
            return usage();
        }
    }
    const std::string here = ModuleFolder();
    const FuzzInputs inputs(seed, {here + "fixtures\\", here + "fuzz-seeds\\"});
    if (inputs.seedCount() == 0) {
        std::printf("no seed answers beside the program\n");
        return 2;
    }
    if (writePath != nullptr) {
        return writeWholeFile(writePath, inputs.input(writeIndex)) ? 0 : 1;
    }
    if (count == 0) {
        return usage();
    }

    const ComRuntime com;
    ScratchFolder scratch;
    const std::string path = scratch.path() + "answer.xml";
    SetUnhandledExceptionFilter(reportCrash);
    std::thread(watch).detach();

    int broken = 0;
    Digest all;
    std::vector<uint64_t> firstDigests;
    uint64_t slowest = first;
    ULONGLONG slowestMs = 0;
    const ULONGLONG runStart = GetTickCount64();
    for (uint64_t index = first; index < first + count; ++index) {
        if (!writeWholeFile(path, inputs.input(index))) {
            std::printf("input %llu could not be written\n",
                        static_cast<unsigned long long>(index));
            return 2;
        }
        current = index;
        const ULONGLONG start = GetTickCount64();
        startedAt = start;
        const uint64_t digest = parseBoth(index, path, broken);
        startedAt = 0;
        const ULONGLONG took = GetTickCount64() - start;
        if (took > slowestMs) {
            slowestMs = took;
            slowest = index;
        }
        all.add(std::to_string(digest));
        if (index - first < kRepeated) {
            firstDigests.push_back(digest);
        }
    }
    const ULONGLONG runMs = GetTickCount64() - runStart;
    for (uint64_t k = 0; k < firstDigests.size(); ++k) {
        writeWholeFile(path, inputs.input(first + k));
        int ignored = 0;
        if (parseBoth(first + k, path, ignored) != firstDigests[k]) {
            ++broken;
            std::printf("RULE input %llu: another output the second time\n",
                        static_cast<unsigned long long>(first + k));
        }
    }
    std::printf("seed %llu inputs %llu..%llu: %llu ms, slowest input %llu (%llu ms), "
                "digest %016llx, broken rules %d\n",
                static_cast<unsigned long long>(seed), static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(first + count - 1),
                static_cast<unsigned long long>(runMs), static_cast<unsigned long long>(slowest),
                static_cast<unsigned long long>(slowestMs),
                static_cast<unsigned long long>(all.value), broken);
    return broken == 0 ? 0 : 1;
}
