#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

// What an operation came to: done, or not done for the reason the system gave, as its error
// code. A failure the system gave no code for carries 0: nothing here makes one up.
class [[nodiscard]] SystemResult {
public:
    static SystemResult done() { return SystemResult(true, ERROR_SUCCESS); }
    static SystemResult failed(DWORD code) { return SystemResult(false, code); }
    // Not done, for the reason the thread's last failed system call left.
    static SystemResult lastError() { return failed(GetLastError()); }

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    // The system's error code of a failure; 0 when done or when the system said nothing.
    DWORD code() const { return code_; }

private:
    SystemResult(bool ok, DWORD code) : ok_(ok), code_(code) {}

    bool ok_;
    DWORD code_;
};

// The system's words for an error code, without line end; "" when it has none.
std::string systemErrorText(DWORD code);

// A line for the administrator's debugger: the one place the program writes there.
void debugOutput(const std::string& text);

// The system's message text for an error code, without its trailing line end;
// the buffer is zeroed first and stays empty when the system has no text.
void SystemErrorText(DWORD code, char* buffer, size_t size);
