#include "platform/BoundedWork.h"

#include "platform/KernelHandles.h"
#include "platform/SentMessageWait.h"

#include <exception>
#include <memory>

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
