#include "platform/WritableFolder.h"

#include "platform/Folders.h"
#include "platform/KernelHandles.h"

#include <vector>

namespace {
// More than a usual answer: a disk too full for this is too full for the answers.
constexpr DWORD kProbeBytes = 64 * 1024;
} // namespace

bool makeWritableFolder(const std::string& folder) {
    if (folder.empty() || !CreateFolderTree(folder)) {
        return false;
    }
    // Named by the process, and gone with its handle even if the process is ended.
    const std::string probe = folder + "~probe-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    const FileHandle file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                      nullptr));
    if (!file.valid()) {
        return false;
    }
    const std::vector<char> zeros(kProbeBytes);
    DWORD written = 0;
    return WriteFile(file.get(), zeros.data(), kProbeBytes, &written, nullptr) &&
           written == kProbeBytes;
}
