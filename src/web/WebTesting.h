#pragma once

#include "web/ConnectivityProbe.h"

// For tests only; the program never includes this.

// Looks host up by the deadline; true when it resolved in time.
using ProbeLookup = std::function<bool(const char* host, const Deadline& deadline)>;

// probeConnectivity with the name lookup given, such as one that answers too late.
bool probeConnectivityWith(const ProbeTargets& targets, const Deadline& deadline,
                           const ProbeDownload& download, const ProbeLookup& lookup);

// Aims the connectivity probe of every client at other hosts than the configured ones, such
// as a main host that never resolves and an image that is not there; answers the aim it
// replaces.
ProbeTargets aimProbeAt(const ProbeTargets& targets);

// The probe aimed at targets while this lives, then as it was before.
class AimedProbe {
public:
    explicit AimedProbe(const ProbeTargets& targets) : before_(aimProbeAt(targets)) {}
    ~AimedProbe() { aimProbeAt(before_); }
    AimedProbe(const AimedProbe&) = delete;
    AimedProbe& operator=(const AimedProbe&) = delete;

private:
    ProbeTargets before_;
};
