#pragma once

#include "web/InternetApi.h"

// Owns one handle of the internet API (a session or an opened URL).
class InternetHandle {
public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
    ~InternetHandle() { reset(); }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    // Takes over handle, closing the one held before.
    void reset(HINTERNET handle = nullptr) {
        if (handle_ != nullptr) {
            internetApi()->closeHandle(handle_); // a handle exists only where the API loaded
        }
        handle_ = handle;
    }
    bool valid() const { return handle_ != nullptr; }
    HINTERNET get() const { return handle_; }

private:
    HINTERNET handle_ = nullptr;
};
