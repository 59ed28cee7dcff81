#pragma once

#include <string>
#include <vector>

// A fresh folder under the temporary folder, removed with everything in it at the end.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    // Ends in a backslash.
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

void removeTree(const std::string& folder);
// Names the search pattern ("C:\\x\\*") finds, "." and ".." left out.
std::vector<std::string> namesIn(const std::string& pattern);
std::string readWholeFile(const std::string& path);
// True when every byte reached the file.
bool writeWholeFile(const std::string& path, const std::string& content);

// Captures what the code under test writes to the debugger output.
class DebugOutputCapture {
public:
    DebugOutputCapture();
    ~DebugOutputCapture();
    DebugOutputCapture(const DebugOutputCapture&) = delete;
    DebugOutputCapture& operator=(const DebugOutputCapture&) = delete;

    const std::string& text() const;

private:
    void* handler_;
};
