#pragma once

#include <windows.h>

#include <functional>

// A moment by which a wait must end, on the system's millisecond tick.
class Deadline {
public:
    static Deadline after(DWORD milliseconds) { return Deadline(GetTickCount64() + milliseconds); }

    bool passed() const { return GetTickCount64() >= at_; }
    DWORD remaining() const {
        const ULONGLONG now = GetTickCount64();
        return now >= at_ ? 0 : static_cast<DWORD>(at_ - now);
    }
    Deadline sooner(const Deadline& other) const { return at_ <= other.at_ ? *this : other; }

private:
    explicit Deadline(ULONGLONG at) : at_(at) {}

    ULONGLONG at_;
};

// How a wait ended.
enum class WaitResult {
    Signalled, // the object was signalled (for a mutex: taken, also from an owner that ended)
    TimedOut,  // the deadline passed first
    Failed,    // the system refused the wait (a closed or unwaitable handle)
};

// Waits until object is signalled or the deadline passes. Meanwhile the thread still answers
// messages other threads and programs send to its windows and looks at its queue several
// times a second, so the system never takes its windows for hung; nothing posted (input,
// painting, timers, posted commands) is taken from the queue.
WaitResult waitAnsweringSentMessages(HANDLE object, const Deadline& deadline);

// Lets time pass until the deadline in the same way, with nothing to wait for.
void pauseAnsweringSentMessages(const Deadline& deadline);

// Runs work on a worker thread and waits for it until the deadline: true when it
// finished in time. Then, on the same thread, finish runs without being waited for (closing
// a connection can take long). Work that overruns is left to finish by itself, so both must
// own everything they touch; nothing waits for them again. When the deadline has already
// passed, neither runs and the answer is false. The calling thread keeps answering sent
// messages while it waits (waitAnsweringSentMessages).
bool runBounded(std::function<void()> work, std::function<void()> finish, const Deadline& deadline);
