#pragma once

#include "location/SetupProfile.h"

#include <string>

// Copies country, market code, state and ZIP code of every "eloc" block of a saved
// detail answer into the profile; true when the answer had such a block.
bool parseDetailAnswer(const std::string& path, SetupProfile& profile);
