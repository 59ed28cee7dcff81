#include "beacon/StageBeacon.h"

#include "beacon/InstallId.h"
#include "web/Endpoints.h"
#include "web/WebClient.h"

#include <utility>

namespace {
constexpr DWORD kStageReportTimeLimit = 5000;
} // namespace

std::string BuildBeaconUrl(const char* stage, std::string extra) {
    return beaconUrl(stage, ReadInstallId(), extra);
}

void SendBeacon(std::string url) {
    // Nothing depends on the report arriving, so the page never waits long for it.
    WebClient client(Deadline::after(kStageReportTimeLimit));
    client.FetchToMemory(url.c_str());
}

void SendStage(const char* stage, std::string extra) {
    SendBeacon(BuildBeaconUrl(stage, std::move(extra)));
}
