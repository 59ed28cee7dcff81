#include "LockHolder.h"

#include "platform/Waits.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Paths.h"

namespace {
// A Wine process takes a second or more to start, longer on a busy machine.
constexpr DWORD kStartMs = 60000;
} // namespace

int holdLockUntilEnded(const std::string& eventName, const std::string& path) {
    const KernelHandle ready(OpenEventA(EVENT_MODIFY_STATE, FALSE, eventName.c_str()));
    if (!ready.valid()) {
        return 2;
    }
    const FileLock lock(path, Deadline::after(kStartMs));
    if (!lock.held()) {
        return 3;
    }
    SetEvent(ready.get());
    Sleep(kStartMs); // ended long before, unless the test program went first
    return 4;
}

LockHolder startLockHolder(const std::string& path) {
    static int serial = 0;
    const std::string eventName = "nimbelle-test-lock-held-" +
                                  std::to_string(GetCurrentProcessId()) + "-" +
                                  std::to_string(++serial);
    const KernelHandle ready(CreateEventA(nullptr, TRUE, FALSE, eventName.c_str()));
    std::string commandLine =
        "\"" + ModulePath() + "\" " + kLockHolderSwitch + " " + eventName + " \"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    if (!ready.valid() || !CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                          nullptr, nullptr, &startup, &started)) {
        return LockHolder();
    }
    const KernelHandle thread(started.hThread);
    LockHolder holder(started.hProcess);
    const HANDLE either[] = {ready.get(), holder.get()};
    if (WaitForMultipleObjects(2, either, FALSE, kStartMs) != WAIT_OBJECT_0) {
        return LockHolder();
    }
    return holder;
}
