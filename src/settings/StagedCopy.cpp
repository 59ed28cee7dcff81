#include "settings/StagedCopy.h"

#include "platform/FileSwap.h"
#include "platform/PathText.h"
#include "platform/KernelHandles.h"

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

// target.<pid>.<process start>.<serial>.commit: the process start tells a pid used again
// by a later process from the one that made the copy.
std::string copyName(const std::string& target, unsigned long long serial) {
    char tail[80];
    std::snprintf(tail, sizeof tail, ".%lu.%llx.%llx%s", GetCurrentProcessId(),
                  startOf(GetCurrentProcess()), serial, kSuffix);
    return target + tail;
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
    if (end == next || std::string(end) != kSuffix) {
        return false;
    }
    pid = static_cast<DWORD>(number);
    return true;
}
} // namespace

StagedCopy::StagedCopy(const std::string& target, const std::string& bytes) {
    // The tick makes the name new within this process too; a clash is tried again.
    const unsigned long long tick = GetTickCount64();
    for (int attempt = 0; attempt < kNameTries; ++attempt) {
        const std::string name = copyName(target, tick + static_cast<unsigned>(attempt));
        const std::wstring wide = ::widePath(name);
        if (createFileWithBytes(wide, bytes, error_)) {
            path_ = name;
            widePath_ = wide;
            error_ = 0;
            return;
        }
        if (error_ != ERROR_FILE_EXISTS && error_ != ERROR_ALREADY_EXISTS) {
            return;
        }
    }
}

StagedCopy::~StagedCopy() {
    if (valid()) {
        DeleteFileW(widePath_.c_str());
    }
}

void removeAbandonedCopies(const std::string& target) {
    const size_t nameStart = target.find_last_of("\\/") + 1;
    const std::string folder = target.substr(0, nameStart);
    const std::string prefix = target.substr(nameStart) + ".";
    WIN32_FIND_DATAA found;
    const FindHandle find(FindFirstFileA((target + ".*" + kSuffix).c_str(), &found));
    for (bool more = find.valid(); more; more = FindNextFileA(find.get(), &found)) {
        const std::string name = found.cFileName;
        DWORD pid = 0;
        unsigned long long start = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            _strnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0 ||
            !parseCopyTail(name.c_str() + prefix.size(), pid, start) || makerRuns(pid, start)) {
            continue;
        }
        DeleteFileA((folder + name).c_str());
    }
}
