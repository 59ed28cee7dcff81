#include "web/WebText.h"

#include <cstdio>
#include <cstring>

namespace {
struct StatusEntry {
    uint32_t code;
    const char* text;
};

// The texts are kept exactly as reports have always shown them, quirks included
// (401 without a blank before its dash, 410 with two, 502 without the leading blank).
constexpr StatusEntry kStatusTexts[] = {
    {300, " Multiple Choices - server couldn't decide what to return"},
    {301, " Moved Permanently - object permanently moved"},
    {302, " Found - object temporarily moved; The requested resource resides temporarily under a "
          "different URI. Since the redirection might be altered on occasion, the client SHOULD "
          "continue to use the Request-URI for future requests. This response is only cacheable "
          "if indicated by a Cache-Control or Expires header field."},
    {303, " See Other - redirection w/ new access method; The response to the request can be "
          "found under a different URI and SHOULD be retrieved using a GET method on that "
          "resource."},
    {304, " Not Modified - if-modified-since was not modified"},
    {305, " Use Proxy - redirection to proxy, location header specifies proxy to use"},
    {307, " Temporary Redirect - HTTP/1.1: keep same verb"},
    {400, " Bad Request - invalid syntax; The request could not be understood by the server due "
          "to malformed syntax."},
    {401, " Unauthorized- access denied; The request requires user authentication."},
    {402, " Payment Required - payment required"},
    {403, " Forbidden - request forbidden; The server understood the request, but is refusing to "
          "fulfill it."},
    {404, " Not Found - object not found; The server has not found anything matching the "
          "Request-URI."},
    {405, " Method Not Allowed - method is not allowed"},
    {406, " Not Acceptable - no response acceptable to client found"},
    {407, " Proxy Authentication Required - proxy authentication required; The client must first "
          "authenticate itself with the proxy."},
    {408, " Request Timeout - server timed out waiting for request; The client did not produce a "
          "request within the time that the server was prepared to wait. The client MAY repeat "
          "the request without modifications at any later time."},
    {409, " Conflict - user should resubmit with more info"},
    {410, " Gone  - the resource is no longer available"},
    {411, " Length Required - the server refused to accept request w/o a length"},
    {412, " Precondition Failed - precondition given in request failed"},
    {413, " Request Entity Too Large - request entity was too large"},
    {414, " Request-URI Too Long - request URI too long"},
    {415, " Unsupported Media Type - unsupported media type"},
    {500, " Internal Server Error - internal server error; The server encountered an unexpected "
          "condition which prevented it from fulfilling the request."},
    {501, " Not Implemented - required not supported"},
    {502, "Bad Gateway - error response received from gateway"},
    {503, " Service Unavailable - temporarily overloaded; The server is currently unable to "
          "handle the request due to a temporary overloading or maintenance of the server."},
    {504, " Gateway Timeout - timed out waiting for gateway"},
    {505, " HTTP Version Not Supported - HTTP version not supported"},
};
} // namespace

std::string StatusText(uint32_t status) {
    for (const auto& entry : kStatusTexts) {
        if (entry.code == status) {
            return entry.text;
        }
    }
    return "<value not mapped>";
}

namespace {
constexpr char kEscapeSet[] = " *#%<>";
constexpr char kHexDigits[] = "0123456789ABCDEF";

template <class Escaped> std::string percentEscape(const std::string& text, Escaped escaped) {
    std::string result;
    result.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (escaped(byte)) {
            result += '%';
            result += kHexDigits[byte >> 4];
            result += kHexDigits[byte & 0x0F];
        } else {
            result += c;
        }
    }
    return result;
}
} // namespace

std::string URLEncode(std::string text) {
    return percentEscape(text, [](unsigned char byte) {
        return byte != '\0' && std::strchr(kEscapeSet, byte) != nullptr;
    });
}

std::string escapeControlBytes(const std::string& url) {
    return percentEscape(url, [](unsigned char byte) { return byte < 0x20 || byte == 0x7F; });
}

std::string DecimalText(int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return text;
}
