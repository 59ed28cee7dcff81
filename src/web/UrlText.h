#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// Percent-escapes the six characters " *#%<>" and nothing else, so a whole URL
// (scheme, host, path and query) keeps its structure.
std::string URLEncode(std::string text);

// Percent-escapes bytes below 0x20 and 0x7F, so a URL can never end the request line or
// add a header; everything else stays as it is.
std::string escapeControlBytes(const std::string& url);

// "%d" text of a number.
std::string DecimalText(int32_t value);

// The system's message text for an error code, without its trailing line end;
// the buffer is zeroed first and stays empty when the system has no text.
void SystemErrorText(DWORD code, char* buffer, size_t size);
