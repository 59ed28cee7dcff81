#pragma once

#include <windows.h>

#include <cstdint>
#include <type_traits>
#include <utility>

// Owns one handle and closes it with Close at the end of its life; Invalid is the value that
// stands for no handle (for handles that are neither pointers nor numbers: the
// value-initialised one).
// Move-only. One alias per kind of handle below, each naming its close function.
template <class Handle, auto Close, std::uintptr_t Invalid = 0> class UniqueAny {
public:
    static Handle invalid() {
        if constexpr (std::is_pointer_v<Handle>) {
            return reinterpret_cast<Handle>(Invalid);
        } else if constexpr (std::is_integral_v<Handle>) {
            return static_cast<Handle>(Invalid);
        } else {
            return Handle{};
        }
    }

    UniqueAny() = default;
    explicit UniqueAny(Handle handle) : handle_(handle) {}
    ~UniqueAny() { reset(); }

    UniqueAny(UniqueAny&& other) noexcept : handle_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return !(handle_ == invalid()); }

    // Takes over handle, closing the one held before.
    void reset(Handle handle = invalid()) {
        const Handle old = std::exchange(handle_, handle);
        if (!(old == invalid())) {
            Close(old);
        }
    }
    // Gives the handle up without closing it.
    Handle release() { return std::exchange(handle_, invalid()); }
    // For calls that hand back a new handle through a pointer: closes the current one first.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = invalid();
};

// INVALID_HANDLE_VALUE, which file and find functions answer for no handle.
constexpr std::uintptr_t kInvalidHandleValue = ~std::uintptr_t{0};

// An object selected into a device context, with the one it replaced.
struct Selection {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    bool operator==(const Selection&) const = default;
};
inline void restoreSelection(Selection selection) {
    SelectObject(selection.dc, selection.previous);
}

using FileHandle = UniqueAny<HANDLE, CloseHandle, kInvalidHandleValue>; // CreateFile
using FindHandle = UniqueAny<HANDLE, FindClose, kInvalidHandleValue>;   // FindFirstFile
using KernelHandle = UniqueAny<HANDLE, CloseHandle>; // an event, a thread, a process
template <class GdiHandle> using GdiObject = UniqueAny<GdiHandle, DeleteObject>; // font, brush
using SelectedObject = UniqueAny<Selection, restoreSelection>; // puts the replaced object back

inline SelectedObject selectObject(HDC dc, HGDIOBJ object) {
    return SelectedObject(Selection{dc, SelectObject(dc, object)});
}
