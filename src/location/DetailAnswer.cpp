#include "location/DetailAnswer.h"

#include "location/AnswerDocument.h"

namespace {
// A detail value holds at most 251 characters: a 252-byte field with its terminator.
constexpr size_t kDetailValueLimit = 251;

// Detail values are Latin-1: U+0001 to U+00FF keep their byte. Anything else becomes
// '?', so the field is always valid 8-bit text; a longer value is cut at the limit.
std::string toAnsiText(const std::wstring& value) {
    const size_t length = value.size() < kDetailValueLimit ? value.size() : kDetailValueLimit;
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const wchar_t unit = value[i];
        text.push_back(unit >= 0x01 && unit <= 0xFF ? static_cast<char>(unit) : '?');
    }
    return text;
}

std::string detailValue(const XmlCursor& block, const wchar_t* name) {
    return toAnsiText(block.findChild(name).text());
}
} // namespace

bool parseDetailAnswer(const std::string& path, SetupProfile& profile) {
    const AnswerDocument answer = openAnswerDocument(path);
    if (!answer.hasRoot()) {
        return false;
    }
    // Every "eloc" block is applied in document order, so the last one's values remain;
    // a value missing from a block empties its field.
    bool found = false;
    answer.root().forEachChild([&](const XmlCursor& block) {
        if (!block.isElement() || block.tagName() != L"eloc") {
            return;
        }
        found = true;
        profile.setLocCountry(detailValue(block, L"ctry"));
        profile.setLocDMA(detailValue(block, L"dma"));
        profile.setLocState(detailValue(block, L"st"));
        profile.setLocZip(detailValue(block, L"zip"));
    });
    return found;
}
