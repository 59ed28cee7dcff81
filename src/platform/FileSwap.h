#pragma once

#include <windows.h>

#include <string>

// The pieces of replacing a file by a finished copy in one step: what the file is, its bytes,
// a new file holding given bytes, the flush and the rename. Paths are wide (platform/PathText
// widens a path of the ANSI code page).

struct FileFacts {
    bool exists = false;
    bool folder = false;
    // A reparse point or one of several hard links: a rename would replace the link, not
    // the file others reach through it.
    bool linked = false;
    DWORD attributes = 0;
};

FileFacts fileFacts(const std::wstring& path);
// The whole file into bytes; false with the system's error code otherwise.
bool readFileBytes(const std::wstring& path, std::string& bytes, DWORD& error);
// Creates the file (never replaces one) and writes the bytes. On failure nothing is left
// and the system's error code is given.
bool createFileWithBytes(const std::wstring& path, const std::string& bytes, DWORD& error);
// Whether the file exists and may be written now.
bool opensForWriting(const std::wstring& path);
// Writes the file's buffered data to the disk.
bool flushFile(const std::wstring& path, DWORD& error);
// Puts from in place of to in one step, to replaced when present; 0 or the system's error.
DWORD renameOver(const std::wstring& from, const std::wstring& to);

// Whether a rename was refused because another program holds the target.
inline bool heldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}
