#pragma once

#include "platform/Waits.h"

#include <functional>
#include <string>

// Where the connectivity probe looks: first a name lookup of the main web host, then a
// download of the probe image (a URL without query).
struct ProbeTargets {
    const char* mainHost;
    const char* imageUrl;
};

// The vendor hosts this build was configured with.
ProbeTargets configuredProbeTargets();

// Downloads url into the file at path; true when it arrived.
using ProbeDownload = std::function<bool(const std::string& url, const std::string& path)>;

// True when a lookup finds targets.mainHost by the deadline, else, while time is left, when
// download fetches the probe image into the temporary folder as blank.gif. Draws one number
// from the pseudo-random generator on every call.
bool probeConnectivity(const ProbeTargets& targets, const Deadline& deadline,
                       const ProbeDownload& download);
