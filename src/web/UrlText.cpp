#include "web/UrlText.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr char kEscapeSet[] = " *#%<>";
constexpr char kHexDigits[] = "0123456789ABCDEF";
} // namespace

std::string URLEncode(std::string text) {
    std::string result;
    result.reserve(text.size());
    for (char c : text) {
        if (c != '\0' && std::strchr(kEscapeSet, c) != nullptr) {
            const auto byte = static_cast<unsigned char>(c);
            result += '%';
            result += kHexDigits[byte >> 4];
            result += kHexDigits[byte & 0x0F];
        } else {
            result += c;
        }
    }
    return result;
}

std::string DecimalText(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}
