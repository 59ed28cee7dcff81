#pragma once

#include <string>
#include <vector>

// The places of one search answer: three index-aligned lists in answer order,
// plus the text the user typed.
class LocationSearchResult {
public:
    using TextList = std::vector<std::string>;

    void clear();
    void setQuery(std::string text);
    void setResults(TextList ids, TextList types, TextList names);

    int count() const { return static_cast<int>(ids_.size()); }
    std::string idAt(int i) const { return entryAt(ids_, i); }
    std::string typeAt(int i) const { return entryAt(types_, i); }
    std::string nameAt(int i) const { return entryAt(names_, i); }
    TextList names() const { return names_; }
    const std::string& query() const { return query_; }

    static constexpr const char* kInvalidIndex = "<invalid index>";

private:
    static std::string entryAt(const TextList& list, int i);

    TextList ids_;
    TextList types_;
    TextList names_;
    std::string query_;
};
