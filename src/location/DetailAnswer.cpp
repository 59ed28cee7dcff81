#include "location/DetailAnswer.h"

#include "location/AnswerDocument.h"
#include "location/AnswerText.h"

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
