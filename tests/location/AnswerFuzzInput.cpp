#include "AnswerFuzzInput.h"

#include "web/HttpGet.h"
#include "support/TestFolders.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {
// A small generator of its own, so the inputs do not depend on a library's distributions.
class Random {
public:
    explicit Random(uint64_t state) : state_(state) {}
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    size_t below(size_t n) { return n == 0 ? 0 : static_cast<size_t>(next() % n); }
    template <class T, size_t N> const T& pick(const T (&items)[N]) { return items[below(N)]; }

private:
    uint64_t state_;
};

const char* const kEntities[] = {"&amp;",    "&lt;",       "&#233;",  "&#x141;",     "&#0;",
                                 "&#xD800;", "&#x10FFFF;", "&bogus;", "&#99999999;", "&",
                                 "&#x;",     "&#65533;",   "&#x100;"};
const char* const kEncodings[] = {"UTF-16", "ISO-8859-1",   "Shift_JIS", "UTF-8",
                                  "bogus",  "windows-1252", "UTF-32",    "US-ASCII"};
const char* const kHugeUnits[] = {"A", "\xC3\xA9", "&#x141;", "&#233;", " ", "\xE2\x82\xAC"};
const char* const kValueStarts[] = {"id=\"", "type=\"", "<ctry>", "<st>", "<zip>", "<dma>", "\">"};
const char* const kRenames[][2] = {
    {"<loc ", "<eloc "},         {"<search", "<error"},          {"<eloc>", "<ELOC>"},
    {"<weather", "<eloc><eloc"}, {"</loc>", "<!-- c --></loc>"}, {"<st>", "<st><![CDATA[x]]>"}};

// A position just after one of the '>' of the text (the end when there is none): inserted
// there, new markup more often leaves the answer well-formed and reaches the readers' walk.
size_t afterTag(const std::string& text, Random& random) {
    std::vector<size_t> ends;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '>') {
            ends.push_back(i + 1);
        }
    }
    return ends.empty() ? text.size() : ends[random.below(ends.size())];
}

std::string utf16le(const std::string& text) {
    std::string wide;
    for (const char c : text) {
        wide += c;
        wide += '\0';
    }
    return wide;
}

void mutate(std::string& text, Random& random) {
    const size_t at = random.below(text.size() + 1);
    switch (random.below(9)) {
    case 0: // bits flipped
        for (size_t k = 1 + random.below(4); k > 0 && !text.empty(); --k) {
            text[random.below(text.size())] ^= static_cast<char>(1 << random.below(8));
        }
        break;
    case 1: // cut
        text.resize(at);
        break;
    case 2: // a slice doubled, sometimes many times
        if (at < text.size()) {
            const std::string slice = text.substr(at, 1 + random.below(text.size() - at));
            for (size_t k = random.below(4) == 0 ? 200 : 1; k > 0; --k) {
                text.insert(at, slice);
            }
        }
        break;
    case 3:
        text.insert(afterTag(text, random), random.pick(kEntities));
        break;
    case 4: { // deep nesting
        const size_t depth = std::vector<size_t>{10, 100, 300, 1000, 5000}[random.below(5)];
        std::string open, close;
        for (size_t k = 0; k < depth; ++k) {
            open += "<a>";
            close += "</a>";
        }
        text.insert(afterTag(text, random), open + close);
        break;
    }
    case 5: { // a huge value
        // Mostly just over the caps; rarely near the largest answer the transport keeps.
        const size_t units = std::vector<size_t>{252, 1025, 5000, 70000,
                                                 500000}[std::min<size_t>(random.below(17) / 4, 4)];
        const std::string where = random.pick(kValueStarts);
        const size_t start = text.find(where, at);
        const std::string unit = random.pick(kHugeUnits);
        std::string value;
        for (size_t k = 0; k < units; ++k) {
            value += unit;
        }
        text.insert(start == std::string::npos ? afterTag(text, random) : start + where.size(),
                    value);
        break;
    }
    case 6: // another encoding, declared or not
        switch (random.below(4)) {
        case 0:
            text = "<?xml version=\"1.0\" encoding=\"" + std::string(random.pick(kEncodings)) +
                   "\"?>" + text;
            break;
        case 1:
            text =
                std::vector<std::string>{"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}[random.below(3)] +
                text;
            break;
        case 2:
            text = (random.below(2) == 0 ? "\xFF\xFE" : "") + utf16le(text);
            break;
        default:
            std::replace(text.begin(), text.end(), '\xC3', '\xE9');
        }
        break;
    case 7: // NUL
        text.insert(at, 1 + random.below(3), '\0');
        break;
    default: { // elements renamed or split
        const auto& rename = kRenames[random.below(std::size(kRenames))];
        const size_t found = text.find(rename[0], at < text.size() ? at : 0);
        if (found != std::string::npos) {
            text.replace(found, std::strlen(rename[0]), rename[1]);
        }
    }
    }
}
} // namespace

FuzzInputs::FuzzInputs(uint64_t seed, const std::vector<std::string>& folders) : seed_(seed) {
    for (const std::string& folder : folders) {
        std::vector<std::string> names = namesIn(folder + "*.xml");
        std::sort(names.begin(), names.end()); // the same order on every file system
        for (const std::string& name : names) {
            answers_.push_back(readWholeFile(folder + name));
        }
    }
}

std::string FuzzInputs::input(uint64_t index) const {
    Random random(seed_ * 0x100000001B3ull + index);
    std::string text = answers_[random.below(answers_.size())];
    for (size_t k = 1 + random.below(3); k > 0; --k) {
        mutate(text, random);
    }
    // The transport never hands a larger answer to the readers.
    text.resize(std::min(text.size(), kMaxAnswerBytes));
    return text;
}
