#pragma once

#include "location/LocationSearchResult.h"
#include "location/SetupProfile.h"

#include <string>

// Reads a saved search answer into the result: an error answer or a root without
// children gives three empty lists; an unreadable file leaves the result as it was.
void parseSearchAnswer(const std::string& path, LocationSearchResult& result);

// Copies country, market code, state and ZIP code of every "eloc" block of a saved
// detail answer into the profile; true when the answer had such a block.
bool parseDetailAnswer(const std::string& path, SetupProfile& profile);
