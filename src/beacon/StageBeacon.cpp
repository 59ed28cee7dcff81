#include "beacon/StageBeacon.h"

#include "settings/AppsIni.h"
#include "web/Endpoints.h"
#include "web/WebClient.h"

#include <utility>

namespace {
constexpr char kVendorSection[] = "Software\\Talvora";
constexpr char kInstallIdKey[] = "InstallID";
// The platform's identifiers are well below this; longer values are cut.
constexpr size_t kInstallIdBufferSize = 25;
} // namespace

std::string ReadInstallId() {
    // Bound afresh for every report: another program may write the identifier meanwhile.
    AppsIni ini;
    bindAppsIni(ini);
    char buffer[kInstallIdBufferSize];
    ini.ReadStringToBuffer(kVendorSection, kInstallIdKey, buffer, sizeof buffer, "");
    // A value that fills the buffer comes without a terminator: keep all but its last byte.
    buffer[kInstallIdBufferSize - 1] = '\0';
    return buffer;
}

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
