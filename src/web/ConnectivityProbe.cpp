#include "web/ConnectivityProbe.h"

#include "platform/Waits.h"
#include "platform/Paths.h"
#include "platform/SystemLibraries.h"
#include "web/Endpoints.h"
#include "web/WebText.h"

#include <cstdlib>
#include <memory>

namespace {
constexpr char kProbeImageName[] = "blank.gif";

// A name lookup with everything it touches, shared with the thread that runs it, so a
// lookup given up at the deadline finishes on its own.
struct Lookup {
    std::string host;
    bool found = false;

    void run() {
        const SocketsSession sockets;
        found = sockets.api() != nullptr && sockets.api()->hostByName(host.c_str()) != nullptr;
    }
};

// The system's resolver on a worker thread, waited for until the deadline.
bool resolvesInTime(const char* host, const Deadline& deadline) {
    // A null name would make the resolver answer with the local machine.
    if (host == nullptr || *host == '\0') {
        return false;
    }
    auto lookup = std::make_shared<Lookup>();
    lookup->host = host;
    return runBounded([lookup] { lookup->run(); }, [] {}, deadline) && lookup->found;
}
} // namespace

ProbeTargets configuredProbeTargets() {
    return {kMainHost, kProbeImageUrl};
}

// Declared for tests in ConnectivityProbeTesting.h, which the program never includes.
bool probeConnectivityWith(const ProbeTargets& targets, const Deadline& deadline,
                           const ProbeDownload& download,
                           const std::function<bool(const char*, const Deadline&)>& lookup);

bool probeConnectivity(const ProbeTargets& targets, const Deadline& deadline,
                       const ProbeDownload& download) {
    return probeConnectivityWith(targets, deadline, download, resolvesInTime);
}

bool probeConnectivityWith(const ProbeTargets& targets, const Deadline& deadline,
                           const ProbeDownload& download,
                           const std::function<bool(const char*, const Deadline&)>& lookup) {
    // Drawn first, whichever stage decides.
    const std::string suffix = "?rnd=" + DecimalText(std::rand());
    if (lookup(targets.mainHost, deadline)) {
        return true;
    }
    // A lookup that used up the time leaves none for the image: the user hears at once.
    if (deadline.passed()) {
        return false;
    }
    // The lookup can fail behind a proxy that still reaches the web: ask the image host
    // through the normal download path, which uses the system's proxy settings.
    return download(std::string(targets.imageUrl) + suffix, TempFolder() + kProbeImageName);
}
