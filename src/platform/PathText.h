#pragma once

#include <string>

// Paths are in the system's ANSI code page, as the file functions take them; the thread's
// code page can differ (a host process may set another locale) and would name another file.
// Every path widened for a wide function or a component goes through here.
std::wstring widePath(const std::string& path);
