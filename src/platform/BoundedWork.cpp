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

DWORD WINAPI runJob(void* parameter) {
    const std::unique_ptr<Job> job(static_cast<Job*>(parameter));
    runSafely(job->work);
    SetEvent(job->done.get());
    job->done.reset();
    runSafely(job->finish);
    return 0;
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
    const KernelHandle thread(CreateThread(nullptr, 0, runJob, job.get(), 0, nullptr));
    if (!thread.valid()) {
        return false;
    }
    job.release(); // the thread deletes it
    // The page waits here for the network: it stays answerable without running anything.
    return waitAnsweringSentMessages(done.get(), deadline) == WaitResult::Signalled;
}
