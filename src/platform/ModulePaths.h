#pragma once

#include <optional>
#include <string>

// Full path of the program's executable, however long.
std::string ModulePath();
// ModulePath as the ANSI file functions can open it: the path itself, else its short form;
// nothing when neither can be written in the ANSI code page.
std::optional<std::string> ansiModulePath();
// Drive and directory of ModulePath, ending in a backslash.
std::string ModuleFolder();
// The user's temporary folder ending in a backslash; ModuleFolder when there is none.
std::string TempFolder();
