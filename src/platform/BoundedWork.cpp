#include "platform/BoundedWork.h"

#include <exception>
#include <memory>

namespace {
DWORD WINAPI runWork(void* parameter) {
    const std::unique_ptr<std::function<void()>> work(
        static_cast<std::function<void()>*>(parameter));
    try {
        (*work)();
    } catch (const std::exception&) {
        // The caller reads the work's own state; a failed work just leaves it unfinished.
    }
    return 0;
}
} // namespace

bool runBounded(std::function<void()> work, const Deadline& deadline) {
    auto owned = std::make_unique<std::function<void()>>(std::move(work));
    HANDLE thread = CreateThread(nullptr, 0, runWork, owned.get(), 0, nullptr);
    if (thread == nullptr) {
        return false;
    }
    owned.release(); // the thread deletes it
    const bool finished = WaitForSingleObject(thread, deadline.remaining()) == WAIT_OBJECT_0;
    CloseHandle(thread);
    return finished;
}
