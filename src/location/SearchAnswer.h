#pragma once

#include "location/LocationSearchResult.h"

#include <string>

// Reads a saved search answer into the result: an error answer or a root without
// children gives three empty lists; an unreadable file leaves the result as it was.
void parseSearchAnswer(const std::string& path, LocationSearchResult& result);
