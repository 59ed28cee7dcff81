#pragma once

#include "platform/SocketsApi.h"

// The sockets API (version 1.1) for as long as the object lives; cleaned up only when it
// started.
class SocketsSession {
public:
    SocketsSession() : api_(socketsApi()) {
        WSADATA data;
        if (api_ != nullptr && api_->startup(MAKEWORD(1, 1), &data) != 0) {
            api_ = nullptr;
        }
    }
    ~SocketsSession() {
        if (api_ != nullptr) {
            api_->cleanup();
        }
    }
    SocketsSession(const SocketsSession&) = delete;
    SocketsSession& operator=(const SocketsSession&) = delete;

    // Null when the API is missing or did not start.
    const SocketsApi* api() const { return api_; }

private:
    const SocketsApi* api_;
};
