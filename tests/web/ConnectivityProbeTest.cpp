#include "platform/Waits.h"
#include "platform/Files.h"
#include "platform/Paths.h"
#include "support/TestFolders.h"
#include "web/WebTesting.h"
#include "web/Endpoints.h"
#include "support/StubLog.h"
#include "web/WebClient.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

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
    EXPECT_EQ("HTTP Status = 404 Not Found - object not found; The server has not found anything "
              "matching the Request-URI.",
              client.lastError());

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
