#pragma once

#include "web/InternetHandle.h"

#include <cstdint>
#include <string>

// One HTTP GET through the system's internet API, sent with the program's user agent and
// Referer header and always answered by the origin server, never the cache. The URL handle
// is closed before the session handle when the object goes.
class HttpGet {
public:
    // Opens the internet session with the system's proxy settings; false when refused.
    bool OpenSession();
    // Sends the request for url, following redirects; false when it cannot be opened.
    bool OpenUrl(const char* url);
    // The answer's numeric status; false when it cannot be read.
    bool QueryStatus(uint32_t& status) const;
    // Reads the next part of the answer into buffer; 0 at its end or when reading fails.
    DWORD Read(char* buffer, DWORD size);

private:
    InternetHandle session_;
    InternetHandle request_;
};
