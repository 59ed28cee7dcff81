#pragma once

#include <utility>

// Owns one handle of the kind Traits describes and closes it at the end of its life.
// Traits gives the handle type, the value that stands for no handle and how to close one:
//   struct Traits {
//       using Handle = ...;
//       static Handle invalid();
//       static void close(Handle handle);
//   };
template <class Traits> class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    bool valid() const { return !(handle_ == Traits::invalid()); }

    // Takes over handle, closing the one held before.
    void reset(Handle handle = Traits::invalid()) {
        const Handle old = std::exchange(handle_, handle);
        if (!(old == Traits::invalid())) {
            Traits::close(old);
        }
    }
    // Gives the handle up without closing it.
    Handle release() { return std::exchange(handle_, Traits::invalid()); }
    // For calls that hand back a new handle through a pointer: closes the current one first.
    Handle* put() {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::invalid();
};
