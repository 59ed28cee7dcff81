#pragma once

#include <cstdint>
#include <string>

// Descriptive text of an HTTP status for failure reports, read right after the number.
std::string StatusText(uint32_t status);
