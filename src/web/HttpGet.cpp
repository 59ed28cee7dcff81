#include "web/HttpGet.h"

#include "web/Endpoints.h"

#include <cstring>

bool HttpGet::OpenSession() {
    session_.reset(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    return session_.valid();
}

bool HttpGet::OpenUrl(const char* url) {
    request_.reset(InternetOpenUrlA(session_.get(), url, kRefererHeader,
                                    static_cast<DWORD>(std::strlen(kRefererHeader)),
                                    INTERNET_FLAG_RELOAD, 0));
    return request_.valid();
}

bool HttpGet::QueryStatus(uint32_t& status) const {
    DWORD value = 0;
    DWORD length = sizeof value;
    if (!HttpQueryInfoA(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &value,
                        &length, nullptr)) {
        return false;
    }
    status = value;
    return true;
}

DWORD HttpGet::Read(char* buffer, DWORD size) {
    DWORD count = 0;
    if (!InternetReadFile(request_.get(), buffer, size, &count)) {
        return 0;
    }
    return count;
}
