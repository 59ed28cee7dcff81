#include "location/LocationSearchResult.h"

void LocationSearchResult::clear() {
    query_.clear();
    ids_.clear();
    types_.clear();
    names_.clear();
}

void LocationSearchResult::setQuery(std::string text) {
    ids_.clear();
    types_.clear();
    names_.clear();
    query_ = std::move(text);
}

void LocationSearchResult::setResults(TextList ids, TextList types, TextList names) {
    ids_ = std::move(ids);
    types_ = std::move(types);
    names_ = std::move(names);
}

std::string LocationSearchResult::entryAt(const TextList& list, int i) {
    // Each list answers for itself, so a short list never hides the others' entries.
    if (i < 0 || static_cast<size_t>(i) >= list.size()) {
        return kInvalidIndex;
    }
    return list[static_cast<size_t>(i)];
}
