#include "platform/Paths.h"

#include <windows.h>

#include <vector>

std::wstring widePath(const std::string& path) {
    if (path.empty()) {
        return {};
    }
    const int size = static_cast<int>(path.size());
    const int length = MultiByteToWideChar(CP_ACP, 0, path.data(), size, nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.data(), size, wide.data(), length);
    return wide;
}

std::optional<std::string> narrowPath(const std::wstring& path) {
    if (path.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(path.size());
    BOOL lossy = FALSE;
    const int length = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), size, nullptr,
                                           0, nullptr, &lossy);
    if (length <= 0 || lossy) {
        return std::nullopt;
    }
    std::string text(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, path.data(), size, text.data(), length,
                        nullptr, nullptr);
    return text;
}

namespace {
// The program's path through the A or W function, however long: installers run pages
// from deep temporary folders, and a cut path would name another folder.
template <class Char, class Get> std::basic_string<Char> modulePath(Get get) {
    std::vector<Char> buffer(500);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = get(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::basic_string<Char>(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::wstring shortPath(const std::wstring& path) {
    const DWORD size = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (size == 0) {
        return {};
    }
    std::wstring result(size, L'\0');
    const DWORD length = GetShortPathNameW(path.c_str(), result.data(), size);
    if (length == 0 || length >= size) {
        return {};
    }
    result.resize(length);
    return result;
}
} // namespace

std::string ModulePath() {
    return modulePath<char>(GetModuleFileNameA);
}

std::optional<std::string> ansiModulePath() {
    const std::wstring path = modulePath<wchar_t>(GetModuleFileNameW);
    for (const std::wstring& form : {path, shortPath(path)}) {
        if (auto narrow = narrowPath(form); narrow && !narrow->empty()) {
            return narrow;
        }
    }
    return std::nullopt;
}

std::string ModuleFolder() {
    return FolderOf(ModulePath());
}

std::string TempFolder() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length == 0) {
            return ModuleFolder();
        }
        if (length < buffer.size()) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(length + 1); // the answer was the size it needs
    }
}

std::string FolderOf(const std::string& path) {
    size_t start = 0;
    if (path.size() >= 2 && path[1] == ':') {
        start = 2;
    }
    // The end of the directory part is just after the last separator; the trail
    // byte of a double-byte character is never taken for one.
    size_t end = start;
    for (size_t i = start; i < path.size(); ++i) {
        const char c = path[i];
        if (IsDBCSLeadByte(static_cast<BYTE>(c)) && i + 1 < path.size()) {
            ++i;
        } else if (c == '\\' || c == '/') {
            end = i + 1;
        }
    }
    return path.substr(0, end);
}
