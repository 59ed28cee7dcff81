#include "web/ModulePaths.h"

#include "settings/DataFolders.h"

#include <windows.h>

#include <vector>

std::string ModulePath() {
    // Installers run pages from deep temporary folders: grow the buffer until
    // the whole path fits instead of working with a cut one.
    std::vector<char> buffer(500);
    for (;;) {
        const DWORD size = static_cast<DWORD>(buffer.size());
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) {
            return {};
        }
        if (length < size) {
            return std::string(buffer.data(), length);
        }
        buffer.resize(buffer.size() * 2);
    }
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
