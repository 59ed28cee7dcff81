#pragma once

#include "platform/SystemResult.h"

#include <string>

// Makes folder and its missing parents and proves a file can be written there now. Fails,
// with the system's reason, when a file stands in its place, the user may not write there or
// the disk is full.
SystemResult makeWritableFolder(const std::string& folder);
