#pragma once

#include "platform/SystemResult.h"

#include <windows.h>

#include <string>

// The pieces of replacing a file by a finished copy in one step: what the file is, whether it
// can be written, the flush and the rename. Paths are wide (platform/PathText).

struct FileFacts {
    bool exists = false;
    bool folder = false;
    // A reparse point or one of several hard links: a rename would replace the link, not
    // the file others reach through it.
    bool linked = false;
    DWORD attributes = 0;
};

FileFacts fileFacts(const std::wstring& path);
// Whether the file exists and may be written now.
bool opensForWriting(const std::wstring& path);
// Writes the file's buffered data to the disk.
SystemResult flushFile(const std::wstring& path);
// Puts from in place of to in one step, to replaced when present.
SystemResult renameOver(const std::wstring& from, const std::wstring& to);

// Whether a rename was refused because another program holds the target.
inline bool heldByAnother(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED ||
           error == ERROR_LOCK_VIOLATION;
}
