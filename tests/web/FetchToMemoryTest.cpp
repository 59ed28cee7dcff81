#include "support/FailingAllocator.h"
#include "web/Endpoints.h"
#include "support/StubLog.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

namespace {
bool fetch(WebClient& client, const std::string& stubPath) {
    return client.FetchToMemory(stubUrl(stubPath).c_str());
}
} // namespace

TEST(FetchToMemory, SendsTheUrlAsPassedWithTheProgramsHeaders) {
    const StubLog log;
    WebClient client;
    ASSERT_TRUE(fetch(client, "/echo/New York?eloc=*&q=?"));
    EXPECT_EQ("echo", client.body());
    EXPECT_EQ(200u, client.statusCode());

    const auto requests = log.requests(); // the configured main host resolves: no probe image
    ASSERT_EQ(1u, requests.size());
    // No cache buster and no escaping of ours ("*" stays); the blank is escaped by the
    // platform's HTTP layer itself, which cannot put a raw blank on the request line.
    EXPECT_EQ("/echo/New%20York?eloc=*&q=?", requests[0].path);
    EXPECT_EQ(kUserAgent, requests[0].header("user-agent"));
    EXPECT_EQ("http://desktop.nimbelle.test", requests[0].header("referer"));
}

TEST(FetchToMemory, BodyHoldsOnlyWhatTheLastCallRead) {
    WebClient client;
    ASSERT_TRUE(fetch(client, "/short"));
    EXPECT_EQ("<short/>", client.body());

    const StubLog log;
    EXPECT_FALSE(client.FetchToMemory(nullptr));
    EXPECT_EQ("<short/>", client.body());
    EXPECT_TRUE(log.requests().empty());

    EXPECT_FALSE(fetch(client, "/status/404"));
    EXPECT_EQ("", client.body());
    EXPECT_EQ(404u, client.statusCode());
    EXPECT_EQ("HTTP Status = 404 Not Found - object not found; The server has not found anything "
              "matching the Request-URI.",
              client.lastError());

    ASSERT_TRUE(fetch(client, "/short"));
    EXPECT_FALSE(client.FetchToMemory("nimbelle://no.scheme/x"));
    EXPECT_EQ("", client.body());
    EXPECT_EQ("Failed to open URL nimbelle://no.scheme/x", client.lastError());
    EXPECT_EQ(200u, client.statusCode()); // no status was read this time
}

TEST(FetchToMemory, RunningOutOfMemoryReportsFalseInsteadOfThrowing) {
    WebClient client;
    ASSERT_TRUE(fetch(client, "/short"));
    const std::string url = stubUrl("/long"); // too long to be held without allocating
    bool result = true;
    {
        AllocationsFail noMemory;
        result = client.FetchToMemory(url.c_str());
    }
    EXPECT_FALSE(result);
    EXPECT_EQ("", client.body());
}

TEST(FetchToMemory, AZeroByteEndsWhatItsChunkAdds) {
    WebClient client;
    ASSERT_TRUE(fetch(client, "/nul"));
    EXPECT_EQ("abc", client.body());

    // 100 bytes, a zero, then 4899 more: the chunk holding the zero stops there, the
    // chunks after it still count.
    ASSERT_TRUE(fetch(client, "/nul-long"));
    const std::string& body = client.body();
    EXPECT_EQ(std::string(100, 'H'), body.substr(0, 100));
    EXPECT_EQ("TAIL", body.substr(body.size() - 4));
    EXPECT_EQ(std::string::npos, body.find('\0'));
}
