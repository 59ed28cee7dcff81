#pragma once

#include <string>

// Makes folder and its missing parents and proves a file can be written there now: false
// when a file stands in its place, the user may not write there or the disk is full.
bool makeWritableFolder(const std::string& folder);
