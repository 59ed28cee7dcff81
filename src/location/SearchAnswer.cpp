#include "location/SearchAnswer.h"

#include "location/AnswerDocument.h"

namespace {
// A value kept from a match: long enough for any real name or identifier, short enough for
// the settings file to hold it.
constexpr size_t kSearchValueLimit = 1024;

// Names arrive in the Latin-1 range: each code unit keeps its low byte, so the text has
// as many bytes as the value has units. A unit whose low byte is 0 (U+0100, U+0200 ...)
// would put a NUL inside the text and becomes '?' instead. A longer value is cut at the limit.
std::string narrowLowBytes(const std::wstring& value) {
    const size_t length = value.size() < kSearchValueLimit ? value.size() : kSearchValueLimit;
    std::string text;
    text.reserve(length);
    for (size_t i = 0; i < length; ++i) {
        const char low = static_cast<char>(value[i] & 0xFF);
        text.push_back(low != '\0' ? low : '?');
    }
    return text;
}
} // namespace

void parseSearchAnswer(const std::string& path, LocationSearchResult& result) {
    const AnswerDocument answer = openAnswerDocument(path);
    if (!answer.hasRoot()) {
        return;
    }
    if (answer.root().tagName() == L"error") {
        result.setResults({}, {}, {});
        return;
    }
    // Every child node is one match whatever its name; one that is not an element
    // (a comment, say) gives three empty values, so the lists stay aligned.
    LocationSearchResult::TextList ids;
    LocationSearchResult::TextList types;
    LocationSearchResult::TextList names;
    answer.root().forEachChild([&](const XmlCursor& match) {
        names.push_back(narrowLowBytes(match.text()));
        ids.push_back(narrowLowBytes(match.attribute(L"id")));
        types.push_back(narrowLowBytes(match.attribute(L"type")));
    });
    result.setResults(std::move(ids), std::move(types), std::move(names));
}
