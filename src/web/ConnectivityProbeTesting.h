#pragma once

// For tests only; the program never includes this.

#include "web/ConnectivityProbe.h"

// Looks host up by the deadline; true when it resolved in time.
using ProbeLookup = std::function<bool(const char* host, const Deadline& deadline)>;

// probeConnectivity with the name lookup given, such as one that answers too late.
bool probeConnectivityWith(const ProbeTargets& targets, const Deadline& deadline,
                           const ProbeDownload& download, const ProbeLookup& lookup);
