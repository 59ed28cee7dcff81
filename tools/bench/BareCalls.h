#pragma once

// The bare platform calls the benchmark's floors are made of: what the page must do, with
// nothing around it.

#include <windows.h>
#include <wininet.h>

#include <string>

// One GET in an internet session of its own, with the page's user agent, Referer and reload
// flag; ok once a status below 300 was read. The caller reads the body; both handles close
// with this value.
class BareRequest {
public:
    // withTimeouts sets the session's three time-out options, as the page's requests do.
    explicit BareRequest(const char* url, bool withTimeouts = false);
    ~BareRequest();
    BareRequest(const BareRequest&) = delete;
    BareRequest& operator=(const BareRequest&) = delete;

    bool ok() const { return ok_; }
    HINTERNET handle() const { return request_; }

private:
    HINTERNET session_;
    HINTERNET request_ = nullptr;
    bool ok_ = false;
};

// A bare GET whose body is read and dropped.
bool bareGet(const std::string& url, bool withTimeouts = false);

// The probe's name lookup of the main host: WSAStartup, gethostbyname, WSACleanup.
bool bareLookup();
