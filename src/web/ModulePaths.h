#pragma once

#include <string>

// Full path of the program's executable, however long.
std::string ModulePath();
// Drive and directory of ModulePath, ending in a backslash.
std::string ModuleFolder();
// The user's temporary folder ending in a backslash; ModuleFolder when there is none.
std::string TempFolder();
