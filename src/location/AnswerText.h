#pragma once

#include <cstddef>
#include <string>

// How a reader turns a value of an answer into 8-bit text, one byte per code unit.
enum class Narrowing {
    LowByte, // each unit keeps its low byte; a unit whose low byte is 0 becomes '?'
    Latin1,  // U+0001 to U+00FF keep their byte; anything else becomes '?'
};

// The first limit code units of value, narrowed by rule: never a NUL inside the text.
std::string narrowAnswerText(const std::wstring& value, size_t limit, Narrowing rule);
