#include "BareCalls.h"

#include "web/Endpoints.h"

#include <winsock.h>

#include <cstring>

BareRequest::BareRequest(const char* url, bool withTimeouts)
    : session_(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)) {
    if (session_ == nullptr) {
        return;
    }
    if (withTimeouts) {
        DWORD limit = 10000;
        for (const DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                                   INTERNET_OPTION_RECEIVE_TIMEOUT}) {
            InternetSetOptionA(session_, option, &limit, sizeof limit);
        }
    }
    request_ =
        InternetOpenUrlA(session_, url, kRefererHeader,
                         static_cast<DWORD>(std::strlen(kRefererHeader)), INTERNET_FLAG_RELOAD, 0);
    DWORD status = 0;
    DWORD length = sizeof status;
    ok_ = request_ != nullptr &&
          HttpQueryInfoA(request_, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status,
                         &length, nullptr) &&
          status < 300;
}

BareRequest::~BareRequest() {
    InternetCloseHandle(request_);
    InternetCloseHandle(session_);
}

bool bareGet(const std::string& url, bool withTimeouts) {
    const BareRequest request(url.c_str(), withTimeouts);
    char buffer[2048];
    DWORD count = 0;
    while (request.ok() && InternetReadFile(request.handle(), buffer, sizeof buffer, &count) &&
           count > 0) {
    }
    return request.ok();
}

bool bareLookup() {
    WSADATA data;
    if (WSAStartup(MAKEWORD(1, 1), &data) != 0) {
        return false;
    }
    const bool found = gethostbyname(kMainHost) != nullptr;
    WSACleanup();
    return found;
}
