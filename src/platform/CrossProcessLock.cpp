#include "platform/CrossProcessLock.h"

#include <cstdint>
#include <cwchar>
#include <cwctype>
#include <vector>

CrossProcessLock::CrossProcessLock(const std::wstring& name, DWORD limitMs)
    : mutex_(CreateMutexW(nullptr, FALSE, name.c_str())) {
    if (!mutex_.valid()) {
        failure_ = GetLastError();
        return;
    }
    switch (WaitForSingleObject(mutex_.get(), limitMs)) {
    case WAIT_OBJECT_0:
    case WAIT_ABANDONED: // its holder ended; what it guarded is left whole by its users
        hold_.reset(mutex_.get());
        break;
    case WAIT_TIMEOUT:
        failure_ = WAIT_TIMEOUT;
        break;
    default:
        failure_ = GetLastError();
        break;
    }
}

std::wstring lockNameForFile(const std::wstring& path) {
    std::wstring full = path;
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed > 0) {
        std::vector<wchar_t> buffer(needed);
        const DWORD length = GetFullPathNameW(path.c_str(), needed, buffer.data(), nullptr);
        if (length > 0 && length < needed) {
            full.assign(buffer.data(), length);
        }
    }
    for (wchar_t& c : full) {
        c = static_cast<wchar_t>(std::towupper(c));
    }
    // Object names may not hold backslashes: the name carries a digest of the path.
    std::uint64_t digest = 14695981039346656037ull;
    for (const wchar_t c : full) {
        digest = (digest ^ static_cast<std::uint16_t>(c)) * 1099511628211ull;
    }
    wchar_t text[17];
    std::swprintf(text, 17, L"%016llx", static_cast<unsigned long long>(digest));
    return L"NimbelleFileLock-" + std::wstring(text);
}
