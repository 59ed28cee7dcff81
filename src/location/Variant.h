#pragma once

#include <windows.h>
#include <oleauto.h>

#include <string>

// Owns one automation variant and whatever it holds.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }

    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    // Holds a copy of the text up to its first NUL.
    static Variant text(const std::wstring& value);
    static Variant boolean(bool value);

    const VARIANT& get() const { return v_; }
    // For calls that fill a variant: clears the current value first.
    VARIANT* put();

    // The text of a text variant up to its first NUL; empty for any other kind.
    std::wstring textValue() const;

private:
    VARIANT v_;
};
