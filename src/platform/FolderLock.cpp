#include "platform/FolderLock.h"

#include "platform/SentMessageWait.h"

#include <sddl.h>

#include <cstdint>

namespace {
// Everyone may wait for the lock and give it back, nothing else: another user's page
// shares the folder, but must not be able to change or take over the lock object.
constexpr char kWaitOnlyForEveryone[] = "D:(A;;0x00100001;;;WD)";
constexpr DWORD kWaitAccess = SYNCHRONIZE | MUTEX_MODIFY_STATE;

uint64_t fnv1a(const std::string& text) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : text) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

KernelHandle openLock(const std::string& name) {
    LocalMemory descriptor;
    ConvertStringSecurityDescriptorToSecurityDescriptorA(kWaitOnlyForEveryone, SDDL_REVISION_1,
                                                         descriptor.put(), nullptr);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    return KernelHandle(
        CreateMutexExA(descriptor.valid() ? &attributes : nullptr, name.c_str(), 0, kWaitAccess));
}
} // namespace

std::string folderLockName(const char* space, const std::string& folder) {
    std::string lower = folder;
    if (!lower.empty()) {
        CharLowerBuffA(lower.data(), static_cast<DWORD>(lower.size()));
    }
    static const char digits[] = "0123456789abcdef";
    std::string name = std::string(space) + "NimbelleSetup.answers.";
    const uint64_t hash = fnv1a(lower);
    for (int shift = 60; shift >= 0; shift -= 4) {
        name += digits[(hash >> shift) & 15];
    }
    return name;
}

FolderLock::FolderLock(const std::string& folder, const Deadline& deadline) {
    // Global first: two users of one copy share its folder and may sit in different sessions
    // (switched users, remote desktops), where a session's Local names are not seen.
    for (const char* space : {"Global\\", "Local\\"}) {
        mutex_ = openLock(folderLockName(space, folder));
        if (mutex_.valid()) {
            break;
        }
    }
    if (!mutex_.valid()) {
        taken_ = true; // nothing to share the folder by: one page alone still works
        return;
    }
    if (waitAnsweringSentMessages(mutex_.get(), deadline)) {
        hold_.reset(mutex_.get());
        taken_ = true;
    }
}
