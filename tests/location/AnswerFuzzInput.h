#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Mutated answers: input i of a seed is one of the seed answers changed one to three times
// (bytes flipped, cut, doubled, entities, deep nesting, huge values, other encodings, NUL,
// renamed elements), the same bytes on every run and machine.
class FuzzInputs {
public:
    // Seed answers are the .xml files of the given folders (each ending in a backslash).
    FuzzInputs(uint64_t seed, const std::vector<std::string>& folders);

    size_t seedCount() const { return answers_.size(); }
    std::string input(uint64_t index) const;

private:
    uint64_t seed_;
    std::vector<std::string> answers_;
};
