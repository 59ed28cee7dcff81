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

// Drive and directory of a path, trailing separator kept; "" for a bare name.
std::string FolderOf(const std::string& path);
// Full path of the program's executable, however long.
std::string ModulePath();
// ModulePath as the ANSI file functions can open it: the path itself, else its short form;
// nothing when neither can be written in the ANSI code page.
std::optional<std::string> ansiModulePath();
// Drive and directory of ModulePath, ending in a backslash.
std::string ModuleFolder();
// The user's temporary folder ending in a backslash; ModuleFolder when there is none.
std::string TempFolder();
