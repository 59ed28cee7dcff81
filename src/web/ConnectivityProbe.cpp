#include "web/ConnectivityProbe.h"

#include "platform/BoundedWork.h"
#include "web/Endpoints.h"
#include "web/ModulePaths.h"
#include "web/SocketsApi.h"
#include "web/UrlText.h"

#include <cstdlib>
#include <memory>
#include <string>

namespace {
constexpr char kProbeImageName[] = "blank.gif";

// A name lookup with everything it touches, shared with the thread that runs it, so a
// lookup given up at the deadline finishes on its own.
struct Lookup {
    std::string host;
    bool found = false;

    void run() {
        const SocketsApi* api = socketsApi();
        WSADATA data;
        if (api == nullptr || api->startup(MAKEWORD(1, 1), &data) != 0) {
            return;
        }
        found = api->hostByName(host.c_str()) != nullptr;
        api->cleanup();
    }
};

bool resolves(const char* host, const Deadline& deadline) {
    // A null name would make the resolver answer with the local machine.
    if (host == nullptr || *host == '\0') {
        return false;
    }
    auto lookup = std::make_shared<Lookup>();
    lookup->host = host;
    return runBounded([lookup] { lookup->run(); }, [] {}, deadline) && lookup->found;
}
} // namespace

ProbeTargets ConfiguredProbeTargets() {
    return {kMainHost, kProbeImageUrl};
}

bool ProbeConnectivity(WebClient& client, const ProbeTargets& targets) {
    // Drawn first, whichever stage decides.
    const std::string suffix = "?rnd=" + DecimalText(std::rand());
    if (resolves(targets.mainHost, client.callDeadline())) {
        return true;
    }
    // The lookup can fail behind a proxy that still reaches the web: ask the image host
    // through the normal download path, which uses the system's proxy settings.
    return client.FetchToFile(std::string(targets.imageUrl) + suffix,
                              TempFolder() + kProbeImageName);
}

bool WebClient::IsInternetReachable() {
    return ProbeConnectivity(*this, ConfiguredProbeTargets());
}
