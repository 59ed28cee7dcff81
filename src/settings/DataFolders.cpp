#include "settings/DataFolders.h"

#include <windows.h>
#include <shlobj.h>

namespace {
constexpr char kPlatformSuffix[] = "\\Talvora\\Corvane\\";

// Filled by the first successful lookup, then used for the rest of the process.
std::string cachedAppDataFolder;

std::string knownFolder(int csidl) {
    char path[MAX_PATH] = {};
    if (SUCCEEDED(SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT,
                                   path))) {
        return path;
    }
    return {};
}
} // namespace

std::string AppDataFolder() {
    if (cachedAppDataFolder.empty()) {
        cachedAppDataFolder = knownFolder(CSIDL_LOCAL_APPDATA);
    }
    if (cachedAppDataFolder.empty()) {
        cachedAppDataFolder = knownFolder(CSIDL_APPDATA);
    }
    return cachedAppDataFolder;
}

std::string PlatformDataFolder() {
    return AppDataFolder() + kPlatformSuffix;
}
