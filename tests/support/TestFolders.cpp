#include "support/TestFolders.h"

#include "platform/Handles.h"
#include "platform/Paths.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace {
std::string capturedDebugText;

LONG CALLBACK captureDebugString(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD* record = info->ExceptionRecord;
    if (record->ExceptionCode == DBG_PRINTEXCEPTION_C && record->NumberParameters >= 2) {
        capturedDebugText += reinterpret_cast<const char*>(record->ExceptionInformation[1]);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
} // namespace

ScratchFolder::ScratchFolder() {
    static int serial = 0;
    path_ = TempFolder() + "nimbelle-test-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++serial) + "\\";
    removeTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    removeTree(path_);
}

void removeTree(const std::string& folder) {
    std::string base = folder;
    if (!base.empty() && base.back() != '\\') {
        base += '\\';
    }
    {
        WIN32_FIND_DATAA data;
        const FindHandle find(FindFirstFileA((base + "*").c_str(), &data));
        // Closed before the folder itself goes: an open search keeps it.
        for (bool more = find.valid(); more; more = FindNextFileA(find.get(), &data)) {
            const std::string name = data.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                removeTree(base + name);
            } else {
                SetFileAttributesA((base + name).c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA((base + name).c_str());
            }
        }
    }
    RemoveDirectoryA(base.c_str());
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeWholeFile(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

DebugOutputCapture::DebugOutputCapture()
    : handler_(AddVectoredExceptionHandler(1, captureDebugString)) {
    capturedDebugText.clear();
}

DebugOutputCapture::~DebugOutputCapture() {
    RemoveVectoredExceptionHandler(handler_);
}

const std::string& DebugOutputCapture::text() const {
    return capturedDebugText;
}
