#include "platform/Waits.h"

#include "platform/Handles.h"

#include <algorithm>
#include <exception>
#include <memory>

namespace {
// How often the queue is looked at while nothing is sent: a window whose thread has not
// looked for a few seconds counts as hung.
constexpr DWORD kLookPeriodMs = 50;

bool signalled(DWORD result) {
    return result == WAIT_OBJECT_0 || result == WAIT_ABANDONED_0;
}

// One slice of a wait for the object, or for nothing when it is null: the object's result when
// it was signalled or the wait failed, else WAIT_TIMEOUT once sent messages were answered.
DWORD waitSlice(HANDLE object, const Deadline& deadline) {
    const DWORD count = object != nullptr ? 1 : 0;
    const DWORD slice = std::min(deadline.remaining(), kLookPeriodMs);
    const DWORD result = MsgWaitForMultipleObjects(count, &object, FALSE, slice, QS_SENDMESSAGE);
    // WAIT_OBJECT_0 + count says a sent message is waiting: not the object.
    if (result == WAIT_FAILED || (count == 1 && signalled(result))) {
        return result;
    }
    // Delivers the messages sent to this thread inside the call and takes nothing from the
    // queue: no input, paint, timer or posted message runs before the wait is over.
    MSG message;
    PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    return WAIT_TIMEOUT;
}
} // namespace

WaitResult waitAnsweringSentMessages(HANDLE object, const Deadline& deadline) {
    for (;;) {
        const DWORD result = waitSlice(object, deadline);
        if (signalled(result)) {
            return WaitResult::Signalled;
        }
        if (result == WAIT_FAILED) {
            return WaitResult::Failed;
        }
        if (deadline.passed()) {
            return signalled(WaitForSingleObject(object, 0)) ? WaitResult::Signalled
                                                             : WaitResult::TimedOut;
        }
    }
}

void pauseAnsweringSentMessages(const Deadline& deadline) {
    while (!deadline.passed()) {
        if (waitSlice(nullptr, deadline) == WAIT_FAILED) {
            Sleep(deadline.remaining() < kLookPeriodMs ? deadline.remaining() : kLookPeriodMs);
        }
    }
}

namespace {
struct Job {
    std::function<void()> work;
    std::function<void()> finish;
    KernelHandle done; // the thread's own copy of the event the caller waits on
};

void runSafely(const std::function<void()>& step) {
    try {
        step();
    } catch (const std::exception&) {
        // The caller reads the work's own state; a failed step just leaves it unfinished.
    }
}

void CALLBACK runJob(PTP_CALLBACK_INSTANCE, void* parameter) {
    const std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    runSafely(job->work);
    SetEvent(job->done.get());
    job->done.reset();
    runSafely(job->finish);
}

// Workers kept for the process: under Wine a thread made for one request cost more than the
// loopback request itself (each new thread also sets up the internet and sockets libraries'
// state of its own). One worker always waits ready; a worker left blocked by work that
// overran is simply not free, and the pool makes another for the next work.
PTP_POOL workerPool() {
    static const PTP_POOL pool = [] {
        const PTP_POOL made = CreateThreadpool(nullptr);
        if (made != nullptr && !SetThreadpoolThreadMinimum(made, 1)) {
            CloseThreadpool(made);
            return PTP_POOL(nullptr);
        }
        return made;
    }();
    return pool;
}

// Starts job on a worker of the pool, or of the process's own pool when no pool of ours
// could be made.
bool submit(Job* job) {
    TP_CALLBACK_ENVIRON environment;
    InitializeThreadpoolEnvironment(&environment);
    if (const PTP_POOL pool = workerPool()) {
        SetThreadpoolCallbackPool(&environment, pool);
    }
    const bool submitted = TrySubmitThreadpoolCallback(runJob, job, &environment) != FALSE;
    DestroyThreadpoolEnvironment(&environment);
    return submitted;
}
} // namespace

bool runBounded(std::function<void()> work, std::function<void()> finish,
                const Deadline& deadline) {
    // No time left: the work is not started at all, so nothing of it reaches the wire.
    if (deadline.passed()) {
        return false;
    }
    const KernelHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done.valid()) {
        return false;
    }
    HANDLE threadsCopy = nullptr;
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, done.get(), process, &threadsCopy, 0, FALSE,
                         DUPLICATE_SAME_ACCESS)) {
        return false;
    }
    auto job =
        std::make_unique<Job>(Job{std::move(work), std::move(finish), KernelHandle(threadsCopy)});
    if (!submit(job.get())) {
        return false;
    }
    job.release(); // the worker deletes it
    // The page waits here for the network: it stays answerable without running anything.
    return waitAnsweringSentMessages(done.get(), deadline) == WaitResult::Signalled;
}
