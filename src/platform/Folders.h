#pragma once

#include <string>

// Longest path the folder operations handle: they work on 260-byte buffers.
constexpr size_t kMaxFolderPath = 259;

// Drive and directory of a path, trailing separator kept; "" for a bare name.
std::string FolderOf(const std::string& path);
bool FileExists(const std::string& path);
// Like FileExists, with one trailing backslash ignored; false for paths over kMaxFolderPath.
bool FolderExists(const std::string& path);
// True when the folder exists afterwards; on failure the system's text for the
// error goes to the debugger output.
bool CreateFolder(const std::string& path);
// CreateFolder for the path after creating its missing ancestors, outermost first.
bool CreateFolderTree(const std::string& path);

// Whether path lies on a network drive or share, where other machines may use it too.
bool onNetworkDrive(const std::string& path);
