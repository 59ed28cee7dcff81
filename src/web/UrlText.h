#pragma once

#include <cstdint>
#include <string>

// Percent-escapes the six characters " *#%<>" and nothing else, so a whole URL
// (scheme, host, path and query) keeps its structure.
std::string URLEncode(std::string text);

// The number in decimal, with a minus sign when negative.
std::string DecimalText(int32_t value);
