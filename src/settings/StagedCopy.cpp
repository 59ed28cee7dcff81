#include "settings/StagedCopy.h"

#include "platform/FileBytes.h"
#include "platform/KernelHandles.h"
#include "platform/PathText.h"

#include <cstdio>
#include <cwchar>

namespace {
constexpr wchar_t kSuffix[] = L".commit";
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
bool parseCopyTail(const wchar_t* tail, DWORD& pid, unsigned long long& start) {
    wchar_t* end = nullptr;
    const unsigned long number = std::wcstoul(tail, &end, 10);
    if (end == tail || *end != L'.') {
        return false;
    }
    const wchar_t* next = end + 1;
    start = std::wcstoull(next, &end, 16);
    if (end == next || *end != L'.') {
        return false;
    }
    next = end + 1;
    std::wcstoull(next, &end, 16);
    if (end == next || std::wcscmp(end, kSuffix) != 0) {
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
        const std::wstring wide = widePath(name);
        result_ = createFileWithBytes(wide, bytes);
        if (result_) {
            ansiPath_ = name;
            path_ = wide;
            return;
        }
        if (result_.code() != ERROR_FILE_EXISTS && result_.code() != ERROR_ALREADY_EXISTS) {
            return;
        }
    }
}

StagedCopy::~StagedCopy() {
    if (valid()) {
        DeleteFileW(path_.c_str());
    }
}

void removeAbandonedCopies(const std::string& target) {
    const std::wstring wide = widePath(target);
    const size_t nameStart = wide.find_last_of(L"\\/") + 1;
    const std::wstring folder = wide.substr(0, nameStart);
    const std::wstring prefix = wide.substr(nameStart) + L".";
    WIN32_FIND_DATAW found;
    const FindHandle find(FindFirstFileW((wide + L".*" + kSuffix).c_str(), &found));
    for (bool more = find.valid(); more; more = FindNextFileW(find.get(), &found)) {
        const std::wstring name = found.cFileName;
        DWORD pid = 0;
        unsigned long long start = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ||
            _wcsnicmp(name.c_str(), prefix.c_str(), prefix.size()) != 0 ||
            !parseCopyTail(name.c_str() + prefix.size(), pid, start) || makerRuns(pid, start)) {
            continue;
        }
        DeleteFileW((folder + name).c_str());
    }
}
