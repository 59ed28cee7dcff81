#include "location/SearchAnswer.h"

#include "location/AnswerDocument.h"
#include "location/AnswerText.h"

namespace {
// A value kept from a match: long enough for any real name or identifier, short enough for
// the settings file to hold it.
constexpr size_t kSearchValueLimit = 1024;

// Names arrive in the Latin-1 range: each code unit keeps its low byte, so the text has as
// many bytes as the value has units.
std::string searchValue(const std::wstring& value) {
    return narrowAnswerText(value, kSearchValueLimit, Narrowing::LowByte);
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
        names.push_back(searchValue(match.text()));
        ids.push_back(searchValue(match.attribute(L"id")));
        types.push_back(searchValue(match.attribute(L"type")));
    });
    result.setResults(std::move(ids), std::move(types), std::move(names));
}
