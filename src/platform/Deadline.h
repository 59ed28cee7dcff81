#pragma once

#include <windows.h>

// A moment by which a wait must end, on the system's millisecond tick.
class Deadline {
public:
    static Deadline after(DWORD milliseconds) { return Deadline(GetTickCount64() + milliseconds); }

    bool passed() const { return GetTickCount64() >= at_; }
    DWORD remaining() const {
        const ULONGLONG now = GetTickCount64();
        return now >= at_ ? 0 : static_cast<DWORD>(at_ - now);
    }
    Deadline sooner(const Deadline& other) const { return at_ <= other.at_ ? *this : other; }

private:
    explicit Deadline(ULONGLONG at) : at_(at) {}

    ULONGLONG at_;
};
