#include "platform/WritableFolder.h"

#include "platform/Folders.h"
#include "platform/KernelHandles.h"

#include <vector>

namespace {
// More than a usual answer: a disk too full for this is too full for the answers.
constexpr DWORD kProbeBytes = 64 * 1024;
} // namespace

SystemResult makeWritableFolder(const std::string& folder) {
    if (folder.empty()) {
        return SystemResult::failed(ERROR_PATH_NOT_FOUND);
    }
    if (!CreateFolderTree(folder)) {
        return SystemResult::lastError();
    }
    // Named by the process, and gone with its handle even if the process is ended.
    const std::string probe = folder + "~probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const FileHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    const std::vector<char> zeros(kProbeBytes);
    DWORD written = 0;
    if (!WriteFile(file.get(), zeros.data(), kProbeBytes, &written, nullptr)) {
        return SystemResult::lastError();
    }
    // A short write without an error: the system gave no reason.
    return written == kProbeBytes ? SystemResult::done() : SystemResult::failed(0);
}
