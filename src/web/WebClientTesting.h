#pragma once

// For tests only; the program never includes this.

#include "web/WebClient.h"

// A client whose connectivity probe can be aimed at other hosts than the configured ones,
// such as a main host that never resolves and an image that is not there.
class ProbeAimedClient : public WebClient {
public:
    void aimProbeAt(const ProbeTargets& targets) { probe_ = targets; }
};
