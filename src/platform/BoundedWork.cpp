#include "platform/BoundedWork.h"

#include <exception>
#include <memory>

namespace {
struct Job {
    std::function<void()> work;
    std::function<void()> finish;
    HANDLE done; // the thread's own copy of the event the caller waits on
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
    SetEvent(job->done);
    CloseHandle(job->done);
    runSafely(job->finish);
    return 0;
}
} // namespace

bool runBounded(std::function<void()> work, std::function<void()> finish,
                const Deadline& deadline) {
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (done == nullptr) {
        return false;
    }
    HANDLE threadsCopy = nullptr;
    const HANDLE process = GetCurrentProcess();
    if (!DuplicateHandle(process, done, process, &threadsCopy, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
        CloseHandle(done);
        return false;
    }
    auto job = std::make_unique<Job>(Job{std::move(work), std::move(finish), threadsCopy});
    HANDLE thread = CreateThread(nullptr, 0, runJob, job.get(), 0, nullptr);
    if (thread == nullptr) {
        CloseHandle(threadsCopy);
        CloseHandle(done);
        return false;
    }
    job.release(); // the thread deletes it
    CloseHandle(thread);
    const bool finished = WaitForSingleObject(done, deadline.remaining()) == WAIT_OBJECT_0;
    CloseHandle(done);
    return finished;
}
