#pragma once

#include "platform/SystemResult.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

// Whole files in and out: the one place the program calls ReadFile and WriteFile. Paths are
// wide (platform/PathText widens a path of the ANSI code page).

// Every byte to an open file. A write the system cuts short without a reason fails with 0.
SystemResult writeAll(HANDLE file, std::string_view bytes);
// The whole file into bytes; a file larger than maxBytes is refused with ERROR_FILE_TOO_LARGE.
SystemResult readFileBytes(const std::wstring& path, std::string& bytes,
                           size_t maxBytes = static_cast<size_t>(-1));
// Creates the file (never replaces one) and writes the bytes; on failure nothing is left.
SystemResult createFileWithBytes(const std::wstring& path, std::string_view bytes);
