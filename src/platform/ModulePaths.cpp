#include "platform/ModulePaths.h"

#include "platform/Folders.h"
#include "platform/PathText.h"

#include <windows.h>

#include <vector>

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
