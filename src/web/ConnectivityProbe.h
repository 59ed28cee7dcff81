#pragma once

#include "web/WebClient.h"

// Where the connectivity probe looks: first a name lookup of the main web host, then a
// download of the probe image (a URL without query).
struct ProbeTargets {
    const char* mainHost;
    const char* imageUrl;
};

// The vendor hosts this build was configured with.
ProbeTargets ConfiguredProbeTargets();

// True when targets.mainHost resolves, else when the probe image downloads through
// client.FetchToFile into the temporary folder as blank.gif. Draws one number from the
// pseudo-random generator on every call.
bool ProbeConnectivity(WebClient& client, const ProbeTargets& targets);

// WebClient::FetchToMemory with the probe aimed at targets.
bool FetchToMemoryProbing(WebClient& client, const char* url, const ProbeTargets& targets);
