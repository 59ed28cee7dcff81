#pragma once

#include <string>

// True when a comment in the document's bytes holds "--" other than at its end, which no
// well-formed document does. Read in each form an answer file may take: one byte a
// character, or UTF-16 in either byte order. CDATA sections and processing instructions,
// which may hold such text, are skipped.
bool hasHyphensInComment(const std::string& bytes);
