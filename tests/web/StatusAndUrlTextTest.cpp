#include "web/WebText.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

TEST(StatusText, KeepsTheReportTextsAndTheirQuirks) {
    const std::pair<uint32_t, const char*> rows[] = {
        {404, " Not Found - object not found; The server has not found anything matching the "
              "Request-URI."},
        {304, " Not Modified - if-modified-since was not modified"},
        {401, " Unauthorized- access denied; The request requires user authentication."},
        {410, " Gone  - the resource is no longer available"},
        {502, "Bad Gateway - error response received from gateway"},
        {505, " HTTP Version Not Supported - HTTP version not supported"},
    };
    for (const auto& [code, text] : rows) {
        EXPECT_EQ(text, StatusText(code)) << code;
    }
    for (uint32_t code : {200u, 306u, 308u, 416u, 506u, 599u}) {
        EXPECT_EQ("<value not mapped>", StatusText(code)) << code;
    }
    int mapped = 0;
    for (uint32_t code = 0; code < 1000; ++code) {
        const std::string text = StatusText(code);
        if (text != "<value not mapped>") {
            ++mapped;
            EXPECT_TRUE(code == 502 || text[0] == ' ') << code;
            EXPECT_NE(std::string::npos, text.find('-')) << code;
        }
    }
    EXPECT_EQ(29, mapped);
}

TEST(UrlText, EscapesExactlyTheSixCharactersAndWritesPlainDecimals) {
    const std::string untouched = "http://h:1/p/?where=a&b?c=d+e/\t\x01\xE9\xFF";
    const std::pair<std::string, std::string> escapes[] = {
        {" ", "%20"},
        {"a b#c", "a%20b%23c"},
        {" *#%<>", "%20%2A%23%25%3C%3E"},
        {"%20", "%2520"},
        {"", ""},
        {untouched, untouched},
        {"http://h/weather/local/X?eloc=*&rnd=5", "http://h/weather/local/X?eloc=%2A&rnd=5"},
    };
    for (const auto& [text, escaped] : escapes) {
        EXPECT_EQ(escaped, URLEncode(text)) << text;
    }
    const std::pair<int32_t, const char*> decimals[] = {
        {0, "0"}, {32767, "32767"}, {-42, "-42"}, {INT32_MIN, "-2147483648"}};
    for (const auto& [value, text] : decimals) {
        EXPECT_EQ(text, DecimalText(value)) << value;
    }
}
