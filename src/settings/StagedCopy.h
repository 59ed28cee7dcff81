#pragma once

#include <windows.h>

#include <string>

// A private copy of a settings file beside it, where a commit makes its changes before the
// copy takes the file's place. Its name is new for every commit (the profile functions know
// files by name) and tells which process made it, so copies left by a process that ended
// can be told from copies in use.
class StagedCopy {
public:
    // Copies bytes into a new file beside target. valid() is false when that failed; no
    // file is left then and error() tells why.
    StagedCopy(const std::string& target, const std::string& bytes);
    ~StagedCopy(); // removes the copy unless it took the target's place
    StagedCopy(const StagedCopy&) = delete;
    StagedCopy& operator=(const StagedCopy&) = delete;

    bool valid() const { return !path_.empty(); }
    DWORD error() const { return error_; }
    // In the ANSI code page, for the profile functions.
    const std::string& path() const { return path_; }
    const std::wstring& widePath() const { return widePath_; }
    // The copy is the target now: nothing to remove.
    void renamed() { path_.clear(); }

private:
    std::string path_;
    std::wstring widePath_;
    DWORD error_ = 0;
};

// Removes the copies beside target whose process has ended. Copies of running processes
// are neither read nor removed.
void removeAbandonedCopies(const std::string& target);
