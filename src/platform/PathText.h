#pragma once

#include <optional>
#include <string>

// Paths cross between the ANSI code page, in which the documented file and profile functions
// take them, and the wide form every other file call inside the program takes. The system's
// ANSI code page, not the thread's: a host process may set another locale, which would name
// another file. Every path is converted here and nowhere else.

// Every ANSI path has a wide form, so this cannot fail; "" stays "".
std::wstring widePath(const std::string& path);
// The path in the ANSI code page; nullopt when a character has no exact form there (the
// narrow functions would open a file with "?" in its name).
std::optional<std::string> narrowPath(const std::wstring& path);
