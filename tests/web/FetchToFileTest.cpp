#include "platform/Files.h"
#include "support/TestFolders.h"
#include "web/Endpoints.h"
#include "support/StubLog.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace {
class FetchToFile : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string path = scratch.path() + "answers\\deeper\\loc.xml";
    WebClient client;

    bool fetch(const std::string& stubPath) { return client.FetchToFile(stubUrl(stubPath), path); }
};
} // namespace

TEST_F(FetchToFile, WritesTheAnswerIntoMissingFoldersAndReplacesOlderFilesWhole) {
    ASSERT_TRUE(fetch("/short"));
    EXPECT_EQ("<short/>", readWholeFile(path));
    EXPECT_EQ(200u, client.statusCode());

    writeWholeFile(path, std::string(10000, 'X')); // longer than the answer: no tail may stay
    ASSERT_TRUE(fetch("/short"));
    EXPECT_EQ("<short/>", readWholeFile(path));

    ASSERT_TRUE(fetch("/empty")); // 200 without content: an empty file, not the older one
    EXPECT_TRUE(FileExists(path));
    EXPECT_EQ("", readWholeFile(path));
    EXPECT_EQ("", client.lastError());
}

TEST_F(FetchToFile, FailingStatusesReportTheirTextAndLeaveTheOlderFile) {
    const struct {
        uint32_t status;
        const char* report;
    } cases[] = {
        {304, "HTTP Status = 304 Not Modified - if-modified-since was not modified"},
        {404, "HTTP Status = 404 Not Found - object not found; The server has not found anything "
              "matching the Request-URI."},
        {306, "HTTP Status = 306<value not mapped>"},
        {599, "HTTP Status = 599<value not mapped>"},
    };
    CreateFolderTree(FolderOf(path));
    for (const auto& c : cases) {
        writeWholeFile(path, "older answer");
        EXPECT_FALSE(fetch("/status/" + std::to_string(c.status))) << c.status;
        EXPECT_EQ(c.report, client.lastError());
        EXPECT_EQ(c.status, client.statusCode());
        EXPECT_EQ("older answer", readWholeFile(path)) << c.status;
    }
    // A later success keeps the last failure's report.
    EXPECT_TRUE(fetch("/short"));
    EXPECT_EQ(200u, client.statusCode());
    EXPECT_EQ("HTTP Status = 599<value not mapped>", client.lastError());
}

TEST_F(FetchToFile, FollowsRedirectsAndKeepsWhatArrivedBeforeTheServerClosed) {
    const StubLog log;
    ASSERT_TRUE(fetch("/redirect"));
    EXPECT_EQ("<short/>", readWholeFile(path));
    EXPECT_EQ(200u, client.statusCode());
    const auto requests = log.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/redirect", requests[0].route());
    EXPECT_EQ("/short", requests[1].route());

    EXPECT_TRUE(fetch("/partial")); // 4000 bytes announced, 1500 sent
    EXPECT_EQ(std::string(1500, 'P'), readWholeFile(path));
}

TEST_F(FetchToFile, SendsTheUrlEscapedWithACacheBusterAndTheProgramsHeaders) {
    const StubLog log;
    std::srand(4242);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(4242);
    ASSERT_TRUE(fetch("/echo/New York?where=a b&eloc=*&q=?"));
    ASSERT_TRUE(fetch("/echo/plain"));
    EXPECT_FALSE(client.FetchToFile("", path));
    EXPECT_FALSE(client.FetchToFile(stubUrl("/echo/no-path"), ""));

    const auto requests = log.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/echo/New%20York?where=a%20b&eloc=%2A&q=?&rnd=" + std::to_string(first),
              requests[0].path);
    EXPECT_EQ("/echo/plain?rnd=" + std::to_string(second), requests[1].path);
    for (const StubRequest& request : requests) {
        const int rnd = std::atoi(request.path.substr(request.path.rfind("rnd=") + 4).c_str());
        EXPECT_GE(rnd, 0);
        EXPECT_LE(rnd, 32767);
        EXPECT_EQ(kUserAgent, request.header("user-agent"));
        EXPECT_EQ("http://desktop.nimbelle.test", request.header("referer"));
    }
}

TEST(WebClient, EveryConstructionReseedsTheGeneratorWithTheTimeInSeconds) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const time_t before = std::time(nullptr);
        WebClient first;
        const int drawnAfterFirst = std::rand();
        WebClient second;
        const int drawnAfterSecond = std::rand();
        std::srand(static_cast<unsigned>(before));
        const int expected = std::rand();
        if (std::time(nullptr) == before) { // otherwise a second boundary fell in between
            EXPECT_EQ(expected, drawnAfterFirst);
            EXPECT_EQ(expected, drawnAfterSecond);
            return;
        }
    }
    FAIL() << "no attempt stayed within one second";
}
