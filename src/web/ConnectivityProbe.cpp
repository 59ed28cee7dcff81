#include "web/ConnectivityProbe.h"

#include "web/Endpoints.h"
#include "web/ModulePaths.h"
#include "web/UrlText.h"

#include <winsock.h>

#include <cstdlib>
#include <string>

namespace {
constexpr char kProbeImageName[] = "blank.gif";

// Winsock 1.1, cleaned up after every successful start-up.
class WinsockSession {
public:
    WinsockSession() {
        WSADATA data;
        started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
    }
    ~WinsockSession() {
        if (started_) {
            WSACleanup();
        }
    }
    WinsockSession(const WinsockSession&) = delete;
    WinsockSession& operator=(const WinsockSession&) = delete;

    bool started() const { return started_; }

private:
    bool started_ = false;
};

bool resolves(const char* host) {
    // A null name would make the resolver answer with the local machine.
    if (host == nullptr || *host == '\0') {
        return false;
    }
    WinsockSession sockets;
    return sockets.started() && gethostbyname(host) != nullptr;
}
} // namespace

ProbeTargets ConfiguredProbeTargets() {
    return {kMainHost, kProbeImageUrl};
}

bool ProbeConnectivity(WebClient& client, const ProbeTargets& targets) {
    // Drawn first, whichever stage decides.
    const std::string suffix = "?rnd=" + DecimalText(std::rand());
    if (resolves(targets.mainHost)) {
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
