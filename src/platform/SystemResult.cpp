#include "platform/SystemResult.h"

#include <cstring>

void SystemErrorText(DWORD code, char* buffer, size_t size) {
    if (buffer == nullptr || size == 0) {
        return;
    }
    std::memset(buffer, 0, size);
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, buffer, static_cast<DWORD>(size), nullptr);
    if (length > 2) {
        // Drop the CR LF the system ends its texts with.
        buffer[length - 1] = '\0';
        buffer[length - 2] = '\0';
    }
}

std::string systemErrorText(DWORD code) {
    char text[512];
    SystemErrorText(code, text, sizeof text);
    return text;
}

void debugOutput(const std::string& text) {
    OutputDebugStringA(text.c_str());
}
