#pragma once

#include "platform/UniqueHandle.h"

#include <windows.h>
#include <oleauto.h>

#include <string>

struct BStrTraits {
    using Handle = BSTR;
    static Handle invalid() { return nullptr; }
    static void close(Handle text) { SysFreeString(text); }
};

// Owns one automation string.
class BStr {
public:
    BStr() = default;
    explicit BStr(const wchar_t* text) : s_(SysAllocString(text)) {}

    BSTR get() const { return s_.get(); }
    // For calls that hand back a new string: frees the current one first.
    BSTR* put() { return s_.put(); }

    // The text up to its first NUL; empty for no string.
    std::wstring text() const { return s_.valid() ? std::wstring(s_.get()) : std::wstring(); }

private:
    UniqueHandle<BStrTraits> s_;
};
