#pragma once

#include "platform/Deadline.h"

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

// Looks host up by the deadline; true when it resolved in time.
using ProbeLookup = std::function<bool(const char* host, const Deadline& deadline)>;

// The system's resolver on a worker thread, waited for until the deadline.
bool resolvesInTime(const char* host, const Deadline& deadline);

// True when lookup finds targets.mainHost by the deadline, else, while time is left, when
// download fetches the probe image into the temporary folder as blank.gif. Draws one number
// from the pseudo-random generator on every call.
bool probeConnectivity(const ProbeTargets& targets, const Deadline& deadline,
                       const ProbeDownload& download, const ProbeLookup& lookup = resolvesInTime);
