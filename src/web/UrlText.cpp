#include "web/UrlText.h"

#include <cstdio>
#include <cstring>

namespace {
constexpr char kEscapeSet[] = " *#%<>";
constexpr char kHexDigits[] = "0123456789ABCDEF";

template <class Escaped> std::string percentEscape(const std::string& text, Escaped escaped) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (escaped(byte)) {
            result += '%';
            result += kHexDigits[byte >> 4];
            result += kHexDigits[byte & 0x0F];
        } else {
            result += c;
        }
    }
    return result;
}
} // namespace

std::string URLEncode(std::string text) {
    return percentEscape(text, [](unsigned char byte) {
        return byte != '\0' && std::strchr(kEscapeSet, byte) != nullptr;
    });
}

std::string escapeControlBytes(const std::string& url) {
    return percentEscape(url, [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; });
}

std::string DecimalText(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}
