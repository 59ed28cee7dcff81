#include "location/AnswerText.h"

std::string narrowAnswerText(const std::wstring& value, size_t limit, Narrowing rule) {
    const size_t length = value.size() < limit ? value.size() : limit;
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const wchar_t unit = value[i];
        const bool kept =
            rule == Narrowing::LowByte ? (unit & 0xFF) != 0 : unit >= 0x01 && unit <= 0xFF;
        text.push_back(kept ? static_cast<char>(unit & 0xFF) : '?');
    }
    return text;
}
