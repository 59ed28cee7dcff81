#pragma once

#include <windows.h>
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
