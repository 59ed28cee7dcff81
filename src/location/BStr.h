#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// Owns one automation string.
class BStr {
public:
    BStr() = default;
    explicit BStr(const wchar_t* text) : s_(SysAllocString(text)) {}
    ~BStr() { SysFreeString(s_); }

    BStr(const BStr&) = delete;
    BStr& operator=(const BStr&) = delete;

    BSTR get() const { return s_; }
    // For calls that hand back a new string: frees the current one first.
    BSTR* put();

    // The text up to its first NUL; empty for no string.
    std::wstring text() const { return s_ ? std::wstring(s_) : std::wstring(); }

private:
    BSTR s_ = nullptr;
};
