#pragma once

#include <string>

// The user's application-data folder (no trailing backslash), or "" when the
// system has none; cached for the process once found.
std::string AppDataFolder();
// AppDataFolder + "\Talvora\Corvane\": where apps.ini lives.
std::string PlatformDataFolder();
