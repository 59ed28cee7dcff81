#include "platform/Folders.h"

#include "platform/KernelHandles.h"
#include "platform/PathText.h"
#include "platform/SystemErrorText.h"

#include <windows.h>

namespace {
constexpr size_t kErrorTextSize = 501;

bool entryExists(const std::string& path) {
    WIN32_FIND_DATAA data;
    return FindHandle(FindFirstFileA(path.c_str(), &data)).valid();
}

// The path without one trailing backslash: how the system names a folder it is asked about.
std::string withoutTrailingSeparator(const std::string& path) {
    if (!path.empty() && path.back() == '\\') {
        return path.substr(0, path.size() - 1);
    }
    return path;
}

// The reason goes to the debugger output and stays the thread's last error for the caller.
void reportError(DWORD code) {
    char text[kErrorTextSize];
    SystemErrorText(code, text, sizeof text);
    OutputDebugStringA(text);
    SetLastError(code);
}
} // namespace

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

bool FileExists(const std::string& path) {
    return entryExists(path);
}

bool FolderExists(const std::string& path) {
    if (path.size() > kMaxFolderPath) {
        return false;
    }
    return entryExists(withoutTrailingSeparator(path));
}

bool CreateFolder(const std::string& path) {
    if (FolderExists(path)) {
        return true;
    }
    if (path.size() > kMaxFolderPath) {
        reportError(ERROR_FILENAME_EXCED_RANGE);
        return false;
    }
    if (CreateDirectoryA(path.c_str(), nullptr)) {
        return true;
    }
    const DWORD error = GetLastError();
    if (FolderExists(path)) {
        return true; // another page made it between the look and the creation
    }
    reportError(error);
    return false;
}

bool CreateFolderTree(const std::string& path) {
    const std::string folder = withoutTrailingSeparator(path);
    if (folder.size() > kMaxFolderPath) {
        // Too long to ever exist for us: refuse before creating any ancestor.
        return CreateFolder(folder);
    }
    if (FolderExists(folder)) {
        return true;
    }
    const size_t slash = folder.find_last_of('\\');
    if (slash != std::string::npos && slash > 0) {
        CreateFolderTree(folder.substr(0, slash));
    }
    return CreateFolder(folder);
}

bool onNetworkDrive(const std::string& path) {
    std::wstring wide = widePath(path);
    if (wide.rfind(L"\\\\?\\UNC\\", 0) == 0) {
        return true;
    }
    if (wide.rfind(L"\\\\?\\", 0) == 0) {
        wide.erase(0, 4);
    } else if (wide.rfind(L"\\\\", 0) == 0) {
        return true; // \\server\share
    }
    if (wide.size() < 2 || wide[1] != L':') {
        return false;
    }
    const std::wstring root = wide.substr(0, 2) + L"\\";
    return GetDriveTypeW(root.c_str()) == DRIVE_REMOTE;
}
