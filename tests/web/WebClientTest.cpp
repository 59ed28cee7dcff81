#include "platform/Waits.h"
#include "platform/Files.h"
#include "platform/Handles.h"
#include "platform/Paths.h"
#include "support/FailingAllocator.h"
#include "support/StubLog.h"
#include "support/TestFolders.h"
#include "web/AnswerFiles.h"
#include "web/WebTesting.h"
#include "web/Endpoints.h"
#include "web/WebText.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>

namespace {
enum class Call {
    File,      // FetchToFile over an older answer
    FreshFile, // FetchToFile into folders that are not there yet
    Memory,    // FetchToMemory
};

// One download by a fresh client: the stub's route, and what the caller sees afterwards.
struct Route {
    const char* name;
    Call call;
    std::string url; // a stub path, or a whole URL when it has a scheme
    bool result;
    std::string content; // the file or body afterwards
    uint32_t status;
    std::string report; // lastError
    std::string asked;  // the requests' paths between blanks, the cache buster's number as "#"
};

// Longer than any answer below, so no tail of it may stay.
const std::string kOlder = "older answer";
const std::string kEcho = "/echo/x\r\nX-Injected: 1\x7F";
const std::string k404 = "HTTP Status = 404 Not Found - object not found; The server has not "
                         "found anything matching the Request-URI.";
const std::string k302 = "HTTP Status = 302" + StatusText(302);
const std::string kTooLarge = "The answer is larger than 4194304 bytes";

std::vector<Route> routes() {
    // The stub redirects to absolute targets of exactly this many characters.
    const std::string longTarget = "/short?" + std::string(2083 - stubUrl("/short?").size(), 'p');
    return {
        {"into new folders", Call::FreshFile, "/short", true, "<short/>", 200, "", "/short?rnd=#"},
        {"over an older file", Call::File, "/short", true, "<short/>", 200, "", "/short?rnd=#"},
        {"200 without content", Call::File, "/empty", true, "", 200, "", "/empty?rnd=#"},
        {"304", Call::File, "/status/304", false, kOlder, 304,
         "HTTP Status = 304 Not Modified - if-modified-since was not modified",
         "/status/304?rnd=#"},
        {"404", Call::File, "/status/404", false, kOlder, 404, k404, "/status/404?rnd=#"},
        {"306 unmapped", Call::File, "/status/306", false, kOlder, 306,
         "HTTP Status = 306<value not mapped>", "/status/306?rnd=#"},
        {"599 unmapped", Call::File, "/status/599", false, kOlder, 599,
         "HTTP Status = 599<value not mapped>", "/status/599?rnd=#"},
        {"redirect", Call::File, "/redirect", true, "<short/>", 200, "", "/redirect?rnd=# /short"},
        {"closed after 1500 of 4000 bytes", Call::File, "/partial", true, std::string(1500, 'P'),
         200, "", "/partial?rnd=#"},
        {"over the cap", Call::File, "/huge", false, kOlder, 200, kTooLarge, "/huge?rnd=#"},
        {"escaped, with a query", Call::File, "/echo/New York?where=a b&eloc=*&q=?", true, "echo",
         200, "", "/echo/New%20York?where=a%20b&eloc=%2A&q=?&rnd=#"},
        {"no query", Call::File, "/echo/plain", true, "echo", 200, "", "/echo/plain?rnd=#"},
        {"control characters", Call::File, kEcho, true, "echo", 200, "",
         "/echo/x%0D%0AX-Injected:%201%7F?rnd=#"},
        {"empty URL", Call::File, "", false, kOlder, 0, "", ""},

        // No cache buster and no escaping of ours ("*" stays); the blank is escaped by the
        // platform's HTTP layer itself, which cannot put a raw blank on the request line. The
        // loopback build's main host resolves, so the probe asks nothing.
        {"as passed", Call::Memory, "/echo/New York?eloc=*&q=?", true, "echo", 200, "",
         "/echo/New%20York?eloc=*&q=?"},
        {"404 into memory", Call::Memory, "/status/404", false, "", 404, k404, "/status/404"},
        {"zero byte", Call::Memory, "/nul", true, "abc", 200, "", "/nul"},
        {"control characters into memory", Call::Memory, kEcho, true, "echo", 200, "",
         "/echo/x%0D%0AX-Injected:%201%7F"},
        {"redirects end after five", Call::Memory, "/loop", false, "", 302, k302,
         "/loop /loop /loop /loop /loop /loop"},
        {"the longest redirect target", Call::Memory, "/redirect-long/2083", true, "<short/>", 200,
         "", "/redirect-long/2083 " + longTarget},
        {"a redirect target too long to follow", Call::Memory, "/redirect-long/2084", false, "",
         302, k302, "/redirect-long/2084"},
        {"over the cap into memory", Call::Memory, "/huge", false, "", 200, kTooLarge, "/huge"},
        {"no such scheme", Call::Memory, "nimbelle://no.scheme/x", false, "", 0,
         "Failed to open URL nimbelle://no.scheme/x", ""},
    };
}

// The path with the cache buster's number as "#", once the number is seen to be rand's.
std::string masked(const std::string& path) {
    const size_t at = path.find("rnd=");
    if (at == std::string::npos) {
        return path;
    }
    const size_t end = path.find_first_not_of("0123456789", at + 4);
    const std::string number = path.substr(at + 4, end - (at + 4));
    EXPECT_TRUE(!number.empty() && std::atoi(number.c_str()) <= 32767) << path;
    return path.substr(0, at + 4) + "#" + (end == std::string::npos ? "" : path.substr(end));
}

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

TEST(WebClient, EachRouteEndsAsItsRowSays) {
    const ScratchFolder scratch;
    const std::string folder = scratch.path() + "answers\\";
    const std::string path = folder + "deeper\\loc.xml";
    for (const Route& row : routes()) {
        SCOPED_TRACE(row.name);
        removeTree(folder);
        if (row.call == Call::File) {
            CreateFolderTree(FolderOf(path));
            writeWholeFile(path, kOlder);
        }
        const std::string url = row.url.rfind('/', 0) == 0 ? stubUrl(row.url) : row.url;
        const StubLog log;
        WebClient client;
        if (row.call == Call::Memory) {
            EXPECT_EQ(row.result, client.FetchToMemory(url.c_str()));
            EXPECT_EQ(row.content, client.body());
        } else {
            EXPECT_EQ(row.result, client.FetchToFile(url, path));
            EXPECT_EQ(row.content, readWholeFile(path));
            EXPECT_TRUE(FileExists(path) || !row.result);
        }
        EXPECT_EQ(row.status, client.statusCode());
        EXPECT_EQ(row.report, client.lastError());
        std::string asked;
        for (const StubRequest& request : log.requests()) {
            asked += (asked.empty() ? "" : " ") + masked(request.path);
            EXPECT_EQ(kUserAgent, request.header("user-agent"));
            EXPECT_EQ("http://desktop.nimbelle.test", request.header("referer"));
            EXPECT_EQ("", request.header("x-injected"));
        }
        EXPECT_EQ(row.asked, asked);
    }
}

TEST(WebClient, WhatACallLeavesForTheNext) {
    const ScratchFolder scratch;
    const std::string path = scratch.path() + "loc.xml";
    WebClient client;
    EXPECT_FALSE(client.FetchToFile(stubUrl("/status/599"), path));
    EXPECT_TRUE(client.FetchToFile(stubUrl("/short"), path));
    EXPECT_EQ(200u, client.statusCode());
    EXPECT_EQ("HTTP Status = 599<value not mapped>", client.lastError()); // kept past a success

    ASSERT_TRUE(client.FetchToMemory(stubUrl("/short").c_str()));
    const StubLog log;
    // No URL or no path: false at once, nothing asked, nothing touched.
    EXPECT_FALSE(client.FetchToMemory(nullptr));
    EXPECT_FALSE(client.FetchToFile("", path));
    EXPECT_FALSE(client.FetchToFile(stubUrl("/echo/no-path"), ""));
    EXPECT_EQ("<short/>", client.body());
    EXPECT_TRUE(log.requests().empty());

    // Any other failure leaves nothing of the earlier body.
    EXPECT_FALSE(client.FetchToMemory(stubUrl("/status/404").c_str()));
    EXPECT_EQ("", client.body());
    ASSERT_TRUE(client.FetchToMemory(stubUrl("/short").c_str()));
    EXPECT_FALSE(client.FetchToMemory("nimbelle://no.scheme/x"));
    EXPECT_EQ("", client.body());
    EXPECT_EQ(200u, client.statusCode()); // no status was read this time

    ASSERT_TRUE(client.FetchToMemory(stubUrl("/short").c_str()));
    const std::string url = stubUrl("/long"); // too long to be held without allocating
    bool result = true;
    {
        AllocationsFail noMemory;
        result = client.FetchToMemory(url.c_str());
    }
    EXPECT_FALSE(result); // and no exception
    EXPECT_EQ("", client.body());

    // 100 bytes, a zero, then 4899 more: the chunk holding the zero stops there, the chunks
    // after it still count.
    ASSERT_TRUE(client.FetchToMemory(stubUrl("/nul-long").c_str()));
    const std::string& body = client.body();
    EXPECT_EQ(std::string(100, 'H'), body.substr(0, 100));
    EXPECT_EQ("TAIL", body.substr(body.size() - 4));
    EXPECT_EQ(std::string::npos, body.find('\0'));
}

TEST(WebClient, TheCacheBusterIsTheGeneratorsNextNumber) {
    const ScratchFolder scratch;
    WebClient client;
    std::srand(4242);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(4242);
    const StubLog log;
    ASSERT_TRUE(client.FetchToFile(stubUrl("/echo/a?b=c"), scratch.path() + "loc.xml"));
    ASSERT_TRUE(client.FetchToFile(stubUrl("/echo/plain"), scratch.path() + "loc.xml"));
    const auto requests = log.requests();
    ASSERT_EQ(2u, requests.size());
    EXPECT_EQ("/echo/a?b=c&rnd=" + std::to_string(first), requests[0].path);
    EXPECT_EQ("/echo/plain?rnd=" + std::to_string(second), requests[1].path);
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

TEST(BoundedDownloads, ServersThatNeverFinishAreCutOffAtTheDeadline) {
    ScratchFolder scratch;
    const std::string path = scratch.path() + "loc.xml";
    const int threadsBefore = threadCount();
    for (const char* route : {"/silent", "/stall", "/drip"}) {
        SCOPED_TRACE(route);
        writeWholeFile(path, "older");
        WebClient client(Deadline::after(800));
        bool result = true;
        EXPECT_LT(timed([&] { result = client.FetchToMemory(stubUrl(route).c_str()); }), 3000u);
        EXPECT_FALSE(result);
        EXPECT_EQ("", client.body());

        WebClient fileClient(Deadline::after(800));
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

namespace {
// The answer folders a page tries: "temp\" beside the program, then the user's own.
class AnswerFiles : public ::testing::Test {
protected:
    ScratchFolder scratch;
    std::string beside = scratch.path() + "program\\temp\\";
    std::string own = scratch.path() + "own\\Nimbelle\\";
    WebClient client;
    std::string readFrom;

    bool fetch(const std::string& url) {
        return fetchAnswerFile(client, url, "loc.xml", {beside, own}, Deadline::after(10000),
                               [this](const std::string& path) {
                                   readFrom = path;
                                   return true;
                               });
    }
    std::string passedOver(const std::string& folder) const {
        return "Answer folder " + folder + " not used: ";
    }
};
} // namespace

TEST_F(AnswerFiles, SaysWhyEachFolderThatCouldNotHoldTheAnswerWasPassedOver) {
    CreateFolderTree(scratch.path() + "program\\");
    writeWholeFile(scratch.path() + "program\\temp", "a file where the folder belongs");
    CreateFolderTree(own + "loc.xml\\"); // a folder where the answer belongs
    const StubLog log;
    const DebugOutputCapture debug;
    EXPECT_FALSE(fetch(stubUrl("/short")));
    EXPECT_EQ("", readFrom);
    // Only the user's own folder got as far as a download.
    EXPECT_EQ(1u, log.requests().size());
    const std::string& text = debug.text();
    EXPECT_NE(std::string::npos, text.find(passedOver(beside))) << text;
    EXPECT_NE(std::string::npos, text.find(passedOver(own) + "the answer could not be written: "))
        << text;
    EXPECT_EQ(std::string::npos, text.find("the system gave no reason")) << text;
}

TEST_F(AnswerFiles, AnAnswerThatCouldNotBeWrittenIsFetchedAgainIntoTheNextFolder) {
    CreateFolderTree(beside + "loc.xml\\");
    const StubLog log;
    EXPECT_TRUE(fetch(stubUrl("/short")));
    EXPECT_EQ(own + "loc.xml", readFrom);
    EXPECT_EQ("<short/>", readWholeFile(readFrom));
    EXPECT_EQ(2u, log.requests().size());
}

TEST_F(AnswerFiles, ARequestThatGotNoAnswerIsNotMadeAgainInAnotherFolder) {
    // The client's status still holds this earlier request's 200.
    ASSERT_TRUE(client.FetchToMemory(stubUrl("/short").c_str()));
    EXPECT_FALSE(fetch("http://127.0.0.1:1/search/search/?where=X")); // nothing listens there
    EXPECT_EQ("", readFrom);
    EXPECT_FALSE(FolderExists(own)) << "the next folder was tried";
    EXPECT_EQ(200u, client.statusCode());
}

TEST_F(AnswerFiles, AFolderAnotherPageHoldsPastTheWaitIsLeftToIt) {
    CreateFolderTree(beside);
    {
        const FileLock otherPage(beside + "answers.lock", Deadline::after(0));
        ASSERT_TRUE(otherPage.held());
        const DebugOutputCapture debug;
        EXPECT_TRUE(fetch(stubUrl("/short")));
        EXPECT_EQ(own + "loc.xml", readFrom);
        EXPECT_NE(std::string::npos, debug.text().find(passedOver(beside) + "another page"))
            << debug.text();
    }
    // A folder where the lock belongs is no holder: given way to at once, and said so.
    CreateFolderTree(beside + "answers.lock\\");
    const DebugOutputCapture debug;
    const ULONGLONG start = GetTickCount64();
    EXPECT_TRUE(fetch(stubUrl("/short")));
    EXPECT_LT(GetTickCount64() - start, 3000u);
    EXPECT_EQ(own + "loc.xml", readFrom);
    EXPECT_NE(std::string::npos,
              debug.text().find(passedOver(beside) + "a folder of the lock's name is in the way"))
        << debug.text();
}

TEST(AnswerFolders, AProgramOnANetworkShareUsesTheUsersOwnFolderFirst) {
    const std::string own = "C:\\users\\me\\Temp\\Nimbelle\\";
    for (const std::string shared :
         {"\\\\fileserver\\setup\\temp\\", "\\\\?\\UNC\\fileserver\\setup\\temp\\"}) {
        EXPECT_EQ((std::vector<std::string>{own, shared}), answerFolders(shared, own)) << shared;
    }
    const std::string local = "C:\\Program Files\\Nimbelle\\temp\\";
    EXPECT_EQ((std::vector<std::string>{local, own}), answerFolders(local, own));
}

namespace {
// Its first label is longer than a name server may be asked for, so the lookup fails on
// this machine without any query leaving it.
constexpr char kUnresolvableHost[] =
    "no-such-host-whose-first-label-is-longer-than-a-name-server-accepts.invalid";
const std::string kProbeImageFile = TempFolder() + "blank.gif";
const std::string kBlankGif = std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff"
                                          "\xff\xff!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00"
                                          "\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                          43);

class ConnectivityProbe : public ::testing::Test {
protected:
    WebClient client;
    StubLog log;

    void SetUp() override { DeleteFileA(kProbeImageFile.c_str()); }
    // The probe as a client runs it: its image through the client's FetchToFile.
    bool probe(const ProbeTargets& targets) {
        const AimedProbe aim(targets);
        return client.IsInternetReachable();
    }
    void TearDown() override { DeleteFileA(kProbeImageFile.c_str()); }
};
} // namespace

TEST_F(ConnectivityProbe, AResolvingMainHostDecidesWithoutAnyRequest) {
    std::srand(99);
    std::rand();
    const int afterOneDraw = std::rand();
    std::srand(99);
    EXPECT_TRUE(probe({"localhost", kProbeImageUrl}));
    EXPECT_EQ(afterOneDraw, std::rand()); // one number per probe, even when the lookup decides

    EXPECT_TRUE(WebClient().IsInternetReachable()); // the loopback build's main host is localhost
    EXPECT_TRUE(log.requests().empty());
    EXPECT_FALSE(FileExists(kProbeImageFile));
}

TEST_F(ConnectivityProbe, AnUnresolvableMainHostFallsBackToTheProbeImage) {
    std::srand(7);
    const int first = std::rand();
    const int second = std::rand();
    std::srand(7);
    EXPECT_TRUE(probe({kUnresolvableHost, kProbeImageUrl}));
    EXPECT_EQ(kBlankGif, readWholeFile(kProbeImageFile));

    const auto requests = log.requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/web/blank.gif?rnd=" + std::to_string(first) + "&rnd=" + std::to_string(second),
              requests[0].path);
}

TEST_F(ConnectivityProbe, WithNeitherFetchToMemoryRequestsNothingOfItsOwn) {
    ASSERT_TRUE(client.FetchToMemory(stubUrl("/short").c_str()));
    const StubLog afterwards;
    const std::string failingImage = stubUrl("/status/404");
    const AimedProbe aim({kUnresolvableHost, failingImage.c_str()});
    EXPECT_FALSE(client.FetchToMemory(stubUrl("/echo/caller").c_str()));
    EXPECT_EQ("", client.body());
    EXPECT_EQ(404u, client.statusCode()); // left by the probe's own download
    EXPECT_EQ(k404, client.lastError());

    const auto requests = afterwards.requests();
    ASSERT_EQ(1u, requests.size());
    EXPECT_EQ("/status/404", requests[0].route());
    EXPECT_FALSE(FileExists(kProbeImageFile));
}

TEST_F(ConnectivityProbe, ALookupThatUsesUpTheTimeLeavesNoneForTheImage) {
    // A resolver that answers only well after the deadline, waited for as the real one is.
    const ProbeLookup slowLookup = [](const char*, const Deadline& until) {
        return runBounded([] { Sleep(3000); }, [] {}, until);
    };
    const ProbeDownload image = [this](const std::string& url, const std::string& path) {
        return client.FetchToFile(url, path);
    };
    const ULONGLONG start = GetTickCount64();
    EXPECT_FALSE(probeConnectivityWith({"localhost", kProbeImageUrl}, Deadline::after(500), image,
                                       slowLookup));
    EXPECT_LT(GetTickCount64() - start, 800u); // the caller can tell the user within its bound
    EXPECT_TRUE(log.requests().empty());
    EXPECT_FALSE(FileExists(kProbeImageFile));
}
