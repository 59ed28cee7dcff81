#pragma once

#include <cstdint>
#include <string>

// Descriptive text of an HTTP status for failure reports, read right after the number.
std::string StatusText(uint32_t status);

// Percent-escapes the six characters " *#%<>" and nothing else, so a whole URL
// (scheme, host, path and query) keeps its structure.
std::string URLEncode(std::string text);

// Percent-escapes bytes below 0x20 and 0x7F, so a URL can never end the request line or
// add a header; everything else stays as it is.
std::string escapeControlBytes(const std::string& url);

// The number in decimal, with a minus sign when negative.
std::string DecimalText(int32_t value);
