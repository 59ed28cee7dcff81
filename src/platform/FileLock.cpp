#include "platform/FileLock.h"

#include "platform/SentMessageWait.h"

namespace {
// How soon a waiting page tries again: a holder keeps the lock for milliseconds, and each
// try is a file opening.
constexpr DWORD kRetryMs = 10;

bool heldElsewhere(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}
} // namespace

FileLock::FileLock(const std::wstring& path, const Deadline& deadline) {
    for (;;) {
        // No sharing: a second opening fails while this one lasts. OPEN_ALWAYS takes over a
        // file a crashed machine left behind.
        file_.reset(CreateFileW(
            path.c_str(), GENERIC_READ | DELETE, 0, nullptr, OPEN_ALWAYS,
            FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr));
        if (file_.valid()) {
            return;
        }
        const DWORD error = GetLastError();
        if (!heldElsewhere(error)) {
            result_ = SystemResult::failed(error);
            return;
        }
        if (deadline.passed()) {
            busy_ = true;
            return;
        }
        pauseAnsweringSentMessages(deadline.sooner(Deadline::after(kRetryMs)));
    }
}
