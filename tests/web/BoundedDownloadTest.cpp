#include "platform/Waits.h"
#include "platform/Handles.h"
#include "support/TestFolders.h"
#include "support/StubLog.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <memory>

namespace {
constexpr DWORD kShortLimit = 800;

// Milliseconds the call took.
template <class Call> ULONGLONG timed(Call call) {
    const ULONGLONG start = GetTickCount64();
    call();
    return GetTickCount64() - start;
}

// Threads of this process now.
int threadCount() {
    // A snapshot answers INVALID_HANDLE_VALUE on failure, as files do.
    const FileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = snapshot.valid() && Thread32First(snapshot.get(), &entry); more;
         more = Thread32Next(snapshot.get(), &entry)) {
        count += entry.th32OwnerProcessID == GetCurrentProcessId();
    }
    return count;
}
} // namespace

TEST(BoundedDownloads, ServersThatNeverFinishAreCutOffAtTheDeadline) {
    ScratchFolder scratch;
    const std::string path = scratch.path() + "loc.xml";
    const int threadsBefore = threadCount();
    for (const char* route : {"/silent", "/stall", "/drip"}) {
        SCOPED_TRACE(route);
        writeWholeFile(path, "older");
        WebClient client(Deadline::after(kShortLimit));
        bool result = true;
        EXPECT_LT(timed([&] { result = client.FetchToMemory(stubUrl(route).c_str()); }), 3000u);
        EXPECT_FALSE(result);
        EXPECT_EQ("", client.body());

        WebClient fileClient(Deadline::after(kShortLimit));
        EXPECT_LT(timed([&] { result = fileClient.FetchToFile(stubUrl(route), path); }), 3000u);
        EXPECT_FALSE(result);
        EXPECT_EQ("older", readWholeFile(path));
    }
    // Each request given up leaves its worker blocked until the server lets go: one thread
    // each, no more.
    const int threadsAfter = threadCount();
    std::printf("[ threads  ] %d before six requests given up, %d after\n", threadsBefore,
                threadsAfter);
    EXPECT_LE(threadsAfter - threadsBefore, 6);
}

TEST(BoundedDownloads, NothingStartsOnceTheDeadlineHasPassed) {
    auto ran = std::make_shared<std::atomic<int>>(0);
    const Deadline passed = Deadline::after(0);
    const int threadsBefore = threadCount();
    EXPECT_FALSE(runBounded(
        [ran] {
            ++*ran;
            Sleep(5000); // a worker that started would still be counted below
        },
        [ran] { ++*ran; }, passed));
    EXPECT_LE(threadCount(), threadsBefore);
    Sleep(300);
    EXPECT_EQ(0, ran->load());

    ScratchFolder scratch;
    const StubLog log;
    WebClient late(passed);
    EXPECT_FALSE(late.FetchToMemory(stubUrl("/short").c_str()));
    EXPECT_FALSE(late.FetchToFile(stubUrl("/short"), scratch.path() + "loc.xml"));
    Sleep(300);
    EXPECT_TRUE(log.requests().empty());
}

TEST(BoundedDownloads, WorkGivenUpDoesNotHoldUpTheWorkAfterIt) {
    const auto release =
        std::make_shared<KernelHandle>(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(release->valid());
    EXPECT_FALSE(runBounded([release] { WaitForSingleObject(release->get(), INFINITE); }, [] {},
                            Deadline::after(200)));
    auto ran = std::make_shared<std::atomic<bool>>(false);
    EXPECT_TRUE(runBounded([ran] { *ran = true; }, [] {}, Deadline::after(3000)));
    EXPECT_TRUE(ran->load());
    SetEvent(release->get()); // the worker given up on ends
}

TEST(BoundedDownloads, RedirectsEndAfterFive) {
    const StubLog log;
    WebClient client;
    EXPECT_FALSE(client.FetchToMemory(stubUrl("/loop").c_str()));
    EXPECT_EQ(302u, client.statusCode());
    const auto requests = log.requests();
    ASSERT_EQ(6u, requests.size());
    for (const StubRequest& request : requests) {
        EXPECT_EQ("/loop", request.path);
        EXPECT_EQ("http://desktop.nimbelle.test", request.header("referer"));
    }
}

TEST(BoundedDownloads, AnAnswerOverTheCapIsAFailureAndNotKept) {
    ScratchFolder scratch;
    const std::string path = scratch.path() + "loc.xml";
    writeWholeFile(path, "older");
    WebClient client;
    EXPECT_FALSE(client.FetchToFile(stubUrl("/huge"), path));
    EXPECT_EQ("older", readWholeFile(path));
    EXPECT_FALSE(client.FetchToMemory(stubUrl("/huge").c_str()));
    EXPECT_EQ("", client.body());
    EXPECT_EQ(200u, client.statusCode());
}

TEST(BoundedDownloads, ControlCharactersNeverReachTheWireRaw) {
    ScratchFolder scratch;
    const StubLog log;
    WebClient client;
    const std::string url = stubUrl("/echo/x\r\nX-Injected: 1\x7F");
    ASSERT_TRUE(client.FetchToMemory(url.c_str()));
    ASSERT_TRUE(client.FetchToFile(url, scratch.path() + "loc.xml"));
    const auto requests = log.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/echo/x%0D%0AX-Injected:%201%7F", requests[0].path);
    EXPECT_EQ(0u, requests[1].path.find("/echo/x%0D%0AX-Injected:%201%7F?rnd="));
    for (const StubRequest& request : requests) {
        EXPECT_EQ("", request.header("x-injected"));
    }
}

TEST(BoundedDownloads, RedirectTargetsUpToTheLongestUrlAreFollowed) {
    // The stub sends absolute targets of exactly this many characters.
    WebClient client;
    ASSERT_TRUE(client.FetchToMemory(stubUrl("/redirect-long/2083").c_str()));
    EXPECT_EQ("<short/>", client.body());

    const StubLog log;
    EXPECT_FALSE(client.FetchToMemory(stubUrl("/redirect-long/2084").c_str()));
    EXPECT_EQ(302u, client.statusCode()); // a target too long to follow: the redirect answers
    EXPECT_EQ(1u, log.requests().size());
}
