#include "support/TestFolders.h"
#include "web/StubLog.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

namespace {
constexpr DWORD kShortLimit = 800;

// Milliseconds the call took.
template <class Call> ULONGLONG timed(Call call) {
    const ULONGLONG start = GetTickCount64();
    call();
    return GetTickCount64() - start;
}
} // namespace

TEST(BoundedDownloads, ServersThatNeverFinishAreCutOffAtTheDeadline) {
    ScratchFolder scratch;
    const std::string path = scratch.path() + "loc.xml";
    for (const char* route : {"/silent", "/stall", "/drip"}) {
        SCOPED_TRACE(route);
        WriteWholeFile(path, "older");
        WebClient client(Deadline::after(kShortLimit));
        bool result = true;
        EXPECT_LT(timed([&] { result = client.FetchToMemory(StubUrl(route).c_str()); }), 3000u);
        EXPECT_FALSE(result);
        EXPECT_EQ("", client.body());

        WebClient fileClient(Deadline::after(kShortLimit));
        EXPECT_LT(timed([&] { result = fileClient.FetchToFile(StubUrl(route), path); }), 3000u);
        EXPECT_FALSE(result);
        EXPECT_EQ("older", ReadWholeFile(path));
    }
}

TEST(BoundedDownloads, RedirectsEndAfterFive) {
    const StubLog log;
    WebClient client;
    EXPECT_FALSE(client.FetchToMemory(StubUrl("/loop").c_str()));
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
    WriteWholeFile(path, "older");
    WebClient client;
    EXPECT_FALSE(client.FetchToFile(StubUrl("/huge"), path));
    EXPECT_EQ("older", ReadWholeFile(path));
    EXPECT_FALSE(client.FetchToMemory(StubUrl("/huge").c_str()));
    EXPECT_EQ("", client.body());
    EXPECT_EQ(200u, client.statusCode());
}

TEST(BoundedDownloads, ControlCharactersNeverReachTheWireRaw) {
    ScratchFolder scratch;
    const StubLog log;
    WebClient client;
    const std::string url = StubUrl("/echo/x\r\nX-Injected: 1\x7F");
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
