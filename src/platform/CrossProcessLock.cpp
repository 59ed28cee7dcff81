#include "platform/CrossProcessLock.h"

#include "platform/SentMessageWait.h"

#include <sddl.h>

#include <cstdint>
#include <vector>

namespace {
// Everyone may wait for the lock and give it back, nothing else: another user's page shares
// the path, but must not be able to change or take over the lock object.
constexpr wchar_t kWaitOnlyForEveryone[] = L"D:(A;;0x00100001;;;WD)";
constexpr DWORD kWaitAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

KernelHandle openLock(const std::wstring& name) {
    LocalMemory descriptor;
    ConvertStringSecurityDescriptorToSecurityDescriptorW(kWaitOnlyForEveryone, SDDL_REVISION_1,
                                                         descriptor.put(), nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return KernelHandle(
        CreateMutexExW(descriptor.valid() ? &attributes : nullptr, name.c_str(), 0, kWaitAccess));
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return path;
    }
    std::vector<wchar_t> buffer(needed);
    const DWORD length = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
    return length > 0 && length < needed ? std::wstring(buffer.data(), length) : path;
}
} // namespace

std::wstring lockNameForPath(const wchar_t* space, const char* purpose, const std::wstring& path) {
    std::wstring full = fullPath(path);
    if (!full.empty()) {
        CharUpperBuffW(full.data(), static_cast<DWORD>(full.size()));
    }
    std::uint64_t digest = 14695981039346656037ull; // FNV-1a
    for (const wchar_t c : full) {
        digest = (digest ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    std::wstring name = std::wstring(space) + L"NimbelleSetup.";
    for (const char* c = purpose; *c != '\0'; ++c) {
        name += static_cast<wchar_t>(*c);
    }
    name += L'.';
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += L"0123456789abcdef"[(digest >> shift) & 15];
    }
    return name;
}

CrossProcessLock::CrossProcessLock(const char* purpose, const std::wstring& path,
                                   const Deadline& deadline) {
    // Global first: two users of one copy share its folder and may sit in different sessions
    // (switched users, remote desktops), where a session's Local names are not seen.
    for (const wchar_t* space : {L"Global\\", L"Local\\"}) {
        mutex_ = openLock(lockNameForPath(space, purpose, path));
        if (mutex_.valid()) {
            break;
        }
    }
    if (!mutex_.valid()) {
        failure_ = GetLastError();
        return;
    }
    if (waitAnsweringSentMessages(mutex_.get(), deadline)) {
        hold_.reset(mutex_.get());
    } else {
        failure_ = WAIT_TIMEOUT;
    }
}
