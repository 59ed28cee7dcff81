#pragma once

#include "platform/SystemResult.h"

#include <windows.h>

#include <string>
#include <string_view>

// A private copy of a settings file beside it, where a commit makes its changes before the
// copy takes the file's place. Its name is new for every commit (the profile functions know
// files by name) and tells which process made it, so copies left by a process that ended
// can be told from copies in use.
class StagedCopy {
public:
    // Copies bytes into a new file beside target (a path of the ANSI code page, as the
    // profile functions take it). valid() is false when that failed; no file is left then
    // and result() tells why.
    StagedCopy(const std::string& target, std::string_view bytes);
    ~StagedCopy(); // removes the copy unless it took the target's place
    StagedCopy(const StagedCopy&) = delete;
    StagedCopy& operator=(const StagedCopy&) = delete;

    bool valid() const { return !path_.empty(); }
    const SystemResult& result() const { return result_; }
    const std::string& path() const { return path_; }
    // The copy is the target now: nothing to remove.
    void renamed() { path_.clear(); }

private:
    std::string path_;
    SystemResult result_ = SystemResult::done();
};

// The copy's name: target.<pid>.<process start>.<serial>.commit. The process start tells a
// pid used again by a later process from the one that made the copy.
std::string stagedCopyName(const std::string& target, DWORD pid, unsigned long long start,
                           unsigned long long serial);

// Removes the copies beside target whose process has ended. Copies of running processes
// are neither read nor removed.
void removeAbandonedCopies(const std::string& target);
