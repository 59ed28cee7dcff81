#pragma once

#include "platform/Handles.h"

#include <windows.h>
#include <oleauto.h>

#include <string>
#include <unknwn.h>
#include <utility>

// Owns one reference on a component interface; copies take their own reference.
template <class T> class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr& other) : p_(other.p_) {
        if (p_) {
            p_->AddRef();
        }
    }
    ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(p_, other.p_);
        return *this;
    }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

    void reset() {
        if (T* old = std::exchange(p_, nullptr)) {
            old->Release();
        }
    }

    // For calls that hand back a new reference: drops the current one first.
    T** put() {
        reset();
        return &p_;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    // Another interface of the same object, or none.
    template <class U> ComPtr<U> query(const IID& iid) const {
        ComPtr<U> other;
        if (p_ && FAILED(p_->QueryInterface(iid, other.putVoid()))) {
            other.reset();
        }
        return other;
    }

private:
    T* p_ = nullptr;
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
    UniqueAny<BSTR, SysFreeString> s_;
};

// Owns one automation variant and whatever it holds.
class Variant {
public:
    Variant() { VariantInit(&v_); }
    ~Variant() { VariantClear(&v_); }

    Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }
    Variant(const Variant&) = delete;
    Variant& operator=(const Variant&) = delete;

    // Holds a copy of the bytes as an array, as a document's load takes a file's content; empty
    // when there is no memory for it.
    static Variant bytes(const std::string& value);
    static Variant boolean(bool value);

    const VARIANT& get() const { return v_; }
    // For calls that fill a variant: clears the current value first.
    VARIANT* put();

    // The text of a text variant up to its first NUL; empty for any other kind.
    std::wstring textValue() const;

private:
    VARIANT v_;
};

// Identities of the XML document component, spelled out here because the cross
// toolchain's import library lacks some of them.
inline constexpr CLSID kClsidDomDocument = {
    0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID kIidXmlDomDocument = {
    0x2933BF81, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID kIidXmlDomDocument2 = {
    0x2933BF95, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
inline constexpr IID kIidXmlDomElement = {
    0x2933BF86, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
