#pragma once

#include <windows.h>

#include <cstddef>

// The system's message text for an error code, without its trailing line end;
// the buffer is zeroed first and stays empty when the system has no text.
void SystemErrorText(DWORD code, char* buffer, size_t size);
