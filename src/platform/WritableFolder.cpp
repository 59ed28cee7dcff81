#include "platform/WritableFolder.h"

#include "platform/FileBytes.h"
#include "platform/Folders.h"
#include "platform/KernelHandles.h"
#include "platform/PathText.h"

namespace {
// More than a usual answer: a disk too full for this is too full for the answers.
constexpr size_t kProbeBytes = 64 * 1024;

SystemResult writeProbe(const std::wstring& probe) {
    const FileHandle file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
    if (!file.valid()) {
        return SystemResult::lastError();
    }
    return writeAll(file.get(), std::string(kProbeBytes, '\0'));
}
} // namespace

SystemResult makeWritableFolder(const std::string& folder) {
    if (folder.empty()) {
        return SystemResult::failed(ERROR_PATH_NOT_FOUND);
    }
    // Named by the process, and gone with its handle even if the process is ended.
    const std::wstring probe =
        widePath(folder + "~probe-" + std::to_string(GetCurrentProcessId()) + ".tmp");
    // The folder is there on every Next but the first: the probe alone answers then, and only
    // a probe that finds no folder has the tree made (a file in its place fails again there).
    const SystemResult written = writeProbe(probe);
    if (written || written.code() != ERROR_PATH_NOT_FOUND) {
        return written;
    }
    if (!CreateFolderTree(folder)) {
        return SystemResult::lastError();
    }
    return writeProbe(probe);
}
