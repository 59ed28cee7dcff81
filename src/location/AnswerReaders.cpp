#include "location/AnswerReaders.h"

#include "location/AnswerDocument.h"

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

namespace {
// A detail value holds at most 251 characters: a 252-byte field with its terminator.
constexpr size_t kDetailValueLimit = 251;

std::string detailValue(const XmlCursor& block, const wchar_t* name) {
    // Detail values are Latin-1, so the field is always valid 8-bit text.
    return narrowAnswerText(block.findChild(name).text(), kDetailValueLimit, Narrowing::Latin1);
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
