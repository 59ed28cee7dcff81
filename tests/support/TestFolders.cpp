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
    const std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + '\\';
    for (const std::string& name : namesIn(base + "*")) {
        const std::string path = base + name;
        if (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) {
            removeTree(path);
        } else {
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(path.c_str());
        }
    }
    RemoveDirectoryA(base.c_str());
}

std::vector<std::string> namesIn(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA data;
    const FindHandle find(FindFirstFileA(pattern.c_str(), &data));
    for (bool more = find.valid(); more; more = FindNextFileA(find.get(), &data)) {
        const std::string name = data.cFileName;
        if (name != "." && name != "..") {
            names.push_back(name);
        }
    }
    return names; // the search closed: an open one would keep its folder
}

std::string readWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool writeWholeFile(const std::string& path, const std::string& content) {
    return static_cast<bool>(std::ofstream(path, std::ios::binary | std::ios::trunc) << content);
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
