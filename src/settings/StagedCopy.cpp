#include "settings/StagedCopy.h"

#include "platform/Files.h"
#include "platform/Handles.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
constexpr char kSuffix[] = ".commit";
constexpr int kNameTries = 16;

// When a process started, on the system's clock; 0 when it cannot be told.
unsigned long long startOf(HANDLE process) {
    FILETIME created{};
    FILETIME exited{};
    FILETIME kernel{};
    FILETIME user{};
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        return 0;
    }
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Whether the process named in a copy's name is still the one that made it.
bool makerRuns(DWORD pid, unsigned long long start) {
    const KernelHandle process(
        OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid));
    if (!process.valid()) {
        // No such process; any other refusal means someone runs under that id: leave it.
        return GetLastError() != ERROR_INVALID_PARAMETER;
    }
    if (WaitForSingleObject(process.get(), 0) == WAIT_OBJECT_0) {
        return false;
    }
    const unsigned long long runningSince = startOf(process.get());
    return runningSince == 0 || runningSince == start;
}

// Reads "<pid>.<start>.<serial>.commit"; false for any other name.
bool parseCopyTail(const char* tail, DWORD& pid, unsigned long long& start) {
    char* end = nullptr;
    const unsigned long number = std::strtoul(tail, &end, 10);
    if (end == tail || *end != '.') {
        return false;
    }
    const char* next = end + 1;
    start = std::strtoull(next, &end, 16);
    if (end == next || *end != '.') {
        return false;
    }
    next = end + 1;
    std::strtoull(next, &end, 16);
    if (end == next || std::strcmp(end, kSuffix) != 0) {
        return false;
    }
    pid = static_cast<DWORD>(number);
    return true;
}
} // namespace

std::string stagedCopyName(const std::string& target, DWORD pid, unsigned long long start,
                           unsigned long long serial) {
    char tail[80];
    std::snprintf(tail, sizeof tail, ".%lu.%llx.%llx.commit", static_cast<unsigned long>(pid),
                  start, serial);
    return target + tail;
}

StagedCopy::StagedCopy(const std::string& target, std::string_view bytes) {
    // The tick makes the name new within this process too; a clash is tried again.
    const unsigned long long tick = GetTickCount64();
    const unsigned long long start = startOf(GetCurrentProcess());
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string name = stagedCopyName(target, GetCurrentProcessId(), start,
                                                tick + static_cast<unsigned>(attempt));
        result_ = createFileWithBytes(name, bytes);
        if (result_) {
            path_ = name;
            return;
        }
        if (result_.code() != ERROR_FILE_EXISTS && result_.code() != ERROR_ALREADY_EXISTS) {
            return;
        }
    }
}

StagedCopy::~StagedCopy() {
    if (valid()) {
        // A copy that cannot be removed now is an abandoned one for the next commit.
        (void)deleteFile(path_);
    }
}

void removeAbandonedCopies(const std::string& target) {
    const std::string folder = FolderOf(target);
    const std::string prefix = target.substr(folder.size()) + ".";
    for (const std::string& name : filesMatching(target + ".*" + kSuffix)) {
        DWORD pid = 0;
        unsigned long long start = 0;
        if (_strnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0 ||
            !parseCopyTail(name.c_str() + prefix.size(), pid, start) || makerRuns(pid, start)) {
            continue;
        }
        // One still open elsewhere stays for a later commit to remove.
        (void)deleteFile(folder + name);
    }
}
